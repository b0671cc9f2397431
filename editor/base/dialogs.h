#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace obrin {

// Font as the font dialog and "font.ini" describe it. Style bits: bold 1,
// italic 2, underline 4, strike-out 8.
struct FontChoice {
    std::string face;  // UTF-8
    int pointSize = 9;
    int style = 0;
};

struct FileDialogRequest {
    std::string title;       // UTF-8; empty for the platform's default caption
    std::string filter;      // "説明|*.txt;*.lrc|..." pairs, as the editor builds them
    std::string defaultExt;  // without the dot, e.g. "txt"
    std::string initialPath;
};

// One pick among a few items: the encoding beside an open dialog's file
// name, or one option of a small options dialog.
struct DialogChoice {
    std::string label;               // UTF-8, "&" before the mnemonic
    std::vector<std::string> items;  // UTF-8
    int selected = 0;                // the item shown first
};

// A file chosen together with the item of the dialog's choice.
struct ChosenFile {
    std::string path;
    int choice = 0;
};

// Every message box and common dialog the editor shows. Messages are UTF-8.
// The Qt implementation shows real windows; tests use a recording fake.
class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // The editor's shared error box: error icon and a single OK button.
    virtual void showError(const std::string& message) = 0;
    // A question with OK and Cancel; true only for OK.
    virtual bool confirm(const std::string& message) = 0;
    virtual void showInformation(const std::string& message) = 0;
    // A question with one button per answer, in order, and a last button
    // "キャンセル"; the index of the answer chosen, std::nullopt for Cancel
    // (also Escape and closing the box).
    virtual std::optional<int> choose(const std::string& message,
                                      const std::vector<std::string>& answers) = 0;

    virtual std::optional<std::string> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> chooseFolder(const std::string& startFolder) = 0;
    virtual std::optional<FontChoice> chooseFont(const FontChoice& current) = 0;
    // A one-line input box; std::nullopt when cancelled.
    virtual std::optional<std::string> inputText(const std::string& caption,
                                                 const std::string& prompt,
                                                 const std::string& initial) = 0;

    // An open dialog with `choice` beside the file name. Without a window of
    // its own (obrin-cli) the choice stays as it is given.
    virtual std::optional<ChosenFile> openFileWithChoice(const FileDialogRequest& request,
                                                         const DialogChoice& choice) {
        auto path = openFile(request);
        if (!path) return std::nullopt;
        return ChosenFile{std::move(*path), choice.selected};
    }
    // A small dialog titled `caption` with one list per choice, OK and
    // Cancel: the item picked in each choice, in order, or std::nullopt for
    // Cancel. Without a window of its own the choices stay as they are given.
    virtual std::optional<std::vector<int>> chooseOptions(
        const std::string& /*caption*/, const std::vector<DialogChoice>& choices) {
        std::vector<int> picked;
        for (const DialogChoice& choice : choices) picked.push_back(choice.selected);
        return picked;
    }
};

}  // namespace obrin
