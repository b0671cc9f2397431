#include "base/ini_file.h"

#include <SimpleIni.h>

#include <charconv>

#include "base/file_bytes.h"
#include "obrin_files/file_replacement.h"

namespace obrin {
namespace {

template <class Names>
std::vector<std::string> InFileOrder(Names names) {
    names.sort(CSimpleIniA::Entry::LoadOrder());
    std::vector<std::string> result;
    result.reserve(names.size());
    for (const auto& name : names) result.emplace_back(name.pItem);
    return result;
}

// SimpleIni ends lines with LF on this platform; the files are CR LF. A
// comment kept from a CR LF file already carries its CR.
std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

// A key written twice in one section keeps its first value, as profile files
// have always been read: the file is parsed with repeated keys allowed, and
// each repeat is then folded into the first entry, which keeps its place.
void KeepFirstOfRepeatedKeys(CSimpleIniA& ini) {
    CSimpleIniA::TNamesDepend sections;
    ini.GetAllSections(sections);
    for (const auto& sectionName : sections) {
        const std::string section = sectionName.pItem;
        CSimpleIniA::TNamesDepend keys;
        ini.GetAllKeys(section.c_str(), keys);
        for (const auto& keyName : keys) {
            CSimpleIniA::TNamesDepend values;
            ini.GetAllValues(section.c_str(), keyName.pItem, values);
            if (values.size() < 2) continue;
            values.sort(CSimpleIniA::Entry::LoadOrder());
            const std::string key = keyName.pItem;
            const std::string first = values.front().pItem;
            ini.SetValue(section.c_str(), key.c_str(), first.c_str(), nullptr,
                         /*a_bForceReplace=*/true);
        }
    }
}

}  // namespace

// CSimpleIniA compares names without case (only A-Z fold, so Shift-JIS
// bytes are never changed) and stores values as the raw bytes of the file.
// Multi-line values and quotes stay off: a value is the rest of its line.
struct IniFile::Impl {
    Impl() : ini(/*a_bIsUtf8=*/false, /*a_bMultiKey=*/false, /*a_bMultiLine=*/false) {
        ini.SetSpaces(false);
        ini.SetQuotes(false);
    }
    CSimpleIniA ini;
};

IniFile::IniFile() : impl_(std::make_unique<Impl>()) {}
IniFile::~IniFile() = default;
IniFile::IniFile(IniFile&&) noexcept = default;
IniFile& IniFile::operator=(IniFile&&) noexcept = default;

std::error_code IniFile::load(const std::filesystem::path& path) {
    impl_->ini.Reset();
    std::error_code ec;
    const auto bytes = ReadFileBytes(path, ec);
    if (!bytes) return ec;
    impl_->ini.SetMultiKey(true);
    const SI_Error loaded = impl_->ini.LoadData(bytes->data(), bytes->size());
    if (loaded >= 0) KeepFirstOfRepeatedKeys(impl_->ini);
    impl_->ini.SetMultiKey(false);
    if (loaded < 0) {
        impl_->ini.Reset();
        return std::make_error_code(std::errc::not_enough_memory);
    }
    return {};
}

std::error_code IniFile::save(const std::filesystem::path& path) const {
    std::string text;
    if (impl_->ini.Save(text) < 0) return std::make_error_code(std::errc::not_enough_memory);
    return WriteFileAtomically(path, WithCrLf(text));
}

std::string IniFile::readString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
    const char* value = impl_->ini.GetValue(section.c_str(), key.c_str());
    return value != nullptr ? value : defaultValue;
}

int IniFile::readInteger(const std::string& section, const std::string& key,
                         int defaultValue) const {
    const char* value = impl_->ini.GetValue(section.c_str(), key.c_str());
    if (value == nullptr) return defaultValue;
    std::string_view text(value);
    // from_chars takes a minus sign but not a plus sign.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
    int result = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (error != std::errc() || end != text.data() + text.size()) return defaultValue;
    return result;
}

bool IniFile::readBool(const std::string& section, const std::string& key,
                       bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(const std::string& section, const std::string& key,
                          const std::string& value) {
    const std::string oneLine = value.substr(0, value.find_first_of(std::string("\r\n\0", 3)));
    impl_->ini.SetValue(section.c_str(), key.c_str(), oneLine.c_str());
}

void IniFile::writeInteger(const std::string& section, const std::string& key, int value) {
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(const std::string& section, const std::string& key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

std::vector<std::string> IniFile::keys(const std::string& section) const {
    CSimpleIniA::TNamesDepend names;
    impl_->ini.GetAllKeys(section.c_str(), names);
    return InFileOrder(std::move(names));
}

std::vector<std::string> IniFile::sections() const {
    CSimpleIniA::TNamesDepend names;
    impl_->ini.GetAllSections(names);
    return InFileOrder(std::move(names));
}

}  // namespace obrin
