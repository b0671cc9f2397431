#include "base/qt/qt_fonts.h"

#include <QStringList>

namespace obrin {

void RegisterJapaneseFontSubstitutes() {
    static const bool registered = [] {
        QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"),
                                   {QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"),
                                    QStringLiteral("Noto Sans Mono CJK JP"),
                                    QStringLiteral("VL Gothic"), QStringLiteral("TakaoGothic")});
        QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                                   {QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"),
                                    QStringLiteral("Noto Sans CJK JP"),
                                    QStringLiteral("VL PGothic"), QStringLiteral("TakaoPGothic")});
        return true;
    }();
    static_cast<void>(registered);
}

QFont ToQFont(const FontChoice& choice) {
    QFont font(QString::fromStdString(choice.face));
    if (choice.pointSize > 0) font.setPointSize(choice.pointSize);
    font.setBold(choice.style & 1);
    font.setItalic(choice.style & 2);
    font.setUnderline(choice.style & 4);
    font.setStrikeOut(choice.style & 8);
    return font;
}

}  // namespace obrin
