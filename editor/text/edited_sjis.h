#pragma once

#include <string>
#include <string_view>

namespace obrin {

// Converts text the user edited in a view back to Shift-JIS (code page 932)
// without disturbing what the user left alone. The view showed `original`
// (Shift-JIS) as Unicode, and some characters have more than one CP932 form
// (NEC and IBM extensions: ED 40 and FA 5C are both 纊; 87 90 and 81 E0 are
// both ≒): a plain conversion would rewrite them all to one form. Here the
// unchanged head and tail of the text keep their original bytes exactly
// (broken sequences included), and a character in the edited middle takes
// the form the original text used for it, or its usual one if the original
// did not hold it.
//
// Throws SjisError for a typed character that has no CP932 form.
[[nodiscard]] std::string EncodeEditedText(std::string_view editedUtf8, std::string_view original);

}  // namespace obrin
