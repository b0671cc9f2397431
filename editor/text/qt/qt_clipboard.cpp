#include "text/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "base/sjis_codec.h"
#include "text/qt/sjis_qt.h"

namespace obrin {

std::optional<std::string> QtClipboard::sjisText() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return std::nullopt;
    const QMimeData* data = clipboard->mimeData();
    if (!data) return std::nullopt;
    if (!data->hasText()) return std::string();
    try {
        return ToSjis(data->text());
    } catch (const SjisError&) {
        return std::nullopt;
    }
}

}  // namespace obrin
