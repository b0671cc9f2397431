#include "playback/karaoke_wipe.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "karaoke_lines.h"
#include "sjis_lines.h"

namespace obrin {
namespace {

using test::KaraokeLine;
using test::Sj;

RubyReading Reading(std::string_view base, std::string_view kana) {
    RubyReading reading{.base = Sj(base)};
    for (std::string& mora : SplitMorae(Sj(kana))) reading.morae.push_back({std::move(mora)});
    return reading;
}

// "3:星(ほ=1,し=0.5)=0.75|が=0": the line's number, then each piece with
// its reading's morae.
std::string Shown(const WipeLine& line) {
    if (line.line < 0) return "-";
    std::ostringstream shown;
    shown << line.line << ':';
    for (const WipePiece& piece : line.pieces) {
        if (&piece != &line.pieces.front()) shown << '|';
        shown << SjisToUtf8(piece.text);
        for (const WipeMora& mora : piece.ruby) {
            shown << (&mora == &piece.ruby.front() ? '(' : ',') << SjisToUtf8(mora.text) << '='
                  << mora.fraction;
        }
        if (!piece.ruby.empty()) shown << ')';
        shown << '=' << piece.fraction;
    }
    return shown.str();
}

struct FrameCase {
    double centis;
    const char* current;
    const char* next;
};

template <std::size_t N>
void ExpectFrames(const LyricList& lyrics, const RubyIndex& ruby, const FrameCase (&cases)[N]) {
    for (const FrameCase& c : cases) {
        const KaraokeFrame frame = KaraokeFrameAt(lyrics, ruby, c.centis);
        EXPECT_EQ(Shown(frame.current), c.current) << "at " << c.centis;
        EXPECT_EQ(Shown(frame.next), c.next) << "at " << c.centis;
    }
}

// In the order a listener might hear them, seeks back included: a frame
// depends on the moment alone.
TEST(KaraokeWipeTest, FramesOfASong) {
    LyricList lyrics;
    lyrics.assignLines({
        KaraokeLine("星がひかる", 200, "星@200|+@210|が@220|ひ@230|か@240|る@250/260"),
        KaraokeLine("いつまでも", 500),
        KaraokeLine("", 800),
        KaraokeLine("風", 0),
        KaraokeLine("君", 1000, "君@1000/1020"),
        KaraokeLine("あいう", 1100, "あ@1100|い|う@1140"),
    });
    const RubyTable table{Reading("星", "ほし"), Reading("君", "きみ")};
    const RubyIndex ruby(table);
    const FrameCase cases[] = {
        {100, "-", "0:星(ほ=0,し=0)=0|が=0|ひ=0|か=0|る=0"},
        {200, "0:星(ほ=0,し=0)=0|が=0|ひ=0|か=0|る=0", "1:い=0|つ=0|ま=0|で=0|も=0"},
        {205, "0:星(ほ=0.5,し=0)=0.25|が=0|ひ=0|か=0|る=0", "1:い=0|つ=0|ま=0|で=0|も=0"},
        {215, "0:星(ほ=1,し=0.5)=0.75|が=0|ひ=0|か=0|る=0", "1:い=0|つ=0|ま=0|で=0|も=0"},
        {220, "0:星(ほ=1,し=1)=1|が=0|ひ=0|か=0|る=0", "1:い=0|つ=0|ま=0|で=0|も=0"},
        {255, "0:星(ほ=1,し=1)=1|が=1|ひ=1|か=1|る=0.5", "1:い=0|つ=0|ま=0|で=0|も=0"},
        // After the line's end, before the next line.
        {400, "0:星(ほ=1,し=1)=1|が=1|ひ=1|か=1|る=1", "1:い=0|つ=0|ま=0|で=0|も=0"},
        // No units of its own: its default split shares 500..800 evenly.
        {560, "1:い=1|つ=0|ま=0|で=0|も=0", "2:"},
        {590, "1:い=1|つ=0.5|ま=0|で=0|も=0", "2:"},
        {210, "0:星(ほ=1,し=0)=0.5|が=0|ひ=0|か=0|る=0", "1:い=0|つ=0|ま=0|で=0|も=0"},
        // An empty line ends the verse; a line without a time is passed over.
        {800, "2:", "4:君(きみ=0)=0"},
        // A reading whose morae the units do not follow wipes with its base.
        {1015, "4:君(きみ=0.75)=0.75", "5:あ=0|い=0|う=0"},
        // An untimed unit takes half of the time between its neighbours; the
        // last line's last unit has a second.
        {1110, "5:あ=0.5|い=0|う=0", "-"},
        {1130, "5:あ=1|い=0.5|う=0", "-"},
        {1190, "5:あ=1|い=1|う=0.5", "-"},
        {1240, "5:あ=1|い=1|う=1", "-"},
        {150, "-", "0:星(ほ=0,し=0)=0|が=0|ひ=0|か=0|る=0"},
    };
    ExpectFrames(lyrics, ruby, cases);
}

// Lines out of time order, equal starts, and unit times out of order.
TEST(KaraokeWipeTest, UnorderedTimes) {
    LyricList lyrics;
    lyrics.assignLines({
        KaraokeLine("A", 300),
        KaraokeLine("B", 100, "B@100/120"),
        KaraokeLine("C", 300),
        KaraokeLine("あい", 500, "あ@500|い@450/520"),
    });
    const FrameCase cases[] = {
        {150, "1:B=1", "0:A=0"},
        {350, "2:C=0.25", "3:あ=0|い=0"},
        {500, "3:あ=1|い=0", "-"},
        {510, "3:あ=1|い=0.5", "-"},
    };
    ExpectFrames(lyrics, {}, cases);
}

}  // namespace
}  // namespace obrin
