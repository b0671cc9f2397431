#include "playback/conversion_progress.h"

#include <gtest/gtest.h>

#include "recording_timing_views.h"

namespace obrin {
namespace {

struct GaugeCase {
    std::int32_t total;
    std::int32_t done;
    int maximum;
    int progress;
    const char* text;
};

class GaugeTest : public ::testing::TestWithParam<GaugeCase> {};

TEST_P(GaugeTest, ShowsTruncatedPercentWithinRange) {
    test::RecordingWaitView view;
    ConversionProgress progress(view);
    EXPECT_EQ(progress.reportProgress(GetParam().total, GetParam().done), 0);
    EXPECT_EQ(view.gaugeMaximum, GetParam().maximum);
    EXPECT_EQ(view.gaugeProgress, GetParam().progress);
    EXPECT_EQ(view.gaugeText, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, GaugeTest,
    ::testing::Values(GaugeCase{200, 1, 200, 1, "0%"}, GaugeCase{200, 199, 200, 199, "99%"},
                      GaugeCase{200, 200, 200, 200, "100%"}, GaugeCase{0, 0, 0, 0, "0%"},
                      GaugeCase{100, 150, 100, 100, "100%"}, GaugeCase{100, -5, 100, 0, "0%"},
                      GaugeCase{-1, 5, 0, 0, "0%"},
                      // Byte counts of a large file: done × 100 needs 64 bits.
                      GaugeCase{2000000000, 1999999999, 2000000000, 1999999999, "99%"}));

TEST(ConversionProgress, CaptionCountsAndForceQuitIsHandedBack) {
    test::RecordingWaitView view;
    ConversionProgress progress(view);
    EXPECT_EQ(progress.reportProgress(4096, 1024), 0);
    EXPECT_EQ(view.mainCaption, "ファイルをデコード中です。しばらくお待ちください...1024/4096");
    EXPECT_EQ(view.eventRuns, 1);

    // The button is pressed while the events run inside the report.
    view.duringEvents = [&] { progress.forceQuit(); };
    EXPECT_EQ(progress.reportProgress(4096, 2048), 1);
    view.duringEvents = nullptr;
    EXPECT_EQ(progress.reportProgress(4096, 3072), 1);
    progress.clearAbort();
    EXPECT_EQ(progress.reportProgress(4096, 4096), 0);
}

}  // namespace
}  // namespace obrin
