#pragma once

#include <QFont>

#include "base/dialogs.h"

namespace obrin {

// The editor names its fonts by their classic Japanese faces ("ＭＳ ゴシック",
// "ＭＳ Ｐゴシック"). Where those are not installed, Qt is told to use the
// Japanese faces this system has instead. Safe to call more than once.
void RegisterJapaneseFontSubstitutes();

// The font a FontChoice describes (style bits: bold 1, italic 2, underline 4,
// strike-out 8).
QFont ToQFont(const FontChoice& choice);

}  // namespace obrin
