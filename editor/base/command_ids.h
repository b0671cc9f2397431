#pragma once

#include "base/command_id.h"

// Every command of the main window, each with its object name: the one place
// where a designed item or button name stands for a command. The subsystem
// that owns a command registers its entry in the CommandTable under this id.
namespace obrin::command {

// ファイル(&F)
inline constexpr CommandId kOpenMusicFile{"Open1"};
inline constexpr CommandId kSaveLyricsBesideMusic{"S1"};
inline constexpr CommandId kSaveLyricsAs{"P1"};
inline constexpr CommandId kOpenMusicWithDesktop{"B2"};
inline constexpr CommandId kSaveTagInformation{"T1"};
inline constexpr CommandId kCombineTagInformation{"mnuCombineObrin"};
inline constexpr CommandId kExit{"Exit1"};
// The two exports' items; their exporters register under these ids.
inline constexpr CommandId kSaveSp250{"MarletSP250R1"};
inline constexpr CommandId kExportLyricMp3{"TessaryY1"};
// The exports for today's players: standard LRC and the song's own tags.
inline constexpr CommandId kSaveStandardLrc{"mnuStdLrc"};
inline constexpr CommandId kWriteSongTags{"mnuSongTag"};
// The karaoke script with a wipe per timing unit.
inline constexpr CommandId kSaveAssKaraoke{"mnuAss"};

// 編集(&E)
inline constexpr CommandId kUndo{"mnuUndo"};
inline constexpr CommandId kRedo{"mnuRedo"};

// 歌詞貼り付け(&P)
inline constexpr CommandId kEditAndPaste{"P4"};
inline constexpr CommandId kPasteExpanded{"N3"};
inline constexpr CommandId kPasteLyricsFile{"N7"};
inline constexpr CommandId kExpandRepeats{"mnuStar"};
inline constexpr CommandId kRemoveBlankRuns{"mnuNullLine"};
inline constexpr CommandId kAddBlankLastLine{"E2"};
inline constexpr CommandId kImportInfoLines{"mnuInfo"};

// オプション(&O)
inline constexpr CommandId kSongInfoAtMark{"mnuInfoAtMark"};
inline constexpr CommandId kSongInfoFirst{"mnuInfoFirst"};
inline constexpr CommandId kSongInfoKeyValue{"mnuKeyValue"};
inline constexpr CommandId kSongInfoNone{"mnuInfoNone"};
inline constexpr CommandId kIncludeAuthor{"I2"};
inline constexpr CommandId kEditAuthor{"Edit2"};
inline constexpr CommandId kIncludePlainUrl{"mnuPlainURLEnabled"};
inline constexpr CommandId kEditPlainUrl{"Edit3"};
inline constexpr CommandId kIncludeEditor{"N15"};
inline constexpr CommandId kExistingLyricsOpen{"A3"};
inline constexpr CommandId kExistingLyricsAsk{"E1"};
inline constexpr CommandId kExistingLyricsIgnore{"N17"};
inline constexpr CommandId kSp250WarnBody{"mnuRioViewBody"};
inline constexpr CommandId kSp250WarnRemote{"mnuRioViewRemote"};
inline constexpr CommandId kChooseWorkFolder{"mnuTempPath"};
inline constexpr CommandId kListFont{"N16"};
inline constexpr CommandId kInfoFont{"T4"};
inline constexpr CommandId kTextFont{"C2"};
inline constexpr CommandId kPasteFont{"Paste1"};
inline constexpr CommandId kConfirmExit{"T6"};
inline constexpr CommandId kGridLines{"N23"};
inline constexpr CommandId kAssignKeys{"K1"};
inline constexpr CommandId kShowWaveform{"mnuWaveform"};
inline constexpr CommandId kSnapMarksToOnsets{"mnuSnapOnset"};
inline constexpr CommandId kCalibrateTiming{"mnuCalibrate"};

// ツール(&T)
inline constexpr CommandId kBatchLyricMp3{"MarletR1"};

// ヘルプ(&H)
inline constexpr CommandId kShowHelp{"H1"};

// The lyric list's context menu `PopupMenu1`.
inline constexpr CommandId kPlayFromLine{"P3"};
inline constexpr CommandId kPlayBeforeLine{"N551"};
inline constexpr CommandId kCheckLine{"Q1"};
inline constexpr CommandId kEditLine{"Edit1"};
inline constexpr CommandId kDeleteLines{"L1"};
inline constexpr CommandId kInsertLine{"A1"};
inline constexpr CommandId kMergeWithNext{"O1"};
inline constexpr CommandId kAppendLine{"T2"};
inline constexpr CommandId kSelectAll{"S2"};
inline constexpr CommandId kClearChecks{"N10"};
// Shifting line times and marking again from a line; the shift is also in
// the Edit menu.
inline constexpr CommandId kShiftTimes{"mnuShiftTimes"};
inline constexpr CommandId kRemarkFromLine{"mnuRemarkFrom"};

// The completed text's context menu.
inline constexpr CommandId kRefreshCompletedText{"U1"};

// Buttons of the control panel.
inline constexpr CommandId kMark{"Button2"};
inline constexpr CommandId kCheckPrevious{"Button1"};
inline constexpr CommandId kCheckSelected{"Button3"};
inline constexpr CommandId kConfirmAround{"Button4"};
inline constexpr CommandId kConfirmAll{"Button5"};
inline constexpr CommandId kMoveAhead100ms{"btnMove_p0_1"};
inline constexpr CommandId kMoveAhead1s{"btnMove_p1_0"};
inline constexpr CommandId kMoveAhead10s{"btnMove_p10"};
inline constexpr CommandId kMoveBack100ms{"btnMove_b0_1"};
inline constexpr CommandId kMoveBack1s{"btnMove_b1_0"};
inline constexpr CommandId kMoveBack10s{"btnMove_b10"};
inline constexpr CommandId kMoveAhead500ms{"btnMove_p0_5"};
inline constexpr CommandId kMoveAhead3s{"btnMove_p3_0"};
inline constexpr CommandId kMoveAhead5s{"btnMove_p5_0"};
inline constexpr CommandId kMoveBack500ms{"btnMove_b0_5"};
inline constexpr CommandId kMoveBack3s{"btnMove_b3_0"};
inline constexpr CommandId kMoveBack5s{"btnMove_b5_0"};

// Buttons of the player panel.
inline constexpr CommandId kPlayPause{"btnPlayStop"};
inline constexpr CommandId kStop{"btnStop"};

// Karaoke: the readings of kanji and the spread of line times (Edit menu; the
// ruby dialog is also a button of the karaoke mode), and the tag write's
// option of SYLT per unit (Option menu).
inline constexpr CommandId kEditRuby{"mnuRuby"};
inline constexpr CommandId kSpreadUnitTimes{"mnuSpreadUnits"};
inline constexpr CommandId kSyltPerUnit{"mnuSyltUnits"};
// ツール(&T): the window that shows the wipe of the timed lines.
inline constexpr CommandId kKaraokePreview{"mnuKaraokePreview"};
// The timing draft: ツール(&T) and the lyric list's context menu.
inline constexpr CommandId kDraftTiming{"mnuDraftTiming"};
inline constexpr CommandId kAcceptSelectedDrafts{"mnuAcceptDraft"};
inline constexpr CommandId kAcceptAllDrafts{"mnuAcceptAllDrafts"};

}  // namespace obrin::command

// The paste window's items, in a table of its own: their names repeat some of
// the main window's.
namespace obrin::command::paste {

inline constexpr CommandId kClose{"Exit1"};
inline constexpr CommandId kPaste{"V1"};
inline constexpr CommandId kPasteExpanded{"A1"};
inline constexpr CommandId kPasteFile{"F1"};
inline constexpr CommandId kPasteFileExpanded{"F2"};
inline constexpr CommandId kVertical{"T1"};
inline constexpr CommandId kHorizontal{"Y1"};

}  // namespace obrin::command::paste
