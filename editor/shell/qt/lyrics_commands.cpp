#include "shell/qt/lyrics_commands.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextCursor>
#include <algorithm>
#include <utility>

#include "base/command_ids.h"
#include "base/command_table.h"
#include "base/conversion_error.h"
#include "base/qt/command_actions.h"
#include "base/qt/qt_fonts.h"
#include "base/sjis_codec.h"
#include "document/qt/lyric_list_widget.h"
#include "document/unsaved_changes.h"
#include "playback/music_file_names.h"
#include "shell/editor.h"
#include "shell/qt/main_window.h"
#include "shell/text_options.h"
#include "text/clipboard_paste.h"
#include "text/lyrics_file_open.h"
#include "text/qt/paste_window.h"
#include "text/qt/sjis_qt.h"
#include "text/tagged_lyrics_reader.h"
#include "text/text_file_choice.h"
#include "text/text_input.h"
#include "text/text_messages.h"

namespace obrin {
namespace {

constexpr int kCompletedTab = 1;
constexpr const char* kLyricsSaveFilter =
    "歌詞ファイル(*.txt)|*.txt|歌詞ファイル(*.lrc)|*.lrc|全てのファイル(*.*)|*.*";
constexpr const char* kLyricsOpenFilter =
    "通常歌詞ファイル(*.txt *.lrc)|*.txt;*.lrc|全てのファイル(*.*)|*.*";
constexpr const char* kTagInfoSaveFilter = "obrinタイムタグ情報ファイル(*.obt)|*.obt";
constexpr const char* kTagInfoOpenFilter =
    "obrinタイムタグ情報ファイル(*.obt)|*.obt|全てのファイル(*.*)|*.*";

// The editor's side of the combine: the paste question and the clipboard.
class EditorCombineHost final : public CombineHost {
  public:
    EditorCombineHost(Document& document, Clipboard& clipboard, Dialogs& dialogs)
        : document_(document), clipboard_(clipboard), dialogs_(dialogs) {}

    void offerPaste(const ExpansionOptions& options) override {
        if (dialogs_.confirm(kCombinePasteQuestion))
            PasteFromClipboard(document_, clipboard_, dialogs_, options);
    }
    bool acceptMismatch(int) override { return dialogs_.confirm(kCombineMismatchQuestion); }
    void showError(const std::string& message) override { dialogs_.showError(message); }

