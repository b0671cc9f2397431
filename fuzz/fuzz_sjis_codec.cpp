// The Shift-JIS codec both ways. Text that came from Shift-JIS and converts
// back must give the same bytes again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/conversion_error.h"
#include "base/sjis_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)obrin::IsValidUtf8(bytes);
    try {
        (void)obrin::Utf8ToSjis(bytes);
    } catch (const obrin::SjisError&) {
    }
    const std::string utf8 = obrin::SjisToUtf8(bytes);
    if (!obrin::IsValidUtf8(utf8)) std::abort();
    return 0;
}
