#pragma once

#include <QWidget>
#include <filesystem>
#include <vector>

#include "export/browsable_drives.h"

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;

namespace obrin {

// A drive box over a folder list, with the current folder shown between
// them. Activating a folder (double-click, Enter) moves into it; ".." moves
// up, but not above the drive's own folder.
class FolderChooser : public QWidget {
    Q_OBJECT
  public:
    FolderChooser(const QString& driveBoxName, const QString& folderListName,
                  std::vector<BrowsableDrive> drives, QWidget* parent);

    const std::filesystem::path& folder() const { return folder_; }
    // Moves the list to `folder`; false, with the list where it was, when
    // the folder cannot be listed.
    bool moveTo(const std::filesystem::path& folder);
    // Shows `folder` under the drive that holds it; false, with the list
    // where it was, when no drive holds it or it cannot be listed.
    bool startAt(const std::filesystem::path& folder);

  signals:
    void folderChanged();

  private:
    void chooseDrive(int index);
    void enter(QListWidgetItem* item);

    std::vector<BrowsableDrive> drives_;
    std::filesystem::path driveFolder_;
    std::filesystem::path folder_;
    QComboBox* driveBox_;
    QLabel* folderLabel_;
    QListWidget* folders_;
};

}  // namespace obrin
