#include "text/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace obrin {

std::optional<std::string> QtClipboard::utf8Text() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return std::nullopt;
    const QMimeData* data = clipboard->mimeData();
    if (!data) return std::nullopt;
    if (!data->hasText()) return std::string();
    return data->text().toStdString();
}

}  // namespace obrin
