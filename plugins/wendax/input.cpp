// The plug-in's one export. Nothing may leave it as a C++ exception: the
// caller is C.
#include <exception>
#include <type_traits>

#include "lingering_threads.h"
#include "obrin/input_plugin.h"
#include "obrin_avlog/keep_ffmpeg_loaded.h"
#include "obrin_avlog/quiet_av_log.h"
#include "wma_converter.h"

extern "C" OBRIN_PLUGIN_EXPORT std::int32_t OBRIN_PLUGIN_CALL Input(const char* sourcePath,
                                                                    const char* wavPath,
                                                                    ProgressCallback progress);

static_assert(std::is_same_v<decltype(&Input), InputFunction>);

std::int32_t OBRIN_PLUGIN_CALL Input(const char* sourcePath, const char* wavPath,
                                     ProgressCallback progress) {
    if (sourcePath == nullptr || wavPath == nullptr || progress == nullptr) {
        return obrin::wendax::kUnexpected;
    }
    obrin::avlog::KeepFfmpegLoadedUnderAsan();
    const obrin::avlog::QuietAvLog quiet;
    try {
        obrin::wendax::ReleaseEndedThreads();
        // The converter, and with it the reader's thread, is gone before
        // the result is returned.
        obrin::wendax::WmaConverter converter(progress);
        return converter.Convert(sourcePath, wavPath);
    } catch (const std::exception&) {
        return obrin::wendax::kUnexpected;
    }
}
