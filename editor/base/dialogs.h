#pragma once

#include <optional>
#include <string>

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

    virtual std::optional<std::string> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> chooseFolder(const std::string& startFolder) = 0;
    virtual std::optional<FontChoice> chooseFont(const FontChoice& current) = 0;
    // A one-line input box; std::nullopt when cancelled.
    virtual std::optional<std::string> inputText(const std::string& caption,
                                                 const std::string& prompt,
                                                 const std::string& initial) = 0;
};

}  // namespace obrin
