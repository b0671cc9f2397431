// The recovery file: read back, put into a document, and written and read
// again. The file is our own, but it lies on disk between two runs, where a
// crash half-way through a write, another program or the user may have left
// anything in it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "document/document.h"
#include "shell/recovery_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<obrin::RecoveredWork> work = obrin::ParseRecoveryFile(bytes);
    if (!work) return 0;
    obrin::Document document;
    obrin::RestoreDocument(document, *work);
    // What was taken in must write out as a file that reads back.
    const std::string again =
        obrin::FormatRecoveryFile(document, work->songPath, {}, work->typedText);
    if (!obrin::ParseRecoveryFile(again)) std::abort();
    return 0;
}
