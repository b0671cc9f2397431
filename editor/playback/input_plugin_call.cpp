#include "playback/input_plugin_call.h"

#include <utility>

#include "obrin/input_plugin.h"
#include "base/shared_library.h"

namespace obrin {

namespace {

// The ProgressCallback has no context argument; the conversion under way is
// found here. Restored after every call, so a nested conversion (not one the
// editor starts, but harmless) reports to its own caller.
const InputProgress* currentProgress = nullptr;

std::int32_t OBRIN_PLUGIN_CALL ForwardProgress(std::int32_t total, std::int32_t done) {
    // A plug-in calling after Input returned finds no conversion: stop it.
    if (currentProgress == nullptr || !*currentProgress) return 1;
    return (*currentProgress)(total, done) != 0 ? 1 : 0;
}

class ProgressScope {
  public:
    explicit ProgressScope(const InputProgress& progress)
        : previous_(std::exchange(currentProgress, &progress)) {}
    ~ProgressScope() { currentProgress = previous_; }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

  private:
    const InputProgress* previous_;
};

}  // namespace

int CallInputPlugin(const std::string& library, const std::filesystem::path& programFolder,
                    const std::string& sourcePath, const std::string& wavPath,
                    const InputProgress& progress, std::string* failure) {
    std::string error;
    const auto loaded = SharedLibrary::Open(library, programFolder, error);
    if (!loaded) {
        if (failure != nullptr) *failure = error;
        return kInputLibraryNotLoaded;
    }
    const auto input = reinterpret_cast<InputFunction>(loaded->symbol(OBRIN_INPUT_SYMBOL, error));
    if (input == nullptr) {
        if (failure != nullptr) *failure = error;
        return kInputExportMissing;
    }
    const ProgressScope scope(progress);
    return input(sourcePath.c_str(), wavPath.c_str(), &ForwardProgress);
}

}  // namespace obrin
