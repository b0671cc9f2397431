// The INI layer on a hand-edited file: loaded, every key read in every way,
// then a value written back.
#include <cstddef>
#include <cstdint>

#include "base/ini_file.h"
#include "memory_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const obrin::fuzz::MemoryFile file(data, size);
    obrin::IniFile ini;
    if (ini.load(file.path())) return 0;
    for (const auto& section : ini.sections()) {
        for (const auto& key : ini.keys(section)) {
            (void)ini.readString(section, key, "");
            (void)ini.readInteger(section, key, 7);
            (void)ini.readBool(section, key, true);
        }
        ini.writeString(section, "Fuzz", section);
    }
    return 0;
}
