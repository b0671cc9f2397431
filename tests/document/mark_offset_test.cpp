#include "document/mark_offset.h"

#include <gtest/gtest.h>

#include "base/conversion_error.h"

namespace obrin {
namespace {

struct StepCase {
    const char* from;
    bool up;
    const char* to;
};

class MarkOffsetStepTest : public testing::TestWithParam<StepCase> {};

TEST_P(MarkOffsetStepTest, Steps) {
    MarkOffset offset;
    offset.setText(GetParam().from);
    GetParam().up ? offset.stepUp() : offset.stepDown();
    EXPECT_EQ(offset.text(), GetParam().to);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, MarkOffsetStepTest,
    testing::Values(StepCase{"9.9", true, "9.9"}, StepCase{"-9.9", false, "-9.9"},
                    StepCase{"9.8", true, "9.9"}, StepCase{"-9.8", false, "-9.9"},
                    StepCase{"0.0", false, "-0.1"}, StepCase{"0.0", true, "0.1"},
                    StepCase{"-1.0", true, "-0.9"}, StepCase{"-0.1", true, "0.0"},
                    StepCase{"0.1", false, "0.0"}, StepCase{"9.9", false, "9.8"},
                    // A hand-edited value outside the range steps on from there.
                    StepCase{"12.0", true, "12.1"}, StepCase{"1.25", true, "1.4"}));

TEST(MarkOffset, SteppingAllTheWayStaysWithinLimitsWithoutDrift) {
    MarkOffset offset;
    offset.setText("-9.9");
    for (int i = 0; i < 300; ++i) offset.stepUp();
    EXPECT_EQ(offset.text(), "9.9");
    for (int i = 0; i < 300; ++i) offset.stepDown();
    EXPECT_EQ(offset.text(), "-9.9");
}

struct MsCase {
    const char* text;
    std::int32_t ms;
};

class MarkOffsetMsTest : public testing::TestWithParam<MsCase> {};

TEST_P(MarkOffsetMsTest, Converts) {
    MarkOffset offset;
    offset.setText(GetParam().text);
    EXPECT_EQ(offset.milliseconds(), GetParam().ms);
}

INSTANTIATE_TEST_SUITE_P(Values, MarkOffsetMsTest,
                         testing::Values(MsCase{"-1.0", -1000}, MsCase{"0.5", 500},
                                         MsCase{"0.0", 0}, MsCase{"-9.9", -9900},
                                         MsCase{"9.9", 9900}, MsCase{"0.3", 300}));

TEST(MarkOffset, PlaceholderIsNotANumber) {
    MarkOffset offset;
    EXPECT_EQ(offset.text(), "-*.*");
    EXPECT_THROW((void)offset.milliseconds(), ConversionError);
    EXPECT_THROW(offset.stepUp(), ConversionError);
    EXPECT_EQ(offset.text(), "-*.*");
}

TEST(MarkOffset, HugeValueIsAConversionErrorNotACrash) {
    MarkOffset offset;
    offset.setText("1e300");
    EXPECT_THROW((void)offset.milliseconds(), ConversionError);
}

}  // namespace
}  // namespace obrin
