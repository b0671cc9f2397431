#include "shell/qt/lyrics_commands.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextCursor>

#include "base/conversion_error.h"
#include "document/qt/lyric_list_widget.h"
#include "shell/editor.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_fonts.h"
#include "base/sjis_codec.h"
#include "text/clipboard_paste.h"
#include "text/qt/paste_window.h"
#include "text/qt/sjis_qt.h"
#include "text/text_messages.h"
#include "shell/text_options.h"

namespace obrin {
namespace {

constexpr int kCompletedTab = 1;
constexpr const char* kLyricsSaveFilter =
    "歌詞ファイル(*.txt)|*.txt|歌詞ファイル(*.lrc)|*.lrc|全てのファイル(*.*)|*.*";
constexpr const char* kLyricsOpenFilter =
    "通常歌詞ファイル(*.txt *lrc)|*.txt;*.lrc|全てのファイル(*.*)|*.*";
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

LyricsCommands::LyricsCommands(MainWindow& window, Editor& editor, Clipboard& clipboard)
    : QObject(&window), window_(window), editor_(editor), clipboard_(clipboard) {
    QPlainTextEdit* text = window_.completedText();
    auto* update = new QAction(QStringLiteral("最新の状態に更新(&U)"), text);
    update->setObjectName(QStringLiteral("U1"));
    update->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    update->setShortcutContext(Qt::WidgetShortcut);
    text->addAction(update);
    text->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(update, &QAction::triggered, this, &LyricsCommands::rebuildIfShown);
    connect(window_.pageControl(), &QTabWidget::currentChanged, this,
            &LyricsCommands::rebuildIfShown);

    const auto on = [this](const char* name, void (LyricsCommands::*command)()) {
        connect(window_.action(name), &QAction::triggered, this, command);
    };
    on("P1", &LyricsCommands::saveWithDialog);
    on("N3", &LyricsCommands::pasteFromClipboard);
    on("P4", &LyricsCommands::editAndPaste);
    on("N7", &LyricsCommands::openLyricsFile);
    on("T1", &LyricsCommands::saveTagInformation);
    on("mnuCombineObrin", &LyricsCommands::combineTagInformation);
    on("Edit2", &LyricsCommands::editAuthor);
    on("Edit3", &LyricsCommands::editPlainUrl);
}

LyricsCommands::~LyricsCommands() = default;

bool LyricsCommands::isActive() const {
    return window_.pageControl()->currentIndex() == kCompletedTab;
}

void LyricsCommands::activate() {
    window_.pageControl()->setCurrentIndex(kCompletedTab);
}

void LyricsCommands::showLines(const std::vector<std::string>& lines) {
    QPlainTextEdit* text = window_.completedText();
    text->setUpdatesEnabled(false);
    text->setPlainText(LinesToText(lines));
    text->moveCursor(QTextCursor::Start);
    text->setUpdatesEnabled(true);
}

std::vector<std::string> LyricsCommands::lines() const {
    return TextToLines(window_.completedText()->toPlainText());
}

bool LyricsCommands::takeFields() {
    Document& document = editor_.document();
    try {
        document.title = ToSjis(window_.titleField()->text());
        document.artist = ToSjis(window_.artistField()->text());
        document.infoLines = TextToLines(window_.infoPane()->toPlainText());
    } catch (const SjisError& e) {
        editor_.dialogs().showError(e.what());
        return false;
    }
    return true;
}

void LyricsCommands::showFields() {
    const Document& document = editor_.document();
    window_.titleField()->setText(FromSjis(document.title));
    window_.artistField()->setText(FromSjis(document.artist));
    showInfoLines();
}

void LyricsCommands::showInfoLines() {
    QPlainTextEdit* memo = window_.infoPane();
    memo->setPlainText(LinesToText(editor_.document().infoLines));
    memo->moveCursor(QTextCursor::Start);
}

void LyricsCommands::rebuildIfShown() {
    if (!isActive() || !takeFields()) return;
    BuildCompletedText(*this, editor_.document(), CompletedTextOptionsFrom(editor_.settings()));
}

void LyricsCommands::saveLyricsFile(const std::string& path) {
    if (!isActive() && !takeFields()) return;
    try {
        if (const std::error_code error = SaveCompletedText(
                *this, editor_.document(), CompletedTextOptionsFrom(editor_.settings()), path))
            editor_.dialogs().showError(FileWriteErrorMessage(path, error));
    } catch (const SjisError& e) {
        editor_.dialogs().showError(e.what());
    }
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

void LyricsCommands::changingInfoLines(const std::function<void()>& command) {
    Document& document = editor_.document();
    // What the user typed into the pane since the last rebuild is the
    // starting point; a pane that cannot be converted is left as it is.
    try {
        document.infoLines = TextToLines(window_.infoPane()->toPlainText());
    } catch (const SjisError&) {
    }
    const std::vector<std::string> before = document.infoLines;
    command();
    if (document.infoLines != before) showInfoLines();
}

void LyricsCommands::pasteFromClipboard() {
    changingInfoLines([this] {
        if (PasteFromClipboard(editor_.document(), clipboard_, editor_.dialogs(),
                               ExpansionOptionsFrom(editor_.settings())))
            window_.lyricList()->fitLyricsColumn();
    });
}

void LyricsCommands::editAndPaste() {
    AppSettings& settings = editor_.settings();
    PasteLayout layout{.vertical = settings.pasteVertical,
                       .width = settings.pasteWindowWidth,
                       .height = settings.pasteWindowHeight,
                       .sourceSize = settings.pasteSourceSize};
    changingInfoLines([&] {
        RunEditAndPaste(
            editor_.document(), clipboard_, editor_.dialogs(),
            [&settings] { return ExpansionOptionsFrom(settings); }, layout,
            ToQFont(FontOf(editor_.fonts(), FontSlot::Paste)), &window_);
    });
    settings.pasteVertical = layout.vertical;
    settings.pasteWindowWidth = layout.width;
    settings.pasteWindowHeight = layout.height;
    settings.pasteSourceSize = layout.sourceSize;
    window_.lyricList()->fitLyricsColumn();
}

void LyricsCommands::readLyricsFile(const std::string& path) {
    Document& document = editor_.document();
    const std::string title = document.title;
    const std::string artist = document.artist;
    const bool read = ReadTaggedLyrics(document, path, ReaderOptionsFrom(editor_.settings()));
    // The read sets the fields only through its import and never clears them.
    if (document.title != title) window_.titleField()->setText(FromSjis(document.title));
    if (document.artist != artist) window_.artistField()->setText(FromSjis(document.artist));
    showInfoLines();
    if (!read) editor_.dialogs().showError(kLyricsOpenFailedMessage);
}

void LyricsCommands::openLyricsFile() {
    FileDialogRequest request;
    request.filter = kLyricsOpenFilter;
    if (const auto path = editor_.dialogs().openFile(request)) readLyricsFile(*path);
}

void LyricsCommands::saveTagInformation() {
    FileDialogRequest request;
    request.filter = kTagInfoSaveFilter;
    request.defaultExt = "obt";
    const auto path = editor_.dialogs().saveFile(request);
    if (!path || !takeFields()) return;
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
    changingInfoLines([&] {
        EditorCombineHost host(editor_.document(), clipboard_, editor_.dialogs());
        (void)CombineTagInfo(editor_.document(), *info, ExpansionOptionsFrom(editor_.settings()),
                             host);
    });
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
    const auto text =
        editor_.dialogs().inputText("歌詞入手元", "歌詞入手元", SjisToUtf8(settings.plainLyricsSource));
    if (!text) return;
    try {
        settings.plainLyricsSource = Utf8ToSjis(*text);
    } catch (const SjisError& e) {
        editor_.dialogs().showError(e.what());
    }
}

}  // namespace obrin
