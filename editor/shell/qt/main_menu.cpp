#include "shell/qt/main_menu.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <initializer_list>

#include "base/command_ids.h"
#include "base/qt/command_actions.h"
#include "obrin_version.h"

namespace obrin {

namespace {

using namespace command;

// Adds the items of one menu, in order.
class MenuLayout {
  public:
    MenuLayout(QMenu* menu, CommandActions& actions) : menu_(menu), actions_(actions) {
        // An export's library may have come or gone since the last notice.
        QObject::connect(menu_, &QMenu::aboutToShow, &actions_, &CommandActions::refresh);
    }

    MenuLayout submenu(const char* name, const QString& caption) {
        QMenu* sub = menu_->addMenu(caption);
        Name(sub, name);
        return {sub, actions_};
    }
    MenuLayout& item(CommandId id) {
        menu_->addAction(actions_.action(id));
        return *this;
    }
    // Radio items: the user checks one; the settings may check none.
    MenuLayout& radioGroup(std::initializer_list<CommandId> ids) {
        auto* group = new QActionGroup(menu_);
        for (CommandId id : ids) {
            item(id);
            group->addAction(actions_.action(id));
        }
        return *this;
    }
    // An item kept for the menu's shape that has no behaviour.
    MenuLayout& inert(const char* name, const QString& caption, bool enabled = true,
                      bool checked = false) {
        QAction* action = menu_->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setEnabled(enabled);
        if (checked) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        return *this;
    }
    MenuLayout& separator() {
        menu_->addSeparator();
        return *this;
    }
    MenuLayout& hidden() {
        menu_->menuAction()->setVisible(false);
        return *this;
    }
    MenuLayout& disabled() {
        menu_->menuAction()->setEnabled(false);
        return *this;
    }

    static void Name(QMenu* menu, const char* name) {
        menu->setObjectName(QString::fromLatin1(name));
        menu->menuAction()->setObjectName(QString::fromLatin1(name));
    }

