#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/shared_library.h"
#include "shell/app_paths.h"

namespace obrin::test {

// An export library loaded by the name the editor uses, from the program's
// folder, through the editor's own loader.
class ExportLibrary {
  public:
    explicit ExportLibrary(const std::string& name) {
        library_ = SharedLibrary::Open(name, ProgramFolder(), error_);
        EXPECT_TRUE(library_.has_value()) << error_;
    }

    // The export `symbol` as the function type its header declares, or null
    // after a test failure.
    template <typename Function>
    Function get(const char* symbol) const {
        if (!library_) return nullptr;
        std::string error;
        void* address = library_->symbol(symbol, error);
        EXPECT_NE(address, nullptr) << error;
        return reinterpret_cast<Function>(address);
    }

  private:
    std::string error_;
    std::optional<SharedLibrary> library_;
};

// The names in a folder, sorted: a test sees a stray temporary file.
inline std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// While it lives, no file of this process may grow past `bytes`: a write
// beyond fails as on a full disk, without the signal that would end the
// process.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, savedHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
    void (*savedHandler_)(int);
};

}  // namespace obrin::test
