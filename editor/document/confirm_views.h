#pragma once

#include <cstdint>
#include <string>

namespace obrin {

struct PanelColour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const PanelColour&, const PanelColour&) = default;
};

// The countdown before a line stands on white, the line itself on aqua.
inline constexpr PanelColour kCountdownColour{255, 255, 255};
inline constexpr PanelColour kLyricColour{0, 255, 255};

// The confirm dialog: a non-modal window that stays on top, with a panel
// showing the countdown or the lyric. When the user closes it, its owner
// calls ConfirmRuns::confirmDialogClosed; hideDialog is the editor closing it
// and must not call back.
class ConfirmDialogView {
  public:
    virtual ~ConfirmDialogView() = default;
    virtual void showDialog() = 0;
    virtual void hideDialog() = 0;
    virtual void setPanelText(const std::string& utf8) = 0;
    // Lyric text is Shift-JIS bytes, as the document holds it.
    virtual void setPanelLyric(const std::string& sjis) = 0;
    virtual void setPanelColour(PanelColour colour) = 0;
};

// What the confirm runs lock in the main window.
class ConfirmWindowView {
  public:
    virtual ~ConfirmWindowView() = default;
    // The whole window: the "around" run leaves the user only the dialog.
    virtual void setMainWindowEnabled(bool enabled) = 0;
    // The control panel, the tab control with the list and the completed
    // text, and every top-level menu item. The player panel and the title and
    // artist fields stay usable during the "all" run.
    virtual void setEditingEnabled(bool enabled) = 0;
};

}  // namespace obrin
