// An input plug-in's "Input" on a music file; built once with vellin's
// sources and once with wendax's. The WAV goes to /dev/null.
#include <cstddef>
#include <cstdint>

#include "memory_file.h"
#include "obrin/input_plugin.h"

extern "C" std::int32_t OBRIN_PLUGIN_CALL Input(const char* sourcePath, const char* wavPath,
                                                ProgressCallback progress);

namespace {

std::int32_t OBRIN_PLUGIN_CALL GoOn(std::int32_t, std::int32_t) {
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const obrin::fuzz::MemoryFile file(data, size);
    (void)Input(file.path().c_str(), "/dev/null", GoOn);
    return 0;
}
