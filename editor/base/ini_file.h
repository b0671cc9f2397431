#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

namespace obrin {

// An INI profile file ("obrin.ini", "font.ini", "filetype.ini") in memory,
// read and written the way the editor has always kept them:
// - section and key names compare without regard to ASCII case; a write to an
//   existing key replaces its value where it stands; a key repeated in the
//   file reads as its first value;
// - sections and keys keep the order of the file, new ones go at the end;
// - values are bytes (Shift-JIS for text): nothing is unescaped, unquoted or
//   re-encoded, only the blanks around a value are dropped on reading;
// - a save writes "key=value" lines with CR LF after each, atomically.
class IniFile {
  public:
    IniFile();
    ~IniFile();
    IniFile(IniFile&&) noexcept;
    IniFile& operator=(IniFile&&) noexcept;

    // Replaces the contents with the file's. A missing file leaves the INI
    // empty and returns no_such_file_or_directory, which callers that treat a
    // missing file as "all defaults" may ignore.
    [[nodiscard]] std::error_code load(const std::filesystem::path& path);
    // Writes the whole INI through WriteFileAtomically: on failure the file
    // on disk is what it was.
    [[nodiscard]] std::error_code save(const std::filesystem::path& path) const;

    [[nodiscard]] std::string readString(const std::string& section, const std::string& key,
                                         const std::string& defaultValue = {}) const;
    // A decimal integer (optional sign, nothing else); a missing key, or a
    // value that is not such a number or does not fit an int, gives the default.
    [[nodiscard]] int readInteger(const std::string& section, const std::string& key,
                                  int defaultValue) const;
    // As readInteger: any integer other than 0 is true.
    [[nodiscard]] bool readBool(const std::string& section, const std::string& key,
                                bool defaultValue) const;

    // A value ends at its first CR, LF or NUL: a line break would end the
    // line in the file and let the rest be read as a key or a section.
    void writeString(const std::string& section, const std::string& key, const std::string& value);
    void writeInteger(const std::string& section, const std::string& key, int value);
    // "1" or "0".
    void writeBool(const std::string& section, const std::string& key, bool value);

    // The section's keys in file order, each spelt as it first appeared.
    [[nodiscard]] std::vector<std::string> keys(const std::string& section) const;
    [[nodiscard]] std::vector<std::string> sections() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace obrin
