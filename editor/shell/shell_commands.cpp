#include "shell/shell_commands.h"

#include <optional>

#include "base/command_ids.h"
#include "base/command_table.h"
#include "shell/editor.h"

namespace obrin {
namespace {

using namespace command;

// A check mark that is a setting; the item turns it over.
void AddCheckItem(CommandTable& table, CommandId id, const char* caption, bool& setting) {
    table.add({.id = id,
               .caption = caption,
               .checked = [&setting] { return setting; },
               .run = [&setting] { setting = !setting; }});
}

// One radio item of a group that is one setting; the file may leave the
// group with none chosen.
template <typename Choice>
void AddRadioItem(CommandTable& table, CommandId id, const char* caption,
                  std::optional<Choice>& setting, Choice choice) {
    table.add({.id = id,
               .caption = caption,
               .checked = [&setting, choice] { return setting == choice; },
               .run = [&setting, choice] { setting = choice; }});
}

void AddOptionItems(CommandTable& table, AppSettings& settings) {
    AddCheckItem(table, kExpandRepeats, "※繰り返し加工を行う(&P)", settings.expandRepeats);
    AddCheckItem(table, kRemoveBlankRuns, "連続空行削除(&L)", settings.dropRepeatedBlankLines);
    AddCheckItem(table, kAddBlankLastLine, "最終行へ空行を追加(&E)", settings.appendBlankLastLine);
    AddCheckItem(table, kImportInfoLines, "@情報をインポート(&I)", settings.importInfoLines);
    AddRadioItem(table, kSongInfoAtMark, "@を利用して付加(&A)", settings.songInfo,
                 SongInfoMode::AtMark);
    AddRadioItem(table, kSongInfoFirst, "曲の先頭に付加(&F)", settings.songInfo,
                 SongInfoMode::First);
    AddRadioItem(table, kSongInfoKeyValue, "XXX：YYYの形で先頭へ付加(&S)", settings.songInfo,
                 SongInfoMode::KeyValue);
    AddRadioItem(table, kSongInfoNone, "つけない(&N)", settings.songInfo, SongInfoMode::None);
    AddCheckItem(table, kIncludeAuthor, "入れる(&I)", settings.addTaggingBy);
    AddCheckItem(table, kIncludePlainUrl, "入れる(&I)", settings.plainLyricsSourceEnabled);
    AddCheckItem(table, kIncludeEditor, "入れる(&I)", settings.addEditedBy);
    AddRadioItem(table, kExistingLyricsOpen, "自動で開く(&A)", settings.existingLyrics,
                 ExistingLyrics::OpenAutomatically);
    AddRadioItem(table, kExistingLyricsAsk, "毎回指定する(&E)", settings.existingLyrics,
                 ExistingLyrics::Ask);
    AddRadioItem(table, kExistingLyricsIgnore, "何もしない(&N)", settings.existingLyrics,
                 ExistingLyrics::DoNothing);
    AddCheckItem(table, kSp250WarnBody, "本体へ表示しきれないときに警告(&B)",
                 settings.warnBodyDisplay);
    AddCheckItem(table, kSp250WarnRemote, "リモコンへ表示しきれないときに警告(&R)",
                 settings.warnRemoteDisplay);
    AddCheckItem(table, kConfirmExit, "終了確認を行う(&T)", settings.confirmExit);
    AddCheckItem(table, kSnapMarksToOnsets, "マークを近くの立ち上がりに合わせる",
                 settings.snapMarksToOnsets);
    AddCheckItem(table, kSyltPerUnit, "SYLTを文字単位で書く", settings.syltPerUnit);
}

void AddFontItems(CommandTable& table, Editor& editor) {
    const struct {
        CommandId id;
        const char* caption;
        FontSlot slot;
    } items[] = {{kListFont, "歌詞リスト(&L)", FontSlot::List},
                 {kInfoFont, "情報(&I)", FontSlot::Info},
                 {kTextFont, "完成型(&C)", FontSlot::Text},
                 {kPasteFont, "貼り付け(&P)", FontSlot::Paste}};
    for (const auto& item : items) {
        table.add({.id = item.id, .caption = item.caption, .run = [&editor, slot = item.slot] {
                       editor.chooseFont(slot);
                   }});
    }
}

}  // namespace

void RegisterShellCommands(CommandTable& table, Editor& editor) {
    AddOptionItems(table, editor.settings());
    AddFontItems(table, editor);
    table.add(
        {.id = kShowHelp, .caption = "ヘルプの表示(&H)", .run = [&editor] { editor.showHelp(); }});
}

}  // namespace obrin
