#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace obrin {

// Lyric text crosses the GUI edge here: Shift-JIS bytes in the core, QString
// in the widgets. Converting to Shift-JIS throws SjisError for a character it
// cannot hold; the other way never fails.
[[nodiscard]] QString FromSjis(std::string_view sjis);
[[nodiscard]] std::string ToSjis(const QString& text);

// Lines shown in a text field, each ended by a line break, so that a last
// empty line survives the way back.
[[nodiscard]] QString LinesToText(const std::vector<std::string>& sjisLines);
// The rows of a text field as lines, cut as pasted text is; an empty field
// has no lines.
[[nodiscard]] std::vector<std::string> TextToLines(const QString& text);

}  // namespace obrin
