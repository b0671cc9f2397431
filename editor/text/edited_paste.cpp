#include "text/edited_paste.h"

#include "text/lyrics_expansion.h"

namespace obrin {

void FinishEditedPaste(Document& document, const std::vector<std::string>& editLines) {
    document.setHeaderLines({});
    FillLyricList(document.lyrics, editLines);
    document.setLoadedFromFile(false);
}

}  // namespace obrin
