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
class CommandTable;
class Editor;
class MainWindow;

// The lyrics text commands of the main window, registered in the command
// table: the tab "完成型" and its rebuild, the saves, the pastes, reading a
// lyrics file, the author and plain-lyrics source texts, and the tag-
// information items (saving them stays disabled). The rules live in the core; this class moves text
// between the widgets and the document through the Shift-JIS codec.
class LyricsCommands final : public QObject, private CompletedTextPage {
    Q_OBJECT
  public:
    LyricsCommands(MainWindow& window, Editor& editor, Clipboard& clipboard,
                   CommandTable& commands);
    ~LyricsCommands() override;

    // Reads a tagged lyrics file into the document and the fields, reporting
    // a failure (and then false). Also the music-file opening's and the
    // batch's way in.
    bool readLyricsFile(const std::string& path);
    // Saves the completed text (P1's last step, and S1's), reporting a failure.
    void saveLyricsFile(const std::string& path);

    void saveWithDialog();
    void pasteFromClipboard();
    void editAndPaste();
    void openLyricsFile();
    void saveTagInformation();
    void combineTagInformation();
    void rebuildIfShown();  // also on the change of tab

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
    void registerCommands(CommandTable& commands);
    void editAuthor();
    void editPlainUrl();

    MainWindow& window_;
    Editor& editor_;
    Clipboard& clipboard_;
    std::string lastLyricsSavePath_;
};

}  // namespace obrin
