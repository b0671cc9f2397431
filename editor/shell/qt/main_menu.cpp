#include "shell/qt/main_menu.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "obrin_version.h"

namespace obrin {

namespace {

QMenu* Menu(QMenuBar& bar, const char* name, const QString& caption) {
    QMenu* menu = bar.addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

QMenu* Submenu(QMenu* parent, const char* name, const QString& caption) {
    QMenu* menu = parent->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

QAction* Item(QMenu* menu, const char* name, const QString& caption,
              const QKeySequence& shortcut = {}) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    return action;
}

QAction* Check(QMenu* menu, const char* name, const QString& caption, bool checked) {
    QAction* action = Item(menu, name, caption);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

// One of a group of which the user checks one; the settings may check none.
QAction* Radio(QMenu* menu, QActionGroup* group, const char* name, const QString& caption,
               bool checked) {
    QAction* action = Check(menu, name, caption, checked);
    group->addAction(action);
    return action;
}

void Hide(QMenu* menu) {
    menu->menuAction()->setVisible(false);
}

void BuildFileMenu(QMenuBar& bar) {
    QMenu* file = Menu(bar, "mnuFile", QStringLiteral("ファイル(&F)"));
    Item(file, "Open1", QStringLiteral("音楽ファイルを開く(&O)"),
         QKeySequence(QStringLiteral("Ctrl+O")));
    QMenu* save = Submenu(file, "mnuSave", QStringLiteral("歌詞の保存(&S)"));
    Item(save, "S1", QStringLiteral("音楽ファイルと同じ場所(&S)"));
    Item(save, "P1", QStringLiteral("場所を指定(&P)"));
    save->addSeparator();
    Item(save, "MarletSP250R1", QStringLiteral("MarletSP250フォーマット(&R)"));
    file->addSeparator();
    Item(file, "B2", QStringLiteral("処理中のファイルを開く(&B)"),
         QKeySequence(QStringLiteral("Ctrl+P")));
    file->addSeparator();
    Item(file, "TessaryY1", QStringLiteral("Tessary出力(&Y)"));
    Item(file, "T1", QStringLiteral("タグ情報のみを保存(&T)"))->setEnabled(false);
    QMenu* combine =
        Submenu(file, "mnuCombine", QStringLiteral("タグ情報とプレーン歌詞を合成(&C)"));
    Item(combine, "mnuCombineObrin", QStringLiteral("obrinタグファイル(&T)"));
    combine->menuAction()->setEnabled(false);
    file->addSeparator();
    Item(file, "Exit1", QStringLiteral("終了(&X)"));
}

void BuildPasteMenu(QMenuBar& bar) {
    QMenu* paste = Menu(bar, "mnuPaste", QStringLiteral("歌詞貼り付け(&P)"));
    Item(paste, "P4", QStringLiteral("編集して貼り付け(&D)"));
    Item(paste, "N3", QStringLiteral("自動展開して貼り付け(&N)"));
    QMenu* fromFile =
        Submenu(paste, "mnuPasteFromFile", QStringLiteral("ファイルから貼り付け(&F)"));
    Item(fromFile, "N7", QStringLiteral("通常歌詞ファイル(&N)"));
    Item(fromFile, "DSMPD1", QStringLiteral("DSMP歌詞ファイル(&D)"))->setEnabled(false);
    paste->addSeparator();
    Check(paste, "mnuStar", QStringLiteral("※繰り返し加工を行う(&P)"), true);
    Check(paste, "mnuNullLine", QStringLiteral("連続空行削除(&L)"), true);
    Check(paste, "E2", QStringLiteral("最終行へ空行を追加(&E)"), true);
    Check(paste, "mnuInfo", QStringLiteral("@情報をインポート(&I)"), true);
}

// Kept for the menu's shape; none of its items has an action and it is
// never shown.
void BuildCorrectionMenu(QMenuBar& bar) {
    QMenu* correction = Menu(bar, "mnuCorrection", QStringLiteral("補正(&R)"));
    Item(correction, "mnuToWinampTime", QStringLiteral("標準時間からWinamp時間へ変換(&W)"));
    Item(correction, "mnuFromWinampTime", QStringLiteral("Winamp時間から標準時間へ変換(&S)"));
    Item(correction, "mnuSilence", QStringLiteral("無音補正(&M)"));
    Hide(correction);
}

void BuildOptionMenu(QMenuBar& bar) {
    QMenu* options = Menu(bar, "mnuOption", QStringLiteral("オプション(&O)"));

    QMenu* songInfo = Submenu(options, "mnuSongInfo", QStringLiteral("曲情報(&I)"));
    auto* songInfoGroup = new QActionGroup(songInfo);
    Radio(songInfo, songInfoGroup, "mnuInfoAtMark", QStringLiteral("@を利用して付加(&A)"), true);
    Radio(songInfo, songInfoGroup, "mnuInfoFirst", QStringLiteral("曲の先頭に付加(&F)"), false);
    Radio(songInfo, songInfoGroup, "mnuKeyValue", QStringLiteral("XXX：YYYの形で先頭へ付加(&S)"),
          false);
    Radio(songInfo, songInfoGroup, "mnuInfoNone", QStringLiteral("つけない(&N)"), false);

    QMenu* author = Submenu(options, "mnuAuthor", QStringLiteral("作成者情報(&A)"));
    Check(author, "I2", QStringLiteral("入れる(&I)"), false);
    Item(author, "Edit2", QStringLiteral("編集(&E)"));

    QMenu* plainUrl = Submenu(options, "mnuPlainURL", QStringLiteral("プレーン歌詞入手元情報(&P)"));
    Check(plainUrl, "mnuPlainURLEnabled", QStringLiteral("入れる(&I)"), false);
    Item(plainUrl, "Edit3", QStringLiteral("編集(&E)"));
    Hide(plainUrl);

    QMenu* editor = Submenu(options, "mnuEditedBy", QStringLiteral("編集者情報(&W)"));
    Check(editor, "N15", QStringLiteral("入れる(&I)"), false);

    QMenu* existing = Submenu(options, "mnuExistingLyrics", QStringLiteral("存在する歌詞(&L)"));
    auto* existingGroup = new QActionGroup(existing);
    Radio(existing, existingGroup, "A3", QStringLiteral("自動で開く(&A)"), false);
    Radio(existing, existingGroup, "E1", QStringLiteral("毎回指定する(&E)"), true);
    Radio(existing, existingGroup, "N17", QStringLiteral("何もしない(&N)"), false);

    QMenu* marlet = Submenu(options, "MARLETSP2501", QStringLiteral("Marlet SP250(&R)"));
    Check(marlet, "mnuRioViewBody", QStringLiteral("本体へ表示しきれないときに警告(&B)"), false);
    Check(marlet, "mnuRioViewRemote", QStringLiteral("リモコンへ表示しきれないときに警告(&R)"),
          true);

    options->addSeparator();
    QMenu* workArea = Submenu(options, "mnuWorkArea", QStringLiteral("作業領域(&E)"));
    Item(workArea, "mnuTempPath", QString());

    QMenu* fonts = Submenu(options, "mnuFont", QStringLiteral("フォント(&F)"));
    Item(fonts, "N16", QStringLiteral("歌詞リスト(&L)"));
    Item(fonts, "T4", QStringLiteral("情報(&I)"));
    Item(fonts, "C2", QStringLiteral("完成型(&C)"));
    Item(fonts, "Paste1", QStringLiteral("貼り付け(&P)"));

    QMenu* other = Submenu(options, "mnuOther", QStringLiteral("その他(&O)"));
    Check(other, "T6", QStringLiteral("終了確認を行う(&T)"), true);
    Check(other, "N23", QStringLiteral("グリッド線の表示"), true);

    Item(options, "K1", QStringLiteral("キーボード(&K)"));
}

void BuildToolMenu(QMenuBar& bar) {
    QMenu* tools = Menu(bar, "mnuTool", QStringLiteral("ツール(&T)"));
    Item(tools, "MarletR1", QStringLiteral("Marlet用歌詞一括変換(&R)"));
}

// The command settings have no behaviour; the menu exists but is never shown.
void BuildCommandMenu(QMenuBar& bar) {
    QMenu* commands = Menu(bar, "mnuCommand", QStringLiteral("コマンド(&C)"));
    Item(commands, "mnuCommandSetting", QStringLiteral("コマンドの設定(&T)"));
    Hide(commands);
}

// The panels are always shown; the menu that would hide them is never shown.
void BuildViewMenu(QMenuBar& bar) {
    QMenu* view = Menu(bar, "mnuView", QStringLiteral("表示(&V)"));
    Check(view, "mnuViewInfo", QStringLiteral("情報パネル(&I)"), true);
    Check(view, "mnuViewPlayer", QStringLiteral("プレイヤーパネル(&P)"), true);
    Check(view, "mnuViewControl", QStringLiteral("コントロールパネル(&C)"), true);
    Hide(view);
}

void BuildHelpMenu(QMenuBar& bar) {
    QMenu* help = Menu(bar, "mnuHelp", QStringLiteral("ヘルプ(&H)"));
    Item(help, "H1", QStringLiteral("ヘルプの表示(&H)"));
    QMenu* about = Submenu(help, "About1", QStringLiteral("バージョン情報(&V)"));
    Item(about, "mnuVersion", QStringLiteral("obrin version " OBRIN_VERSION "(&V)"));
}

}  // namespace

void BuildMainMenu(QMenuBar& bar) {
    BuildFileMenu(bar);
    BuildPasteMenu(bar);
    BuildCorrectionMenu(bar);
    BuildOptionMenu(bar);
    BuildToolMenu(bar);
    BuildCommandMenu(bar);
    BuildViewMenu(bar);
    BuildHelpMenu(bar);
}

}  // namespace obrin
