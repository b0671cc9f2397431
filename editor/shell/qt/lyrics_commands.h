#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "text/completed_text.h"
#include "text/tag_info_file.h"

class QTabWidget;
class QPlainTextEdit;

namespace obrin {

class Clipboard;
class Editor;
class MainWindow;

// The lyrics text commands of the main window: the tab "完成型" and its
// rebuild rule, `U1`, `P1`, `N3`, `P4`, `N7`, `Edit2`, `Edit3`, and the tag-
// information items `T1` and `mnuCombineObrin` (which the menu keeps
// disabled). The rules live in the core; this class moves text between the
// widgets and the document through the Shift-JIS codec.
class LyricsCommands final : public QObject, private CompletedTextPage {
    Q_OBJECT
  public:
    LyricsCommands(MainWindow& window, Editor& editor, Clipboard& clipboard);
    ~LyricsCommands() override;

    // Reads a tagged lyrics file into the document and the fields, reporting
    // a failure. Also the music-file opening's way in.
    void readLyricsFile(const std::string& path);
    // Saves the completed text (P1's last step, and S1's), reporting a failure.
    void saveLyricsFile(const std::string& path);

    void saveWithDialog();         // P1
    void pasteFromClipboard();     // N3
    void editAndPaste();           // P4
    void openLyricsFile();         // N7
    void saveTagInformation();     // T1
    void combineTagInformation();  // mnuCombineObrin
    void rebuildIfShown();         // U1 and the change of tab

  private:
    bool isActive() const override;
    void activate() override;
    void showLines(const std::vector<std::string>& lines) override;
    std::vector<std::string> lines() const override;

    // Takes the title, artist and information pane into the document; false
    // (with the message shown) if one holds a character Shift-JIS lacks.
    bool takeFields();
    // Shows the document's title, artist and InfoLines in their fields.
    void showFields();
    void showInfoLines();
    // Runs a command that may change InfoLines, starting from the pane's
    // current text and showing the result if it changed.
    void changingInfoLines(const std::function<void()>& command);
    void editAuthor();    // Edit2
    void editPlainUrl();  // Edit3

    MainWindow& window_;
    Editor& editor_;
    Clipboard& clipboard_;
    std::string lastLyricsSavePath_;
};

}  // namespace obrin