  private:
    Document& document_;
    Clipboard& clipboard_;
    Dialogs& dialogs_;
};

}  // namespace

LyricsCommands::LyricsCommands(MainWindow& window, Editor& editor, Clipboard& clipboard,
                               CommandTable& commands, CommandActions& actions)
    : QObject(&window),
      window_(window),
      editor_(editor),
      clipboard_(clipboard),
      tab_(
          *this, editor.document(),
          [&editor] { return CompletedTextOptionsFrom(editor.settings()); }, editor.dialogs(),
          editor.timers()) {
    registerCommands(commands);
    QPlainTextEdit* text = window_.completedText();
    // Any change of the text but a rebuild is the user's.
    connect(text, &QPlainTextEdit::textChanged, this, [this] {
        if (showingLines_) return;
        tab_.markEdited();
        editor_.changes().markModified();
    });
    QAction* update = actions.action(command::kRefreshCompletedText);
    update->setShortcutContext(Qt::WidgetShortcut);
    text->addAction(update);
    text->setContextMenuPolicy(Qt::ActionsContextMenu);
    shownPage_ = window_.pages()->currentIndex();
    connect(window_.pages(), &QTabWidget::currentChanged, this, &LyricsCommands::pageChanged);
}

void LyricsCommands::registerCommands(CommandTable& commands) {
    const auto add = [&](CommandId id, const char* caption, void (LyricsCommands::*run)(),
                         const char* shortcut = "") {
        commands.add({.id = id, .caption = caption, .shortcut = shortcut, .run = [this, run] {
                          (this->*run)();
                      }});
    };
    add(command::kSaveLyricsAs, "場所を指定(&P)", &LyricsCommands::saveWithDialog);
    add(command::kEditAndPaste, "編集して貼り付け(&D)", &LyricsCommands::editAndPaste);
    add(command::kPasteExpanded, "自動展開して貼り付け(&N)", &LyricsCommands::pasteFromClipboard);
    add(command::kPasteLyricsFile, "通常歌詞ファイル(&N)", &LyricsCommands::openLyricsFile);
    add(command::kCombineTagInformation, "obrinタグファイル(&T)",
        &LyricsCommands::combineTagInformation);
    add(command::kEditAuthor, "編集(&E)", &LyricsCommands::editAuthor);
    add(command::kEditPlainUrl, "編集(&E)", &LyricsCommands::editPlainUrl);
    add(command::kRefreshCompletedText, "最新の状態に更新(&U)",
        &LyricsCommands::refreshCompletedText, "Ctrl+U");
    // Kept disabled, as the menu was designed.
    commands.add({.id = command::kSaveTagInformation,
                  .caption = "タグ情報のみを保存(&T)",
                  .enabled = [] { return false; },
                  .run = [this] { saveTagInformation(); }});
}

LyricsCommands::~LyricsCommands() = default;

bool LyricsCommands::isActive() const {
    return window_.pages()->currentIndex() == kCompletedTab;
}

void LyricsCommands::activate() {
    window_.pages()->setCurrentIndex(kCompletedTab);
}

void LyricsCommands::showLines(const std::vector<std::string>& lines, bool keepPosition) {
    QPlainTextEdit* text = window_.completedText();
    const int caret = text->textCursor().position();
    const int vertical = text->verticalScrollBar()->value();
    const int horizontal = text->horizontalScrollBar()->value();
    text->setUpdatesEnabled(false);
    showingLines_ = true;
    text->setPlainText(LinesToText(lines));
    showingLines_ = false;
    if (keepPosition) {
        QTextCursor cursor = text->textCursor();
        cursor.setPosition(std::min(caret, text->document()->characterCount() - 1));
        text->setTextCursor(cursor);
        text->verticalScrollBar()->setValue(vertical);
        text->horizontalScrollBar()->setValue(horizontal);
    } else {
        text->moveCursor(QTextCursor::Start);
    }
    text->setUpdatesEnabled(true);
}

void LyricsCommands::showTypedText(const std::string& utf8) {
    QPlainTextEdit* text = window_.completedText();
    showingLines_ = true;  // the tab marks it as typed itself
    text->setPlainText(QString::fromStdString(utf8));
    showingLines_ = false;
    text->moveCursor(QTextCursor::Start);
}

std::string LyricsCommands::text() const {
    return window_.completedText()->toPlainText().toStdString();
}

void LyricsCommands::refreshCompletedText() {
    tab_.refresh();
}

void LyricsCommands::pageChanged(int index) {
    const int before = std::exchange(shownPage_, index);
    if (index == kCompletedTab) {
        tab_.activated();
    } else if (before == kCompletedTab) {
        tab_.left();
    }
}

bool LyricsCommands::saveLyricsFile(const std::string& path) {
    try {
        const TextSave save = tab_.save(path);
        if (save.error) editor_.dialogs().showError(FileWriteErrorMessage(path, save.error));
        if (!save.saved()) return false;
        editor_.changes().markSaved();
        return true;
    } catch (const SjisError& e) {
        editor_.dialogs().showError(e.what());
        return false;
    }
}

bool LyricsCommands::saveChanges() {
    FileDialogRequest request;
    request.filter = kLyricsSaveFilter;
    request.defaultExt = "txt";
    request.initialPath = lastLyricsSavePath_;
    if (request.initialPath.empty() && editor_.songPath) {
        const std::string song = editor_.songPath();
        if (!song.empty()) request.initialPath = ReplaceExtension(song, ".txt");
    }
    const auto path = editor_.dialogs().saveFile(request);
    if (!path) return false;
    lastLyricsSavePath_ = *path;
    return saveLyricsFile(*path);
}

bool LyricsCommands::settleBeforeReplacingTimes() {
    const LyricList& lyrics = editor_.document().lyrics;
    bool timed = false;
    for (int i = 0; i < lyrics.count() && !timed; ++i)
        timed = lyrics.line(i).timeText != LyricLine{}.timeText;
    return !timed || SettleUnsavedChanges(editor_.changes(), editor_.dialogs(),
                                          [this] { return saveChanges(); });
}

void LyricsCommands::saveWithDialog() {
    if (editor_.document().lyrics.count() == 0) return;
    FileDialogRequest request;
    request.filter = kLyricsSaveFilter;
    request.defaultExt = "txt";
    request.initialPath = lastLyricsSavePath_;
    const auto path = editor_.dialogs().saveFile(request);
    if (!path) return;
    lastLyricsSavePath_ = *path;
    saveLyricsFile(*path);
}

void LyricsCommands::pasteFromClipboard() {
    if (!settleBeforeReplacingTimes()) return;
    const UndoHistory::Step step = editor_.document().history.beginStep("自動展開して貼り付け");
    if (PasteFromClipboard(editor_.document(), clipboard_, editor_.dialogs(),
                           ExpansionOptionsFrom(editor_.settings())))
        window_.lyricList()->fitLyricsColumn();
}

void LyricsCommands::editAndPaste() {
    if (!settleBeforeReplacingTimes()) return;
    AppSettings& settings = editor_.settings();
    PasteLayout layout{.vertical = settings.pasteVertical,
                       .width = settings.pasteWindowWidth,
                       .height = settings.pasteWindowHeight,
                       .sourceSize = settings.pasteSourceSize};
    const UndoHistory::Step step = editor_.document().history.beginStep("編集して貼り付け");
    RunEditAndPaste(
        editor_.document(), clipboard_, editor_.dialogs(),
        [&settings] { return ExpansionOptionsFrom(settings); }, layout, settings.textEncoding,
        ToQFont(FontOf(editor_.fonts(), FontSlot::Paste)), &window_);
    settings.pasteVertical = layout.vertical;
    settings.pasteWindowWidth = layout.width;
    settings.pasteWindowHeight = layout.height;
    settings.pasteSourceSize = layout.sourceSize;
    window_.lyricList()->fitLyricsColumn();
}

bool LyricsCommands::reportRead(const LyricsFileRead& read) {
    if (read.status == LyricsReadStatus::Declined) return false;
    if (!read) editor_.dialogs().showError(read.message);
    if (const std::string warning = ReadReportMessage(read.report); !warning.empty())
        editor_.dialogs().showInformation(warning);
    return static_cast<bool>(read);
}

bool LyricsCommands::reportOwnRead(const LyricsFileRead& read) {
    if (!reportRead(read)) return false;
    // The document is now what the file holds; the unsaved changes, typed
    // text among them, were settled before the read.
    tab_.forgetTyping();
    editor_.changes().markSaved();
    return true;
}

bool LyricsCommands::readLyricsInto(Document& document, const std::string& path) {
    return reportRead(ReadTaggedLyrics(document, path, ReaderOptionsFrom(editor_.settings()),
                                       AskBeforeReplacing(editor_.dialogs())));
}

bool LyricsCommands::readLyricsFile(const std::string& path, TextEncoding encoding) {
    ReaderOptions options = ReaderOptionsFrom(editor_.settings());
    options.encoding = encoding;
    const UndoHistory::Step step = editor_.document().history.beginStep("歌詞ファイルの読み込み");
    return reportOwnRead(
        ReadTaggedLyrics(editor_.document(), path, options, AskBeforeReplacing(editor_.dialogs())));
}

bool LyricsCommands::readTagLyrics(const std::string& utf8Lyrics) {
    ReaderOptions options = ReaderOptionsFrom(editor_.settings());
    options.encoding = TextEncoding::Utf8;
    const UndoHistory::Step step = editor_.document().history.beginStep("タグの歌詞の読み込み");
    return reportOwnRead(ReadTaggedLyricsInput(editor_.document(), utf8Lyrics, options,
                                               AskBeforeReplacing(editor_.dialogs())));
}

void LyricsCommands::openLyricsFile() {
    FileDialogRequest request;
    request.filter = kLyricsOpenFilter;
    TextEncoding& encoding = editor_.settings().textEncoding;
    const auto path = ChooseTextFile(editor_.dialogs(), request, encoding);
    if (!path || !SettleUnsavedChanges(editor_.changes(), editor_.dialogs(),
                                       [this] { return saveChanges(); }))
        return;
    ReaderOptions options = ReaderOptionsFrom(editor_.settings());
    options.encoding = encoding;
    const UndoHistory::Step step = editor_.document().history.beginStep("歌詞ファイルの読み込み");
    const LyricsOpenResult opened =
        OpenLyricsFile(editor_.document(), *path, options, ExpansionOptionsFrom(editor_.settings()),
                       editor_.dialogs(), AskBeforeReplacing(editor_.dialogs()));
    if (opened.outcome == LyricsOpen::Read) reportOwnRead(opened.read);
    if (opened.outcome == LyricsOpen::Pasted) window_.lyricList()->fitLyricsColumn();
}

void LyricsCommands::saveTagInformation() {
    FileDialogRequest request;
    request.filter = kTagInfoSaveFilter;
    request.defaultExt = "obt";
    const auto path = editor_.dialogs().saveFile(request);
    if (!path) return;
    try {
        if (const std::error_code error = SaveTagInfoFile(*path, editor_.document(),
                                                          ExpansionOptionsFrom(editor_.settings())))
            editor_.dialogs().showError(FileWriteErrorMessage(*path, error));
    } catch (const ConversionError& e) {
        editor_.dialogs().showError(e.what());
    }
}

void LyricsCommands::combineTagInformation() {
    FileDialogRequest request;
    request.filter = kTagInfoOpenFilter;
    const auto path = editor_.dialogs().openFile(request);
    if (!path) return;
    std::error_code error;
    const auto info = ReadTagInfoFile(*path, error);
    if (!info) {
        editor_.dialogs().showError(kCombineFailedMessage);
        return;
    }
    const UndoHistory::Step step =
        editor_.document().history.beginStep("タグ情報とプレーン歌詞を合成");
    EditorCombineHost host(editor_.document(), clipboard_, editor_.dialogs());
    (void)CombineTagInfo(editor_.document(), *info, ExpansionOptionsFrom(editor_.settings()), host);
}

void LyricsCommands::editAuthor() {
    AppSettings& settings = editor_.settings();
    const auto text = editor_.dialogs().inputText("作成者情報", "", SjisToUtf8(settings.author));
    if (!text) return;
    try {
        settings.author = Utf8ToSjis(*text);
    } catch (const SjisError& e) {
        editor_.dialogs().showError(e.what());
    }
}

void LyricsCommands::editPlainUrl() {
    AppSettings& settings = editor_.settings();
    const auto text = editor_.dialogs().inputText("歌詞入手元", "歌詞入手元",
                                                  SjisToUtf8(settings.plainLyricsSource));
    if (!text) return;
    try {
        settings.plainLyricsSource = Utf8ToSjis(*text);
    } catch (const SjisError& e) {
        editor_.dialogs().showError(e.what());
    }
}

}  // namespace obrin
