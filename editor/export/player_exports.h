#pragma once

#include <functional>

#include "export/sp250_export.h"

namespace obrin {

class ExportTable;

// Adds the two exports for portable players: the SP250 lyrics file
// (MarletSP250R1, offered only with marlet beside the program) and the lyric
// MP3 (TessaryY1, which reports a missing tessary itself). `warnings` gives
// the SP250 display warnings as the options menu has them at each run.
void AddPlayerExports(ExportTable& exports, std::function<Sp250Warnings()> warnings);

}  // namespace obrin
