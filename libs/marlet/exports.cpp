// The library's four exports over its one file slot. Nothing may leave them
// as a C++ exception: the caller is C.
#include <new>
#include <optional>
#include <type_traits>

#include "obrin/marlet.h"
#include "obrin_files/file_replacement.h"
#include "snc_line.h"

extern "C" {
OBRIN_LIBRARY_EXPORT std::int32_t OBRIN_LIBRARY_CALL Init(const char* sncPath);
OBRIN_LIBRARY_EXPORT std::int32_t OBRIN_LIBRARY_CALL Check(const char* text);
OBRIN_LIBRARY_EXPORT std::int32_t OBRIN_LIBRARY_CALL Add(std::int32_t milliseconds,
                                                         const char* text);
OBRIN_LIBRARY_EXPORT std::int32_t OBRIN_LIBRARY_CALL Close();
}

static_assert(std::is_same_v<decltype(&Init), MarletInitFunction>);
static_assert(std::is_same_v<decltype(&Check), MarletCheckFunction>);
static_assert(std::is_same_v<decltype(&Add), MarletAddFunction>);
static_assert(std::is_same_v<decltype(&Close), MarletCloseFunction>);

namespace {

struct OpenFile {
    obrin::FileReplacement output;
    // A refused record makes the file incomplete; it is then never saved.
    bool complete = true;
};

// Released without Close (the editor always closes first), the library
// drops the unfinished file: the slot's destructor removes it.
std::optional<OpenFile> slot;

std::string_view TextOf(const char* text) {
    return text != nullptr ? std::string_view(text) : std::string_view();
}

std::int32_t FinishOpenFile() {
    if (!slot) return MARLET_CLOSED;
    const bool saved = slot->complete && !slot->output.commit();
    slot.reset();
    return saved ? MARLET_CLOSED : MARLET_NOT_SAVED;
}

}  // namespace

std::int32_t OBRIN_LIBRARY_CALL Init(const char* sncPath) {
    // Opening a second file without closing the first would strand the
    // first one unsaved; it is finished as Close would finish it.
    (void)FinishOpenFile();
    if (sncPath == nullptr) return MARLET_CANNOT_OPEN;
    try {
        obrin::FileReplacement output;
        if (output.begin(sncPath)) return MARLET_CANNOT_OPEN;
        slot.emplace(OpenFile{std::move(output)});
        return MARLET_OPENED;
    } catch (...) {
        return MARLET_CANNOT_OPEN;
    }
}

std::int32_t OBRIN_LIBRARY_CALL Check(const char* text) {
    return obrin::marlet::GradeLine(TextOf(text));
}

std::int32_t OBRIN_LIBRARY_CALL Add(std::int32_t milliseconds, const char* text) {
    if (!slot) return MARLET_NOT_OPEN;
    try {
        if (!slot->output.write(obrin::marlet::FormatSncLine(milliseconds, TextOf(text)))) {
            return MARLET_ADDED;
        }
    } catch (const std::bad_alloc&) {
    }
    slot->complete = false;
    return MARLET_ADD_FAILED;
}

std::int32_t OBRIN_LIBRARY_CALL Close() {
    return FinishOpenFile();
}
