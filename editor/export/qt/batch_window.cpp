#include "export/qt/batch_window.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/dialogs.h"
#include "export/batch_mark.h"
#include "export/qt/folder_chooser.h"

namespace obrin {
namespace {

void Paint(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
}

}  // namespace

std::vector<BrowsableDrive> SystemDrives() {
    QFile mounts(QStringLiteral("/proc/self/mounts"));
    QByteArray table;
    if (mounts.open(QIODevice::ReadOnly)) table = mounts.readAll();
    return BrowsableDrives(
        std::string_view(table.constData(), static_cast<std::size_t>(table.size())),
        QDir::homePath().toStdString());
}

BatchWindow::BatchWindow(const ExportTable& exports, BatchConversion::LyricsReader readLyrics,
                         Dialogs& dialogs, const std::filesystem::path& programFolder,
                         std::vector<BrowsableDrive> drives, QWidget* parent)
    : QDialog(parent),
      dialogs_(dialogs),
      batch_(exports, std::move(readLyrics), dialogs, programFolder, *this) {
    setObjectName(QStringLiteral("RioForm"));
    setWindowTitle(QStringLiteral("Tessary一斉出力"));

    auto* sourceBox = new QGroupBox(QStringLiteral("処理元"), this);
    auto* sourceLayout = new QHBoxLayout(sourceBox);
    source_ = new FolderChooser(QStringLiteral("ComboBox1"), QStringLiteral("FromDirectoryListBox"),
                                drives, sourceBox);
    mp3Files_ = new QListWidget(sourceBox);
    mp3Files_->setObjectName(QStringLiteral("FileListBox1"));
    sourceLayout->addWidget(source_);
    sourceLayout->addWidget(mp3Files_);

    auto* destinationBox = new QGroupBox(QStringLiteral("出力先"), this);
    auto* destinationLayout = new QVBoxLayout(destinationBox);
    destination_ =
        new FolderChooser(QStringLiteral("ComboBox2"), QStringLiteral("DestDirectoryListBox"),
                          WritableDrives(std::move(drives)), destinationBox);
    auto* createFolderButton = new QPushButton(QStringLiteral("フォルダ作成"), destinationBox);
    createFolderButton->setObjectName(QStringLiteral("btnCreateFolder"));
    destinationLayout->addWidget(destination_);
    destinationLayout->addWidget(createFolderButton);

    skipOverRemote_ = new QCheckBox(QStringLiteral("△のファイルは出力しない"), this);
    skipOverRemote_->setObjectName(QStringLiteral("chkSkipRemote"));
    skipOverBody_ = new QCheckBox(QStringLiteral("▲のファイルは出力しない"), this);
    skipOverBody_->setObjectName(QStringLiteral("chkSkipBody"));
    auto* subfolders = new QCheckBox(QStringLiteral("下位フォルダ探索"), this);
    subfolders->setObjectName(QStringLiteral("chkSubFolders"));
    subfolders->setEnabled(false);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("panStatus"));
    status_->setAutoFillBackground(true);
    status_->setAlignment(Qt::AlignCenter);
    status_->setFrameShape(QFrame::Panel);
    status_->setFrameShadow(QFrame::Sunken);
    startButton_ = new QPushButton(QStringLiteral("開始"), this);
    startButton_->setObjectName(QStringLiteral("btnStart"));
    stopButton_ = new QPushButton(QStringLiteral("中止"), this);
    stopButton_->setObjectName(QStringLiteral("btnStop"));
    stopButton_->setEnabled(false);
    results_ = new QListWidget(this);
    results_->setObjectName(QStringLiteral("lstResult"));
    results_->setSelectionMode(QAbstractItemView::NoSelection);

    auto* layout = new QGridLayout(this);
    layout->addWidget(sourceBox, 0, 0);
    layout->addWidget(destinationBox, 0, 1);
    auto* options = new QHBoxLayout;
    options->addWidget(skipOverRemote_);
    options->addWidget(skipOverBody_);
    options->addWidget(subfolders);
    layout->addLayout(options, 1, 0, 1, 2);
    auto* run = new QHBoxLayout;
    run->addWidget(status_, 1);
    run->addWidget(startButton_);
    run->addWidget(stopButton_);
    layout->addLayout(run, 2, 0, 1, 2);
    layout->addWidget(new QLabel(QString::fromUtf8(kBatchLegend), this), 3, 0, 1, 2);
    layout->addWidget(results_, 4, 0, 1, 2);

    stepTimer_.setSingleShot(true);
    stepTimer_.setInterval(0);
    // Enter in a list or box must not press a button for the user: no button
    // is the window's default.
    for (QPushButton* button : {createFolderButton, startButton_, stopButton_})
        button->setAutoDefault(false);
    connect(&stepTimer_, &QTimer::timeout, this, &BatchWindow::step);
    connect(startButton_, &QPushButton::clicked, this, &BatchWindow::start);
    connect(stopButton_, &QPushButton::clicked, this, [this] { batch_.stop(); });
    connect(createFolderButton, &QPushButton::clicked, this, &BatchWindow::createFolder);
    connect(source_, &FolderChooser::folderChanged, this, &BatchWindow::showMp3Files);
    showMp3Files();
    setFixedSize(sizeHint().expandedTo(QSize(640, 520)));
}

void BatchWindow::startAt(const std::filesystem::path& source,
                          const std::filesystem::path& destination) {
    if (!source.empty()) source_->startAt(source);
    if (!destination.empty()) destination_->startAt(destination);
}

void BatchWindow::start() {
    const BatchOptions options{.skipOverRemote = skipOverRemote_->isChecked(),
                               .skipOverBody = skipOverBody_->isChecked()};
    if (batch_.start(source_->folder(), destination_->folder(), options)) stepTimer_.start();
}

void BatchWindow::step() {
    // One step at a time: the timer is armed again only after a step has
    // returned, so an error box shown inside one cannot start the next.
    if (batch_.step()) stepTimer_.start();
}

void BatchWindow::done(int result) {
    // Closing the window ends the run with the songs done so far.
    if (batch_.running()) {
        stepTimer_.stop();
        batch_.stop();
        batch_.step();
    }
    QDialog::done(result);
}

void BatchWindow::createFolder() {
    const auto name = dialogs_.inputText("フォルダ作成", "フォルダ名の指定", "");
    if (!name || name->empty()) return;
    const std::filesystem::path parent = destination_->folder();
    if (!CreateOneFolder(parent, *name) || !destination_->moveTo(parent / *name)) {
        dialogs_.showError(kCreateFolderFailedMessage);
    }
}

void BatchWindow::showMp3Files() {
    mp3Files_->clear();
    const QDir folder(QString::fromStdString(source_->folder().string()));
    mp3Files_->addItems(folder.entryList({QStringLiteral("*.mp3")},
                                         QDir::Files | QDir::Hidden | QDir::System,
                                         QDir::Name | QDir::IgnoreCase));
}

void BatchWindow::showStatus(Status status, const std::string& text) {
    status_->setText(QString::fromStdString(text));
    Paint(status_, status == Status::Ended ? QColor(Qt::white) : QColor(Qt::yellow));
}

void BatchWindow::clearResults() {
    results_->clear();
}

void BatchWindow::addResult(const std::string& line) {
    results_->addItem(QString::fromStdString(line));
    results_->scrollToBottom();
}

void BatchWindow::setRunning(bool running) {
    startButton_->setEnabled(!running);
    stopButton_->setEnabled(running);
}

}  // namespace obrin
