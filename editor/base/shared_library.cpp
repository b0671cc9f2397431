#include "base/shared_library.h"

#include <dlfcn.h>

#include <cctype>
#include <utility>

namespace obrin {
namespace {

std::string SoName(const std::string& name) {
    constexpr std::string_view kDll = ".dll";
    if (name.size() >= kDll.size()) {
        const std::string tail = name.substr(name.size() - kDll.size());
        bool isDll = true;
        for (std::size_t i = 0; i < kDll.size(); ++i) {
            if (static_cast<char>(std::tolower(static_cast<unsigned char>(tail[i]))) != kDll[i]) {
                isDll = false;
            }
        }
        if (isDll) return name.substr(0, name.size() - kDll.size()) + ".so";
    }
    return name;
}

std::string LastDlError() {
    const char* text = ::dlerror();
    return text != nullptr ? text : "unknown error";
}

}  // namespace

std::optional<SharedLibrary> SharedLibrary::Open(const std::string& name,
                                                 const std::filesystem::path& programFolder,
                                                 std::string& error) {
    error.clear();
    const std::string soName = SoName(name);
    if (soName.empty() || soName.back() == '/') {
        error = "ライブラリ名が空です";
        return std::nullopt;
    }

    std::string file;
    const std::filesystem::path asPath(soName);
    std::error_code status;
    const bool besideProgram = !asPath.is_absolute() && !programFolder.empty() &&
                               std::filesystem::exists(programFolder / asPath, status);
    if (status) {
        // A link loop or an overlong name: there is a library meant, and it
        // cannot be reached.
        error = "ライブラリ「" + (programFolder / asPath).string() +
                "」を読み込めません: " + status.message();
        return std::nullopt;
    }
    if (asPath.is_absolute()) {
        file = soName;
    } else if (besideProgram) {
        // A library beside the program is the one meant, even if it then
        // fails to load: its error is reported rather than quietly loading a
        // namesake from elsewhere.
        file = (programFolder / asPath).string();
    } else if (soName.find('/') != std::string::npos) {
        // dlopen would read a relative path against the current folder.
        error = "ライブラリ「" + soName + "」が見つかりません";
        return std::nullopt;
    } else {
        // Without a '/', dlopen searches only the system's library folders.
        file = soName;
    }

    void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        error = "ライブラリ「" + file + "」を読み込めません: " + LastDlError();
        return std::nullopt;
    }
    return SharedLibrary(handle, std::move(file));
}

void* SharedLibrary::symbol(const char* name, std::string& error) const {
    error.clear();
    ::dlerror();
    void* address = ::dlsym(handle_, name);
    if (address == nullptr) {
        error = "ライブラリ「" + fileName_ + "」に「" + name + "」がありません: " + LastDlError();
    }
    return address;
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), fileName_(std::move(other.fileName_)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    if (this != &other) {
        if (handle_ != nullptr) ::dlclose(handle_);
        handle_ = std::exchange(other.handle_, nullptr);
        fileName_ = std::move(other.fileName_);
    }
    return *this;
}

SharedLibrary::~SharedLibrary() {
    if (handle_ != nullptr) ::dlclose(handle_);
}

bool LibraryIsBesideProgram(const std::string& name, const std::filesystem::path& programFolder) {
    const std::string soName = SoName(name);
    if (soName.empty() || programFolder.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(programFolder / soName, ec);
}

}  // namespace obrin
