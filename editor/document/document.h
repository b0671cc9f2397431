#pragma once

#include <string>
#include <vector>

#include "base/signal.h"
#include "document/lyric_list.h"
#include "document/mark_offset.h"
#include "document/timing_units.h"
#include "document/undo_history.h"

namespace obrin {

// The fields of the document besides its lines.
enum class DocumentField {
    Title,
    Artist,
    HeaderLines,
    InfoLines,
    LoadedFromFile,
    MarkOffset,
    ListEditMode,
    Ruby,
};

// The lyrics document the editor works on: the lines with their selection,
// the song's fields, and the two settings that decide how marks and nudges
// act on it. It is the one place these live: the windows show it and write
// what the user types into it at once, and every command reads it from here.
class Document {
  public:
    Document() = default;
    // A moved document takes the lines, fields and history; its listeners
    // stay with the document they connected to.
    Document(Document&& other) noexcept;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    Document& operator=(Document&&) = delete;

    LyricList lyrics;
    // Every command that changes the document makes its changes inside one
    // of this history's steps (see UndoHistory).
    UndoHistory history{*this};

    // The song title and artist as typed into the two fields above the list,
    // untrimmed, each one line (a line break becomes a space). Shift-JIS
    // bytes, like the lyrics.
    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    const std::string& artist() const { return artist_; }
    void setArtist(std::string artist);
    // The untagged lines that stood before the first tagged line of the last
    // lyrics file read; they go back out verbatim at the head of the text.
    const std::vector<std::string>& headerLines() const { return headerLines_; }
    void setHeaderLines(std::vector<std::string> lines);
    // The free lines of the information pane below the list; they follow the
    // lyrics in the completed text.
    const std::vector<std::string>& infoLines() const { return infoLines_; }
    void setInfoLines(std::vector<std::string> lines);
    // True while the lyrics are the ones read from a file; such lyrics keep
    // their own author information.
    bool loadedFromFile() const { return loadedFromFile_; }
    void setLoadedFromFile(bool loaded);
    // The readings of kanji (the ruby lines of the lyrics files).
    const RubyTable& ruby() const { return ruby_; }
    void setRuby(RubyTable ruby);

    const MarkOffset& markOffset() const { return markOffset_; }
    void setMarkOffset(std::string text);
    // The spin button's steps, each one step of the history. Throws
    // ConversionError when the offset is not a number; it stays then.
    void stepMarkOffsetUp();
    void stepMarkOffsetDown();
    // On: the nudge buttons move the times of the selected lines.
    // Off: they move the play position.
    bool listEditMode() const { return listEditMode_; }
    void setListEditMode(bool on);

    // One field took a new value; setting the value it had tells nothing.
    Signal<DocumentField> fieldChanged;

  private:
    template <typename T>
    void set(T& field, T value, DocumentField which);

    std::string title_;
    std::string artist_;
    std::vector<std::string> headerLines_;
    std::vector<std::string> infoLines_;
    bool loadedFromFile_ = false;
    RubyTable ruby_;
    MarkOffset markOffset_;
    bool listEditMode_ = false;
};

}  // namespace obrin
