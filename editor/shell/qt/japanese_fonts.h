#pragma once

namespace obrin {

// The editor names its fonts by their classic Japanese faces ("ＭＳ ゴシック",
// "ＭＳ Ｐゴシック"). Where those are not installed, Qt is told to use the
// Japanese faces this system has instead. Safe to call more than once.
void RegisterJapaneseFontSubstitutes();

}  // namespace obrin
