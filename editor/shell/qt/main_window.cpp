#include "shell/qt/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

#include "document/qt/control_panel.h"
#include "document/qt/lyric_list_widget.h"
#include "playback/qt/player_panel.h"
#include "shell/editor.h"
#include "shell/qt/key_assignment_dialog.h"
#include "shell/qt/main_menu.h"
#include "shell/qt/qt_fonts.h"
#include "shell/qt/virtual_keys.h"

namespace obrin {

namespace {

// Menu check marks that are settings, written back the moment the user
// changes them.
struct OptionItem {
    const char* action;
    bool AppSettings::*setting;
};

constexpr OptionItem kOptionItems[] = {
    {"mnuStar", &AppSettings::expandRepeats},
    {"mnuNullLine", &AppSettings::dropRepeatedBlankLines},
    {"mnuInfo", &AppSettings::importInfoLines},
    {"mnuRioViewBody", &AppSettings::warnBodyDisplay},
    {"mnuRioViewRemote", &AppSettings::warnRemoteDisplay},
    {"E2", &AppSettings::appendBlankLastLine},
    {"N23", &AppSettings::gridLines},
    {"T6", &AppSettings::confirmExit},
    {"N15", &AppSettings::addEditedBy},
    {"I2", &AppSettings::addTaggingBy},
    {"mnuPlainURLEnabled", &AppSettings::plainLyricsSourceEnabled},
};

// The radio items of the two option groups.
template <typename Choice>
struct RadioItem {
    const char* action;
    Choice choice;
};

constexpr RadioItem<SongInfoMode> kSongInfoItems[] = {
    {"mnuInfoAtMark", SongInfoMode::AtMark},
    {"mnuInfoFirst", SongInfoMode::First},
    {"mnuKeyValue", SongInfoMode::KeyValue},
    {"mnuInfoNone", SongInfoMode::None},
};

constexpr RadioItem<ExistingLyrics> kExistingLyricsItems[] = {
    {"A3", ExistingLyrics::OpenAutomatically},
    {"E1", ExistingLyrics::Ask},
    {"N17", ExistingLyrics::DoNothing},
};

const QColor kPositionBarColour(0, 128, 0);

}  // namespace

MainWindow::MainWindow(Editor& editor, QWidget* parent) : QMainWindow(parent), editor_(editor) {
    RegisterJapaneseFontSubstitutes();
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("obrin"));
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    resize(640, 580);

    BuildMainMenu(*menuBar());

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(buildSongFields());
    playerPanel_ = new PlayerPanel(central);
    layout->addWidget(playerPanel_);
    controlPanel_ = new ControlPanel(editor_.document(), editor_.dialogs(), central);
    layout->addWidget(controlPanel_);
    layout->addWidget(buildPages(), 1);
    setCentralWidget(central);

    connectOptionItems();
    connectShellCommands();

    controlPanel_->markButton()->setFocus();
    lastFocus_ = controlPanel_->markButton();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && now->window() == this) lastFocus_ = now;
    });
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
}

QAction* MainWindow::action(const char* name) const {
    return widget<QAction>(name);
}

QWidget* MainWindow::buildSongFields() {
    auto* fields = new QWidget(this);
    auto* layout = new QHBoxLayout(fields);
    layout->setContentsMargins(0, 0, 0, 0);
    auto field = [&](const char* name, const QString& caption) {
        auto* group = new QGroupBox(caption, fields);
        auto* edit = new QLineEdit(group);
        edit->setObjectName(QString::fromLatin1(name));
        auto* groupLayout = new QHBoxLayout(group);
        groupLayout->setContentsMargins(4, 2, 4, 2);
        groupLayout->addWidget(edit);
        layout->addWidget(group);
        return edit;
    };
    edtTitle_ = field("edtTitle", QStringLiteral("曲名"));
    edtArtist_ = field("edtArtist", QStringLiteral("歌手"));
    return fields;
}

QWidget* MainWindow::buildPages() {
    pageControl_ = new QTabWidget(this);
    pageControl_->setObjectName(QStringLiteral("PageControl"));

    splitter_ = new QSplitter(Qt::Vertical, pageControl_);
    splitter_->setObjectName(QStringLiteral("Splitter1"));
    splitter_->setChildrenCollapsible(false);
    list_ = new LyricListWidget(editor_.document().lyrics, editor_.dialogs(), splitter_);
    memo_ = new QPlainTextEdit(splitter_);
    memo_->setObjectName(QStringLiteral("Memo"));
    splitter_->addWidget(list_);
    splitter_->addWidget(memo_);
    splitter_->setStretchFactor(0, 1);
    splitter_->setSizes({260, 60});
    pageControl_->addTab(splitter_, QStringLiteral("リスト"));

    text_ = new QPlainTextEdit(pageControl_);
    text_->setObjectName(QStringLiteral("Text"));
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    pageControl_->addTab(text_, QStringLiteral("完成型"));
    return pageControl_;
}