  private:
    QMenu* menu_;
    CommandActions& actions_;
};

MenuLayout Menu(QMenuBar& bar, CommandActions& actions, const char* name, const QString& caption) {
    QMenu* menu = bar.addMenu(caption);
    MenuLayout::Name(menu, name);
    return {menu, actions};
}

void BuildFileMenu(QMenuBar& bar, CommandActions& actions) {
    MenuLayout file = Menu(bar, actions, "mnuFile", QStringLiteral("ファイル(&F)"));
    file.item(kOpenMusicFile);
    file.submenu("mnuSave", QStringLiteral("歌詞の保存(&S)"))
        .item(kSaveLyricsBesideMusic)
        .item(kSaveLyricsAs)
        .separator()
        .item(kSaveSp250);
    file.separator().item(kOpenMusicWithDesktop).separator().item(kExportLyricMp3);
    file.item(kSaveStandardLrc).item(kSaveAssKaraoke).item(kWriteSongTags);
    file.item(kSaveTagInformation);
    file.submenu("mnuCombine", QStringLiteral("タグ情報とプレーン歌詞を合成(&C)"))
        .item(kCombineTagInformation)
        .disabled();
    file.separator().item(kExit);
}

void BuildEditMenu(QMenuBar& bar, CommandActions& actions) {
    Menu(bar, actions, "mnuEdit", QStringLiteral("編集(&E)"))
        .item(kUndo)
        .item(kRedo)
        .separator()
        .item(kShiftTimes)
        .separator()
        .item(kEditRuby)
        .item(kSpreadUnitTimes);
}

void BuildPasteMenu(QMenuBar& bar, CommandActions& actions) {
    MenuLayout paste = Menu(bar, actions, "mnuPaste", QStringLiteral("歌詞貼り付け(&P)"));
    paste.item(kEditAndPaste).item(kPasteExpanded);
    paste.submenu("mnuPasteFromFile", QStringLiteral("ファイルから貼り付け(&F)"))
        .item(kPasteLyricsFile)
        .inert("DSMPD1", QStringLiteral("DSMP歌詞ファイル(&D)"), false);
    paste.separator()
        .item(kExpandRepeats)
        .item(kRemoveBlankRuns)
        .item(kAddBlankLastLine)
        .item(kImportInfoLines);
}

// Kept for the menu's shape; none of its items has an action and it is
// never shown.
void BuildCorrectionMenu(QMenuBar& bar, CommandActions& actions) {
    Menu(bar, actions, "mnuCorrection", QStringLiteral("補正(&R)"))
        .inert("mnuToWinampTime", QStringLiteral("標準時間からWinamp時間へ変換(&W)"))
        .inert("mnuFromWinampTime", QStringLiteral("Winamp時間から標準時間へ変換(&S)"))
        .inert("mnuSilence", QStringLiteral("無音補正(&M)"))
        .hidden();
}

void BuildOptionMenu(QMenuBar& bar, CommandActions& actions) {
    MenuLayout options = Menu(bar, actions, "mnuOption", QStringLiteral("オプション(&O)"));
    options.submenu("mnuSongInfo", QStringLiteral("曲情報(&I)"))
        .radioGroup({kSongInfoAtMark, kSongInfoFirst, kSongInfoKeyValue, kSongInfoNone});
    options.submenu("mnuAuthor", QStringLiteral("作成者情報(&A)"))
        .item(kIncludeAuthor)
        .item(kEditAuthor);
    options.submenu("mnuPlainURL", QStringLiteral("プレーン歌詞入手元情報(&P)"))
        .item(kIncludePlainUrl)
        .item(kEditPlainUrl)
        .hidden();
    options.submenu("mnuEditedBy", QStringLiteral("編集者情報(&W)")).item(kIncludeEditor);
    options.submenu("mnuExistingLyrics", QStringLiteral("存在する歌詞(&L)"))
        .radioGroup({kExistingLyricsOpen, kExistingLyricsAsk, kExistingLyricsIgnore});
    options.submenu("MARLETSP2501", QStringLiteral("Marlet SP250(&R)"))
        .item(kSp250WarnBody)
        .item(kSp250WarnRemote);
    options.separator();
    options.submenu("mnuWorkArea", QStringLiteral("作業領域(&E)")).item(kChooseWorkFolder);
    options.submenu("mnuFont", QStringLiteral("フォント(&F)"))
        .item(kListFont)
        .item(kInfoFont)
        .item(kTextFont)
        .item(kPasteFont);
    options.submenu("mnuOther", QStringLiteral("その他(&O)")).item(kConfirmExit).item(kGridLines);
    options.item(kAssignKeys);
    options.item(kCalibrateTiming);
    options.separator().item(kShowWaveform).item(kSnapMarksToOnsets);
    options.separator().item(kSyltPerUnit);
}

void BuildToolMenu(QMenuBar& bar, CommandActions& actions) {
    Menu(bar, actions, "mnuTool", QStringLiteral("ツール(&T)"))
        .item(kBatchLyricMp3)
        .item(kKaraokePreview)
        .separator()
        .item(kDraftTiming)
        .item(kAcceptSelectedDrafts)
        .item(kAcceptAllDrafts);
}

// The command settings have no behaviour; the menu exists but is never shown.
void BuildCommandMenu(QMenuBar& bar, CommandActions& actions) {
    Menu(bar, actions, "mnuCommand", QStringLiteral("コマンド(&C)"))
        .inert("mnuCommandSetting", QStringLiteral("コマンドの設定(&T)"))
        .hidden();
}

// The panels are always shown; the menu that would hide them is never shown.
void BuildViewMenu(QMenuBar& bar, CommandActions& actions) {
    Menu(bar, actions, "mnuView", QStringLiteral("表示(&V)"))
        .inert("mnuViewInfo", QStringLiteral("情報パネル(&I)"), true, true)
        .inert("mnuViewPlayer", QStringLiteral("プレイヤーパネル(&P)"), true, true)
        .inert("mnuViewControl", QStringLiteral("コントロールパネル(&C)"), true, true)
        .hidden();
}

void BuildHelpMenu(QMenuBar& bar, CommandActions& actions) {
    MenuLayout help = Menu(bar, actions, "mnuHelp", QStringLiteral("ヘルプ(&H)"));
    help.item(kShowHelp);
    help.submenu("About1", QStringLiteral("バージョン情報(&V)"))
        .inert("mnuVersion", QStringLiteral("obrin version " OBRIN_VERSION "(&V)"));
}

}  // namespace

void BuildMainMenu(QMenuBar& bar, CommandActions& actions) {
    BuildFileMenu(bar, actions);
    BuildEditMenu(bar, actions);
    BuildPasteMenu(bar, actions);
    BuildCorrectionMenu(bar, actions);
    BuildOptionMenu(bar, actions);
    BuildToolMenu(bar, actions);
    BuildCommandMenu(bar, actions);
    BuildViewMenu(bar, actions);
    BuildHelpMenu(bar, actions);
}

}  // namespace obrin
