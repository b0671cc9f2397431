#pragma once

#include <QDialog>
#include <QTimer>
#include <filesystem>
#include <vector>

#include "export/batch_conversion.h"
#include "export/browsable_drives.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace obrin {

class Dialogs;
class FolderChooser;

// The batch window "Tessary一斉出力": a source and a destination folder, the
// two skip boxes, and the run's status and result list. A run goes one step
// per turn of the event loop, so the window answers while it works and
// "中止" or closing the window stops it.
class BatchWindow : public QDialog, private BatchView {
    Q_OBJECT
  public:
    BatchWindow(const ExportTable& exports, BatchConversion::LyricsReader readLyrics,
                Dialogs& dialogs, const std::filesystem::path& programFolder,
                std::vector<BrowsableDrive> drives, QWidget* parent);

    // Where the two lists start (the folders of the last run); a folder that
    // is gone leaves its list on the first drive.
    void startAt(const std::filesystem::path& source, const std::filesystem::path& destination);
    FolderChooser* source() const { return source_; }
    FolderChooser* destination() const { return destination_; }
    [[nodiscard]] bool running() const { return batch_.running(); }

  protected:
    void done(int result) override;

  private:
    void showStatus(Status status, const std::string& text) override;
    void clearResults() override;
    void addResult(const std::string& line) override;
    void setRunning(bool running) override;

    void start();
    void step();
    void createFolder();
    void showMp3Files();

    Dialogs& dialogs_;
    BatchConversion batch_;
    QTimer stepTimer_;
    FolderChooser* source_;
    FolderChooser* destination_;
    QListWidget* mp3Files_;
    QCheckBox* skipOverRemote_;
    QCheckBox* skipOverBody_;
    QLabel* status_;
    QPushButton* startButton_;
    QPushButton* stopButton_;
    QListWidget* results_;
};

// The drives of this system, for the two drive boxes.
[[nodiscard]] std::vector<BrowsableDrive> SystemDrives();

}  // namespace obrin
