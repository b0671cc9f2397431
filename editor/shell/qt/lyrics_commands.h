#pragma once

#include <QObject>
#include <memory>
#include <optional>
#include <string>

#include "text/completed_text_tab.h"
#include "text/tag_info_file.h"
#include "text/tagged_lyrics_reader.h"
#include "text/text_encoding.h"

class QTabWidget;
class QPlainTextEdit;

namespace obrin {

class Clipboard;
class CommandActions;
class CommandTable;
class Editor;
class MainWindow;

// The lyrics text commands of the main window, registered in the command
// table: the tab "完成型" and its rebuild, the saves, the pastes, reading a
// lyrics file, the author and plain-lyrics source texts, and the tag-
// information items (saving them stays disabled). The rules live in the core and
// read the document, which the title, artist and information fields write
// into as the user types.
class LyricsCommands final : public QObject, private CompletedTextPage {
    Q_OBJECT
  public:
    // Registers its commands in `commands` and places the rebuild item of
    // `actions` on the completed text.
    LyricsCommands(MainWindow& window, Editor& editor, Clipboard& clipboard, CommandTable& commands,
                   CommandActions& actions);
    ~LyricsCommands() override;

    // Reads a tagged lyrics file into the document, reporting a failure (and
    // then false). Also the music-file opening's way in.
    bool readLyricsFile(const std::string& path, TextEncoding encoding = TextEncoding::Auto);
    // Reads a tagged lyrics file into a document other than the editor's (a
    // song of the batch) with the same options and messages.
    bool readLyricsInto(Document& document, const std::string& path);
    // Reads the lyrics found in a song's tags (UTF-8) the same way.
    bool readTagLyrics(const std::string& utf8Lyrics);
    // Saves the completed text (P1's last step, and S1's), reporting a
    // failure. True when the file was written; the document's changes then
    // count as saved.
    bool saveLyricsFile(const std::string& path);
    // The save that the question about unsaved changes offers: the save
    // dialog, starting at the last file saved or beside the song. True when
    // the file was written.
    bool saveChanges();

    void saveWithDialog();
    void pasteFromClipboard();
    void editAndPaste();
    void openLyricsFile();
    void saveTagInformation();
    void combineTagInformation();
    void refreshCompletedText();
    // The text typed into the tab "完成型", and putting it back after a
    // restart (see CompletedTextTab).
    std::optional<std::string> typedText() const { return tab_.typedText(); }
    void restoreTypedText(const std::string& utf8) { tab_.restoreTypedText(utf8); }
    // A new song opened after its unsaved changes were settled.
    void forgetTyping() { tab_.forgetTyping(); }

  private:
    bool isActive() const override;
    void activate() override;
    void showLines(const std::vector<std::string>& lines, bool keepPosition) override;
    void showTypedText(const std::string& utf8) override;
    std::string text() const override;
    // Before an action replaces lines that hold times: true when it may go on.
    bool settleBeforeReplacingTimes();
    void pageChanged(int index);

    void registerCommands(CommandTable& commands);
    // Shows what the user should hear about a read; true when it went through.
    bool reportRead(const LyricsFileRead& read);
    // The same for a read into the editor's document, which is then the file's.
    bool reportOwnRead(const LyricsFileRead& read);
    void editAuthor();
    void editPlainUrl();

    MainWindow& window_;
    Editor& editor_;
    Clipboard& clipboard_;
    std::string lastLyricsSavePath_;
    bool showingLines_ = false;
    int shownPage_ = 0;
    CompletedTextTab tab_;
};

}  // namespace obrin
