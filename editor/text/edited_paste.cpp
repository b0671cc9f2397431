#include "text/edited_paste.h"

#include "text/lyrics_expansion.h"

namespace obrin {

void FinishEditedPaste(Document& document, const std::vector<std::string>& editLines) {
    document.headerLines.clear();
    FillLyricList(document.lyrics, editLines);
    document.loadedFromFile = false;
}

}  // namespace obrin
