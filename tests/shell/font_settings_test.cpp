#include "shell/font_settings.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace obrin {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

FontSlotFonts Designed() {
    return {FontChoice{"IPAPGothic", 9, 0}, FontChoice{"IPAPGothic", 9, 0},
            FontChoice{"IPAPGothic", 10, 1}, FontChoice{"ＭＳ ゴシック", 9, 0}};
}

void ExpectFont(const FontChoice& actual, const FontChoice& expected) {
    EXPECT_EQ(actual.face, expected.face);
    EXPECT_EQ(actual.pointSize, expected.pointSize);
    EXPECT_EQ(actual.style, expected.style);
}

TEST(FontSettings, NoFileKeepsTheDesignedFonts) {
    TempFolder folder;
    FontSlotFonts fonts = Designed();
    LoadFontSettings(folder / "font.ini", fonts);
    const FontSlotFonts designed = Designed();
    for (std::size_t i = 0; i < fonts.size(); ++i) ExpectFont(fonts[i], designed[i]);
}

struct SlotCase {
    const char* name;
    std::string section;  // the "Text" section's keys; designed: IPAPGothic 10 bold
    FontChoice expected;
};

class FontSlotTest : public testing::TestWithParam<SlotCase> {};

TEST_P(FontSlotTest, AppliesOnlyWhatIsThere) {
    TempFolder folder;
    WriteBytes(folder / "font.ini", "[Text]\r\n" + GetParam().section);
    FontSlotFonts fonts = Designed();

    LoadFontSettings(folder / "font.ini", fonts);

    ExpectFont(FontOf(fonts, FontSlot::Text), GetParam().expected);
    ExpectFont(FontOf(fonts, FontSlot::List), Designed()[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, FontSlotTest,
    testing::Values(SlotCase{"EmptySection", "", {"IPAPGothic", 10, 1}},
                    SlotCase{"AtSignKeepsTheFace", "name=@\r\n", {"IPAPGothic", 10, 1}},
                    SlotCase{"Everything",
                             "name=Noto Sans CJK JP\r\nsize=14\r\nstyle=6\r\n",
                             {"Noto Sans CJK JP", 14, 6}},
                    SlotCase{"ZeroSizeKept", "size=0\r\n", {"IPAPGothic", 10, 1}},
                    SlotCase{"NegativeSizeKept", "size=-1\r\n", {"IPAPGothic", 10, 1}},
                    SlotCase{"ZeroStyleKeepsBold", "style=0\r\n", {"IPAPGothic", 10, 1}},
                    SlotCase{"StyleReplacesBold", "style=2\r\n", {"IPAPGothic", 10, 2}},
                    SlotCase{"UnknownStyleBitsDropped", "style=31\r\n", {"IPAPGothic", 10, 15}},
                    SlotCase{
                        "GarbageNumbersKept", "size=big\r\nstyle=bold\r\n", {"IPAPGothic", 10, 1}},
                    SlotCase{"ShiftJisFaceFromAnOlderFile",
                             "name=\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E\r\n",
                             {"ＭＳ ゴシック", 10, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FontSettings, SavingOneSlotKeepsTheOthers) {
    TempFolder folder;
    const auto ini = folder / "font.ini";
    ASSERT_FALSE(SaveFontSlot(ini, FontSlot::List, FontChoice{"IPAGothic", 12, 1}));
    ASSERT_FALSE(SaveFontSlot(ini, FontSlot::Paste, FontChoice{"ＭＳ ゴシック", 9, 0}));
    ASSERT_FALSE(SaveFontSlot(ini, FontSlot::List, FontChoice{"IPAMincho", 11, 3}));

    EXPECT_EQ(ReadBytes(ini),
              "[List]\r\nname=IPAMincho\r\nsize=11\r\nstyle=3\r\n\r\n\r\n"
              "[Paste]\r\nname=ＭＳ ゴシック\r\nsize=9\r\nstyle=0\r\n");
    FontSlotFonts fonts = Designed();
    LoadFontSettings(ini, fonts);
    ExpectFont(FontOf(fonts, FontSlot::List), {"IPAMincho", 11, 3});
    ExpectFont(FontOf(fonts, FontSlot::Paste), {"ＭＳ ゴシック", 9, 0});
    ExpectFont(FontOf(fonts, FontSlot::Info), Designed()[1]);
}

}  // namespace
}  // namespace obrin