void MainWindow::connectOptionItems() {
    for (const OptionItem& item : kOptionItems) {
        connect(action(item.action), &QAction::toggled, this,
                [this, setting = item.setting](bool checked) {
                    editor_.settings().*setting = checked;
                });
    }
    const auto connectRadioItems = [this](const auto& items, auto setting) {
        for (const auto& item : items) {
            connect(action(item.action), &QAction::toggled, this,
                    [this, setting, choice = item.choice](bool checked) {
                        if (checked) editor_.settings().*setting = choice;
                    });
        }
    };
    connectRadioItems(kSongInfoItems, &AppSettings::songInfo);
    connectRadioItems(kExistingLyricsItems, &AppSettings::existingLyrics);
    connect(action("N23"), &QAction::toggled, list_, &LyricListWidget::setGridLinesVisible);
}

void MainWindow::connectShellCommands() {
    connect(action("Exit1"), &QAction::triggered, this, &QWidget::close);
    connect(action("H1"), &QAction::triggered, this, [this] { editor_.showHelp(); });
    connect(action("mnuTempPath"), &QAction::triggered, this, [this] {
        if (editor_.chooseWorkFolder()) showWorkFolder();
    });
    const std::pair<const char*, FontSlot> fontItems[] = {{"N16", FontSlot::List},
                                                          {"T4", FontSlot::Info},
                                                          {"C2", FontSlot::Text},
                                                          {"Paste1", FontSlot::Paste}};
    for (const auto& [name, slot] : fontItems) {
        connect(action(name), &QAction::triggered, this,
                [this, slot = slot] { editor_.chooseFont(slot); });
    }
    connect(action("K1"), &QAction::triggered, this, [this] {
        AppSettings& settings = editor_.settings();
        KeyAssignmentDialog form({settings.keyMark, settings.keyPrevCheck, settings.keyPlayPause}, this);
        form.exec();
        const auto codes = form.codes();
        settings.keyMark = codes[0];
        settings.keyPrevCheck = codes[1];
        settings.keyPlayPause = codes[2];
    });
}

void MainWindow::showWorkFolder() {
    // The caption is a path: a "&" in it is a character, not a mnemonic.
    action("mnuTempPath")
        ->setText(QString::fromStdString(editor_.workFolder().string()).replace(u'&', "&&"));
}

void MainWindow::applySettingsToMenu() {
    const AppSettings settings = editor_.settings();
    for (const OptionItem& item : kOptionItems)
        action(item.action)->setChecked(settings.*item.setting);
    const auto showRadioItems = [this](const auto& items, const auto& choice) {
        for (const auto& item : items) action(item.action)->setChecked(choice == item.choice);
    };
    showRadioItems(kSongInfoItems, settings.songInfo);
    showRadioItems(kExistingLyricsItems, settings.existingLyrics);
    list_->setGridLinesVisible(editor_.settings().gridLines);
    showWorkFolder();
    controlPanel_->refreshFromDocument();
}

void MainWindow::applyFonts() {
    list_->setFont(ToQFont(FontOf(editor_.fonts(), FontSlot::List)));
    memo_->setFont(ToQFont(FontOf(editor_.fonts(), FontSlot::Info)));
    text_->setFont(ToQFont(FontOf(editor_.fonts(), FontSlot::Text)));
}

void MainWindow::formShow() {
    list_->fitLyricsColumn();
    playerPanel_->setBarColour(kPositionBarColour);
    action("MarletSP250R1")->setEnabled(editor_.marletAvailable());
    editor_.loadSettings();
    applySettingsToMenu();
    applyFonts();
    QCoreApplication::processEvents();
}

void MainWindow::centreOnScreen() {
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    centreOnScreen();
    formShow();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Disabling the window while a song converts or a confirm run plays takes
    // the focus from its control; without giving it back the title field would
    // get it, where the assigned Mark key does nothing.
    if (event->type() == QEvent::EnabledChange && isEnabled() && lastFocus_) {
        lastFocus_->setFocus();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (editor_.close()) {
        event->accept();
    } else {
        event->ignore();
    }
}

bool MainWindow::dispatchAssignedKey(const QKeyEvent& event) {
    // Where the user types text, a key is text, never a command.
    const QWidget* focus = QApplication::focusWidget();
    for (const QWidget* field :
         {static_cast<QWidget*>(edtTitle_), static_cast<QWidget*>(edtArtist_),
          static_cast<QWidget*>(memo_), static_cast<QWidget*>(list_)}) {
        if (focus && (focus == field || field->isAncestorOf(focus))) return false;
    }
    const char* button = nullptr;
    switch (editor_.assignedCommandFor(VirtualKeyOf(event))) {
        case AssignedCommand::Mark:
            button = "Button2";
            break;
        case AssignedCommand::CheckPrevious:
            button = "Button1";
            break;
        case AssignedCommand::PlayPause:
            button = "btnPlayStop";
            break;
        case AssignedCommand::None:
            return false;
    }
    // Exactly as a click: a disabled button does nothing, and the key is
    // still used up.
    widget<QPushButton>(button)->click();
    return true;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Application-wide filters see a key once per widget it propagates to;
    // only the first stop, the focused control of this window, counts.
    if (event->type() == QEvent::KeyPress) {
        auto* target = qobject_cast<QWidget*>(watched);
        if (target && target->window() == this &&
            (target == QApplication::focusWidget() || target == this) &&
            dispatchAssignedKey(static_cast<const QKeyEvent&>(*event))) {
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace obrin
