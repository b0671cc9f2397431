#include "export/qt/folder_chooser.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <utility>

namespace obrin {
namespace {

const QString kUp = QStringLiteral("..");

QString KindText(BrowsableDrive::Kind kind) {
    switch (kind) {
        case BrowsableDrive::Kind::Root:
            return QStringLiteral("ルート");
        case BrowsableDrive::Kind::Home:
            return QStringLiteral("ホーム");
        case BrowsableDrive::Kind::Removable:
            return QStringLiteral("リムーバブル");
        case BrowsableDrive::Kind::Network:
            return QStringLiteral("ネットワーク");
    }
    return {};
}

QString Text(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

}  // namespace

FolderChooser::FolderChooser(const QString& driveBoxName, const QString& folderListName,
                             std::vector<BrowsableDrive> drives, QWidget* parent)
    : QWidget(parent), drives_(std::move(drives)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    driveBox_ = new QComboBox(this);
    driveBox_->setObjectName(driveBoxName);
    for (const BrowsableDrive& drive : drives_) {
        driveBox_->addItem(Text(drive.folder) + QStringLiteral(" (") + KindText(drive.kind) +
                           QStringLiteral(")"));
    }
    folderLabel_ = new QLabel(this);
    folderLabel_->setObjectName(folderListName + QStringLiteral("Folder"));
    folders_ = new QListWidget(this);
    folders_->setObjectName(folderListName);
    layout->addWidget(driveBox_);
    layout->addWidget(folderLabel_);
    layout->addWidget(folders_);

    connect(driveBox_, &QComboBox::currentIndexChanged, this, &FolderChooser::chooseDrive);
    connect(folders_, &QListWidget::itemActivated, this, &FolderChooser::enter);
    if (!drives_.empty()) chooseDrive(0);
}

void FolderChooser::chooseDrive(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= drives_.size()) return;
    const std::filesystem::path previousDrive = driveFolder_;
    driveFolder_ = drives_[static_cast<std::size_t>(index)].folder;
    if (moveTo(driveFolder_)) return;
    // A drive that cannot be listed: back to the first, the list unmoved.
    driveFolder_ = previousDrive;
    const QSignalBlocker blocker(driveBox_);
    driveBox_->setCurrentIndex(0);
}

bool FolderChooser::moveTo(const std::filesystem::path& folder) {
    const QDir dir(Text(folder));
    if (!dir.exists() || !dir.isReadable()) return false;
    folder_ = folder.lexically_normal();
    if (folder_.has_parent_path() && !folder_.has_filename() && folder_ != folder_.root_path())
        folder_ = folder_.parent_path();
    folderLabel_->setText(Text(folder_));
    folders_->clear();
    if (folder_ != driveFolder_.lexically_normal() && folder_ != folder_.root_path())
        folders_->addItem(kUp);
    folders_->addItems(dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                                     QDir::Name | QDir::IgnoreCase));
    emit folderChanged();
    return true;
}

bool FolderChooser::startAt(const std::filesystem::path& folder) {
    const std::filesystem::path normal = folder.lexically_normal();
    const std::optional<std::size_t> drive = DriveHolding(drives_, normal);
    if (!drive || !folder.is_absolute()) return false;
    const std::filesystem::path previousDrive = std::exchange(driveFolder_, drives_[*drive].folder);
    if (!moveTo(normal)) {
        driveFolder_ = previousDrive;
        return false;
    }
    const QSignalBlocker blocker(driveBox_);
    driveBox_->setCurrentIndex(static_cast<int>(*drive));
    return true;
}

void FolderChooser::enter(QListWidgetItem* item) {
    if (item->text() == kUp) {
        moveTo(folder_.parent_path());
    } else {
        moveTo(folder_ / item->text().toStdString());
    }
}

}  // namespace obrin
