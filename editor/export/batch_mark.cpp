#include "export/batch_mark.h"

#include "obrin/marlet.h"

namespace obrin {

BatchMark GradeBatchResult(const LyricMp3Result& result) {
    if (!result.written || result.code > 0) return BatchMark::Failed;
    const int longest = -result.code;
    if (longest > MARLET_BODY_WIDTH) return BatchMark::OverBody;
    if (longest > MARLET_REMOTE_WIDTH) return BatchMark::OverRemote;
    return BatchMark::Normal;
}

std::string BatchResultLine(BatchMark mark, int code, const std::string& mp3Path) {
    switch (mark) {
        case BatchMark::Normal:
            return "○ " + mp3Path;
        case BatchMark::OverRemote:
            return "△(" + std::to_string(-code) + ") " + mp3Path;
        case BatchMark::OverBody:
            return "▲(" + std::to_string(-code) + ") " + mp3Path;
        case BatchMark::Failed:
            break;
    }
    return "×(" + std::to_string(code) + ") " + mp3Path;
}

}  // namespace obrin
