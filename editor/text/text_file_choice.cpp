#include "text/text_file_choice.h"

#include <array>

namespace obrin {
namespace {

constexpr std::array kEncodings = {TextEncoding::Auto, TextEncoding::ShiftJis, TextEncoding::Utf8,
                                   TextEncoding::Utf16, TextEncoding::EucJp};

}  // namespace

DialogChoice EncodingChoice(TextEncoding selected) {
    DialogChoice choice{.label = "文字コード(&E):",
                        .items = {"自動", "Shift-JIS", "UTF-8", "UTF-16", "EUC-JP"}};
    for (std::size_t i = 0; i < kEncodings.size(); ++i) {
        if (kEncodings[i] == selected) choice.selected = static_cast<int>(i);
    }
    return choice;
}

std::optional<std::string> ChooseTextFile(Dialogs& dialogs, const FileDialogRequest& request,
                                          TextEncoding& encoding) {
    const auto chosen = dialogs.openFileWithChoice(request, EncodingChoice(encoding));
    if (!chosen) return std::nullopt;
    if (chosen->choice >= 0 && chosen->choice < static_cast<int>(kEncodings.size()))
        encoding = kEncodings[static_cast<std::size_t>(chosen->choice)];
    return chosen->path;
}

}  // namespace obrin
