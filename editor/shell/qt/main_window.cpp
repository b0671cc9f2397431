#include "shell/qt/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "base/command_ids.h"
#include "base/qt/qt_fonts.h"
#include "document/qt/control_panel.h"
#include "document/qt/lyric_list_widget.h"
#include "playback/qt/player_panel.h"
#include "playback/qt/waveform_strip.h"
#include "shell/editor.h"
#include "text/qt/song_fields.h"

namespace obrin {

namespace {

const QColor kPositionBarColour(0, 128, 0);
constexpr int kDesignedWidth = 640;
constexpr int kDesignedHeight = 580;
constexpr int kSpacing = 2;

}  // namespace

MainWindow::MainWindow(Editor& editor, CloseRequest closeRequest, QWidget* parent)
    : QMainWindow(parent), editor_(editor), closeRequest_(std::move(closeRequest)) {
    RegisterJapaneseFontSubstitutes();
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("obrin"));
    modified_ = editor_.changes().modifiedChanged.connect([this](bool) { showCaption(); });
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    // The designed size holds the controls; the strip, shown at first, adds
    // its own height.
    resize(kDesignedWidth, kDesignedHeight + WaveformStrip::kHeight + kSpacing);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(kSpacing);
    layout->addWidget(buildSongFields());
    playerPanel_ = new PlayerPanel(central);
    layout->addWidget(playerPanel_);
    waveform_ = new WaveformStrip(editor_.document(), central);
    layout->addWidget(waveform_);
    controlPanel_ = new ControlPanel(editor_.document(), editor_.dialogs(), central);
    layout->addWidget(controlPanel_);
    layout->addWidget(buildPages(), 1);
    setCentralWidget(central);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    // The bar adds its own height, so the controls keep their designed sizes.
    resize(width(), height() + statusBar()->sizeHint().height());

    controlPanel_->markButton()->setFocus();
    lastFocus_ = controlPanel_->markButton();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && now->window() == this) lastFocus_ = now;
    });
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::action(CommandId command) const {
    return findChild<QAction*>(QString::fromLatin1(command.objectName()));
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
    titleField_ = field("edtTitle", QStringLiteral("曲名"));
    artistField_ = field("edtArtist", QStringLiteral("歌手"));
    new SongFieldBinding(*titleField_, editor_.document(), DocumentField::Title, editor_.dialogs());
    new SongFieldBinding(*artistField_, editor_.document(), DocumentField::Artist,
                         editor_.dialogs());
    return fields;
}

QWidget* MainWindow::buildPages() {
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl"));

    splitter_ = new QSplitter(Qt::Vertical, pages_);
    splitter_->setObjectName(QStringLiteral("Splitter1"));
    splitter_->setChildrenCollapsible(false);
    list_ = new LyricListWidget(editor_.document(), editor_.dialogs(), splitter_);
    infoPane_ = new QPlainTextEdit(splitter_);
    infoPane_->setObjectName(QStringLiteral("Memo"));
    new SongFieldBinding(*infoPane_, editor_.document(), editor_.dialogs());
    splitter_->addWidget(list_);
    splitter_->addWidget(infoPane_);
    splitter_->setStretchFactor(0, 1);
    splitter_->setSizes({260, 60});
    pages_->addTab(splitter_, QStringLiteral("リスト"));

    text_ = new QPlainTextEdit(pages_);
    text_->setObjectName(QStringLiteral("Text"));
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    pages_->addTab(text_, QStringLiteral("完成型"));
    return pages_;
}

void MainWindow::showWorkFolder() {
    // The caption is a path: a "&" in it is a character, not a mnemonic.
    action(command::kChooseWorkFolder)
        ->setText(QString::fromStdString(editor_.workFolder().string()).replace(u'&', "&&"));
}

void MainWindow::setWaveformVisible(bool visible) {
    if (waveform_->isVisibleTo(this) == visible) return;
    const int change = (WaveformStrip::kHeight + kSpacing) * (visible ? 1 : -1);
    waveform_->setVisible(visible);
    if (!isMaximized() && !isFullScreen()) resize(width(), height() + change);
}

void MainWindow::showStatus(const std::string& text) {
    statusBar()->showMessage(QString::fromStdString(text));
}

void MainWindow::applySettings() {
    list_->setGridLinesVisible(editor_.settings().gridLines);
    setWaveformVisible(editor_.settings().showWaveform);
    showWorkFolder();
}

void MainWindow::applyFonts() {
    list_->setFont(ToQFont(FontOf(editor_.fonts(), FontSlot::List)));
    infoPane_->setFont(ToQFont(FontOf(editor_.fonts(), FontSlot::Info)));
    text_->setFont(ToQFont(FontOf(editor_.fonts(), FontSlot::Text)));
}

void MainWindow::showFirstTime() {
    list_->fitLyricsColumn();
    playerPanel_->setBarColour(kPositionBarColour);
    editor_.loadSettings();
    applySettings();
    applyFonts();
    list_->restoreColumnWidths(editor_.settings().listLyricWidth, editor_.settings().listTimeWidth);
    // Also where the SP250 item looks for its library.
    emit settingsLoaded();
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
    showFirstTime();
}

void MainWindow::showCaption() {
    showingCaption_ = true;
    setWindowTitle(editor_.changes().modified() ? QStringLiteral("*") + caption_ : caption_);
    showingCaption_ = false;
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Whoever sets the caption (opening a song, its progress) sets it
    // without the marker; it is put back here.
    if (event->type() == QEvent::WindowTitleChange && !showingCaption_) {
        caption_ = windowTitle();
        if (editor_.changes().modified()) showCaption();
    }
    // Disabling the window while a song converts or a confirm run plays takes
    // the focus from its control; without giving it back the title field would
    // get it, where the assigned Mark key does nothing.
    if (event->type() == QEvent::EnabledChange && isEnabled() && lastFocus_) {
        lastFocus_->setFocus();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A column that fits itself to the list is kept as the list's own (0),
    // so it goes on following the window at the next start.
    editor_.settings().listLyricWidth =
        list_->lyricsColumnFollowsList() ? 0 : list_->columnWidth(LyricListModel::kLyricColumn);
    editor_.settings().listTimeWidth = list_->columnWidth(LyricListModel::kTimeColumn);
    if (closeRequest_()) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace obrin
