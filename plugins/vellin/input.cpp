// The plug-in's one export. Nothing may leave it as a C++ exception: the
// caller is C.
#include <new>
#include <type_traits>

#include "acm_result.h"
#include "obrin/input_plugin.h"
#include "obrin_avlog/keep_ffmpeg_loaded.h"
#include "obrin_avlog/quiet_av_log.h"
#include "wave_conversion.h"

extern "C" OBRIN_PLUGIN_EXPORT std::int32_t OBRIN_PLUGIN_CALL Input(const char* sourcePath,
                                                                    const char* wavPath,
                                                                    ProgressCallback progress);

static_assert(std::is_same_v<decltype(&Input), InputFunction>);

std::int32_t OBRIN_PLUGIN_CALL Input(const char* sourcePath, const char* wavPath,
                                     ProgressCallback progress) {
    if (sourcePath == nullptr || wavPath == nullptr || progress == nullptr) return 1;
    obrin::avlog::KeepFfmpegLoadedUnderAsan();
    const obrin::avlog::QuietAvLog quiet;
    try {
        return obrin::vellin::ConvertWave(sourcePath, wavPath, progress);
    } catch (const std::bad_alloc&) {
        obrin::vellin::PrintAcmResult(obrin::vellin::AcmResult::kNoMemory);
        return 1;
    } catch (...) {
        return 1;
    }
}
