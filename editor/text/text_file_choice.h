#pragma once

#include <optional>
#include <string>

#include "base/dialogs.h"
#include "text/text_encoding.h"

namespace obrin {

// The encoding choice of the open dialogs for lyrics and other text files:
// 自動 / Shift-JIS / UTF-8 / UTF-16 / EUC-JP, in the order of TextEncoding.
[[nodiscard]] DialogChoice EncodingChoice(TextEncoding selected);

// Shows the open dialog with the encoding choice, starting at `encoding`.
// On OK `encoding` takes the user's pick, to be offered again next time, and
// the chosen file is returned; Cancel changes nothing.
[[nodiscard]] std::optional<std::string> ChooseTextFile(Dialogs& dialogs,
                                                        const FileDialogRequest& request,
                                                        TextEncoding& encoding);

}  // namespace obrin
