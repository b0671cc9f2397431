#pragma once

#include <string>
#include <vector>

#include "document/document.h"

namespace obrin {

// The paste window has no cancel: however it closes, the lines of its edit
// pane become the lyrics, verbatim (no trimming, no expansion). HeaderLines
// are emptied and the lyrics no longer count as read from a file.
void FinishEditedPaste(Document& document, const std::vector<std::string>& editLines);

// The paste window's layout as the settings keep it.
struct PasteLayout {
    bool vertical = true;  // "Tate": source pane above the edit pane
    int width = 570;       // "PasteForm.Width"
    int height = 516;      // "PasteForm.Height"
    int sourceSize = 213;  // "TateWidth": the source pane's height (vertical) or width
};

// On every resize both panes take half the window's width, rounded down.
[[nodiscard]] constexpr int PaneWidthForWindow(int windowWidth) {
    return windowWidth / 2;
}

}  // namespace obrin
