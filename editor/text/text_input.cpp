#include "text/text_input.h"

#include "base/dialogs.h"
#include "text/text_lines.h"
#include "text/text_messages.h"

namespace obrin {

TextRead DecodeTextInput(std::string_view bytes, TextEncoding encoding,
                         const ReplacementConsent& consent) {
    TextRead read;
    DecodedText decoded;
    try {
        decoded = DecodeText(bytes, encoding);
    } catch (const TextDecodeError& e) {
        read.status = TextReadStatus::Rejected;
        read.message = e.what();
        return read;
    }
    if (!decoded.unmappable.empty() && !consent(decoded.unmappable)) {
        read.status = TextReadStatus::Declined;
        return read;
    }
    read.sjis = std::move(decoded.sjis);
    read.encoding = decoded.encoding;
    return read;
}

TextRead ReadTextInput(const std::filesystem::path& path, TextEncoding encoding,
                       const ReplacementConsent& consent) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (!error && size > kTextInputLimit) {
        TextRead read;
        read.status = TextReadStatus::Rejected;
        read.message = "ファイルが大きすぎます(" + std::to_string(kTextInputLimit / 1024 / 1024) +
                       "MBまで): " + path.string();
        return read;
    }
    const auto bytes = ReadFileBytes(path, error);
    if (!bytes) {
        TextRead read;
        read.status = TextReadStatus::Unreadable;
        read.error = error;
        read.message = FileReadErrorMessage(path, error);
        return read;
    }
    return DecodeTextInput(*bytes, encoding, consent);
}

ReplacementConsent AskBeforeReplacing(Dialogs& dialogs) {
    return [&dialogs](const std::vector<char32_t>& unmappable) {
        return dialogs.confirm(ReplacementQuestion(unmappable));
    };
}

}  // namespace obrin
