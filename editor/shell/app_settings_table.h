#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <type_traits>
#include <utility>

#include "shell/app_settings.h"

namespace obrin {

// The field a setting fills, named by the members that lead to it from
// AppSettings: FieldOf<&AppSettings::author>, or
// FieldOf<&AppSettings::standardLrc, &StandardLrcOptions::crlf>.
template <auto... Path>
struct FieldOf {
    template <typename Settings>
    static auto& in(Settings& settings) {
        return (settings.*....*Path);
    }
    using Value = std::remove_cvref_t<decltype(in(std::declval<AppSettings&>()))>;
};

// A setting under one key: a string, bool, int, key code or TextEncoding
// (by EncodingName). `saved` false: read at start and never written.
template <auto... Path>
struct Setting {
    using Field = FieldOf<Path...>;
    const char* key;
    typename Field::Value designed;
    bool saved = true;
};

// A radio group: one key per item, each "1" or "0"; the field is empty when
// none is checked.
template <auto Member, std::size_t Items>
struct RadioSetting {
    using Field = FieldOf<Member>;
    using Choice = typename Field::Value::value_type;
    std::array<std::pair<const char*, Choice>, Items> items;
    typename Field::Value designed;
};

// Every setting of the user's section of "obrin.ini" with its designed
// value, in the order a save writes them: `visit` is called with each.
// The work folder's designed value is empty, which stands for the program
// folder (DefaultAppSettings).
template <typename Visit>
void VisitAppSettings(Visit&& visit) {
    using S = AppSettings;
    using Lrc = StandardLrcOptions;
    visit(Setting<&S::workFolder>{.key = "tempPath", .designed = ""});
    visit(Setting<&S::markOffsetText>{.key = "panMark.Caption", .designed = "-1.0"});
    visit(Setting<&S::listEditMode>{.key = "chkHosei.Checked", .designed = false});
    visit(Setting<&S::expandRepeats>{.key = "mnuStar.Checked", .designed = true});
    visit(Setting<&S::dropRepeatedBlankLines>{.key = "mnuNullLine.Checked", .designed = true});
    visit(Setting<&S::importInfoLines>{.key = "mnuInfo.Checked", .designed = true});
    visit(
        RadioSetting<&S::songInfo, 4>{.items = {{{"mnuInfoAtMark.Checked", SongInfoMode::AtMark},
                                                 {"mnuInfoFirst.Checked", SongInfoMode::First},
                                                 {"mnuInfoNone.Checked", SongInfoMode::None},
                                                 {"mnuKeyValue.Checked", SongInfoMode::KeyValue}}},
                                      .designed = SongInfoMode::AtMark});
    // The SP250 warnings: a toggle lasts one run.
    visit(Setting<&S::warnBodyDisplay>{
        .key = "mnuRioViewBody.Checked", .designed = false, .saved = false});
    visit(Setting<&S::warnRemoteDisplay>{
        .key = "mnuRioViewRemote.Checked", .designed = true, .saved = false});
    visit(Setting<&S::appendBlankLastLine>{.key = "lastLine", .designed = true});
    visit(Setting<&S::gridLines>{.key = "mnuGrid", .designed = true});
    visit(Setting<&S::showWaveform>{.key = "mnuWaveform.Checked", .designed = true});
    visit(Setting<&S::snapMarksToOnsets>{.key = "mnuSnapOnset.Checked", .designed = false});
    visit(Setting<&S::pasteVertical>{.key = "Tate", .designed = true});
    visit(Setting<&S::pasteWindowWidth>{.key = "PasteForm.Width", .designed = 570});
    visit(Setting<&S::pasteWindowHeight>{.key = "PasteForm.Height", .designed = 516});
    visit(Setting<&S::pasteSourceSize>{.key = "TateWidth", .designed = 213});
    visit(Setting<&S::confirmExit>{.key = "mnuChkTerminate.Checked", .designed = true});
    visit(RadioSetting<&S::existingLyrics, 3>{.items = {{{"ly1", ExistingLyrics::OpenAutomatically},
                                                         {"ly2", ExistingLyrics::Ask},
                                                         {"ly3", ExistingLyrics::DoNothing}}},
                                              .designed = ExistingLyrics::Ask});
    visit(Setting<&S::addEditedBy>{.key = "N15.Checked", .designed = false});
    visit(Setting<&S::addTaggingBy>{.key = "I2.Checked", .designed = false});
    visit(Setting<&S::author>{.key = "author", .designed = ""});
    // Keys that stand in the same place with the same code on a JIS and a US
    // keyboard, so a new user can mark from the keyboard at once: Space,
    // Backspace, Enter.
    visit(Setting<&S::keyMark>{.key = "Key-Mark", .designed = 0x20});
    visit(Setting<&S::keyPrevCheck>{.key = "Key-PrevCheck", .designed = 0x08});
    visit(Setting<&S::keyPlayPause>{.key = "Key-PlayPause", .designed = 0x0D});
    visit(Setting<&S::plainLyricsSourceEnabled>{.key = "mnuPlainURLEnabled.Checked",
                                                .designed = false});
    visit(Setting<&S::plainLyricsSource>{.key = "plainURL", .designed = ""});
    visit(Setting<&S::listLyricWidth>{.key = "ListLyric.Width", .designed = 0});
    visit(Setting<&S::listTimeWidth>{.key = "ListTime.Width", .designed = 0});
    visit(Setting<&S::textEncoding>{.key = "TextEncoding", .designed = TextEncoding::Auto});
    visit(Setting<&S::standardLrc, &Lrc::shiftJis>{.key = "StdLrc.ShiftJis", .designed = false});
    visit(Setting<&S::standardLrc, &Lrc::milliseconds>{.key = "StdLrc.Milliseconds",
                                                       .designed = false});
    visit(Setting<&S::standardLrc, &Lrc::keepUntimed>{.key = "StdLrc.KeepUntimed",
                                                      .designed = false});
    visit(Setting<&S::standardLrc, &Lrc::crlf>{.key = "StdLrc.CrLf", .designed = false});
    visit(Setting<&S::standardLrc, &Lrc::words>{.key = "StdLrc.Words", .designed = false});
    visit(Setting<&S::batchSourceFolder>{.key = "Batch.Source", .designed = ""});
    visit(Setting<&S::batchOutputFolder>{.key = "Batch.Output", .designed = ""});
    visit(Setting<&S::calibrationOffered>{.key = "Calibration.Offered", .designed = false});
    visit(Setting<&S::karaokeKeyUp>{.key = "Karaoke.KeyUp", .designed = false});
}

}  // namespace obrin
