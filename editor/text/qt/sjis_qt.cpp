#include "text/qt/sjis_qt.h"

#include "base/sjis_codec.h"
#include "text/text_lines.h"

namespace obrin {

QString FromSjis(std::string_view sjis) {
    return QString::fromStdString(SjisToUtf8(sjis));
}

std::string ToSjis(const QString& text) {
    return Utf8ToSjis(text.toStdString());
}

QString LinesToText(const std::vector<std::string>& sjisLines) {
    std::string joined;
    for (const auto& line : sjisLines) {
        joined += line;
        joined += '\n';
    }
    return FromSjis(joined);
}

std::vector<std::string> TextToLines(const QString& text) {
    return CutLines(ToSjis(text));
}

}  // namespace obrin
