#pragma once

extern "C" {
#include <libavutil/log.h>
}

namespace obrin::avlog {

// Keeps FFmpeg from printing to standard error while a plug-in works: the
// plug-ins report through their result codes, and the host's terminal or log
// is not theirs to fill. FFmpeg's log level is process-wide, so the host's
// own level comes back when the guard ends. Create it before any thread of
// the plug-in starts and end it after they are gone.
class QuietAvLog {
  public:
    QuietAvLog() : previous_(av_log_get_level()) { av_log_set_level(AV_LOG_QUIET); }
    ~QuietAvLog() { av_log_set_level(previous_); }
    QuietAvLog(const QuietAvLog&) = delete;
    QuietAvLog& operator=(const QuietAvLog&) = delete;

  private:
    int previous_;
};

}  // namespace obrin::avlog
