#include "playback/conversion_progress.h"

#include <algorithm>

#include "playback/music_file_opener.h"

namespace obrin {

namespace {

// The gauge cannot run below 0, whatever a plug-in passes.
std::int32_t GaugeMaximum(std::int32_t total) {
    return std::max<std::int32_t>(total, 0);
}

std::int32_t GaugeProgress(std::int32_t total, std::int32_t done) {
    return std::clamp<std::int32_t>(done, 0, GaugeMaximum(total));
}

}  // namespace

std::string ConversionProgress::GaugeText(std::int32_t total, std::int32_t done) {
    const std::int64_t maximum = GaugeMaximum(total);
    // 64 bits: a plug-in counting bytes of a large file overflows 32 bits
    // when the count is multiplied by 100.
    const std::int64_t percent = maximum == 0 ? 0 : GaugeProgress(total, done) * 100LL / maximum;
    return std::to_string(percent) + "%";
}

std::int32_t ConversionProgress::reportProgress(std::int32_t total, std::int32_t done) {
    view_.setMainCaption(kDecodingCaption + std::to_string(done) + "/" + std::to_string(total));
    view_.setGauge(GaugeMaximum(total), GaugeProgress(total, done), GaugeText(total, done));
    view_.processPendingEvents();
    return conversionAbort_;
}

}  // namespace obrin
