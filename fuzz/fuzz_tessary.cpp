// tessary's CreateTessary on arbitrary source bytes, with a few items of
// lyrics, writing into a scratch folder of its own.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "memory_file.h"
#include "obrin/tessary.h"

extern "C" {
std::int32_t OBRIN_LIBRARY_CALL Init();
std::int32_t OBRIN_LIBRARY_CALL AddItem(const char* text, std::int32_t milliseconds);
std::int32_t OBRIN_LIBRARY_CALL CreateTessary(const char* sourcePath, const char* outputPath);
}

namespace {

std::string ScratchOutput() {
    std::string folder = "/tmp/obrin-fuzz-tessary-XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) std::abort();
    Init();
    AddItem("\x89\xCc\x8E\x8C", 1000);
    AddItem("", 2500);
    AddItem("second line", 61000);
    return folder + "/out.mp3";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string output = ScratchOutput();
    const obrin::fuzz::MemoryFile source(data, size);
    (void)CreateTessary(source.path().c_str(), output.c_str());
    return 0;
}
