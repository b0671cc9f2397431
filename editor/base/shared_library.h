#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace obrin {

// A dynamic library, loaded by name and closed when the object goes.
//
// Plug-ins and export libraries are named the way the settings files name
// them, "vellin.dll": a name ending in ".dll" (any case) stands for the same
// name ending in ".so". A bare name is looked for in the program's folder
// first, then by the system's library search; an absolute path is used as
// is. A name is never looked up in the current folder, which may be any
// folder a user opened a file from. Every failure message (UTF-8) names the
// file and the cause the system gave.
class SharedLibrary {
  public:
    [[nodiscard]] static std::optional<SharedLibrary> Open(
        const std::string& name, const std::filesystem::path& programFolder, std::string& error);

    // The address of the export `name`, or nullptr with `error` set.
    [[nodiscard]] void* symbol(const char* name, std::string& error) const;

    // The file that was opened: the full path, or the bare name the system
    // search was asked for.
    [[nodiscard]] const std::string& fileName() const { return fileName_; }

    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;
    ~SharedLibrary();

  private:
    SharedLibrary(void* handle, std::string fileName)
        : handle_(handle), fileName_(std::move(fileName)) {}
    void* handle_;
    std::string fileName_;
};

// True when the library `name` (named as for SharedLibrary::Open) lies in
// the program's folder, which is where a command that needs it looks first.
[[nodiscard]] bool LibraryIsBesideProgram(const std::string& name,
                                          const std::filesystem::path& programFolder);

}  // namespace obrin
