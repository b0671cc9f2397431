#include "shell/qt/japanese_fonts.h"

#include <QFont>
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

}  // namespace obrin
