#include "export/sp250_export.h"

#include <optional>

#include "base/shared_library.h"
#include "export/export_messages.h"
#include "obrin/marlet.h"
#include "text/time_tag.h"

namespace obrin {
namespace {

struct MarletExports {
    MarletInitFunction init;
    MarletCheckFunction check;
    MarletAddFunction add;
    MarletCloseFunction close;
};

std::optional<MarletExports> LookUp(const SharedLibrary& library) {
    std::string error;
    const MarletExports exports{
        reinterpret_cast<MarletInitFunction>(library.symbol(MARLET_INIT_SYMBOL, error)),
        reinterpret_cast<MarletCheckFunction>(library.symbol(MARLET_CHECK_SYMBOL, error)),
        reinterpret_cast<MarletAddFunction>(library.symbol(MARLET_ADD_SYMBOL, error)),
        reinterpret_cast<MarletCloseFunction>(library.symbol(MARLET_CLOSE_SYMBOL, error)),
    };
    if (exports.init == nullptr || exports.check == nullptr || exports.add == nullptr ||
        exports.close == nullptr)
        return std::nullopt;
    return exports;
}

}  // namespace

std::string Sp250Export(const LyricList& lyrics, const std::filesystem::path& programFolder,
                        const std::string& sncPath, Sp250Warnings warnings) {
    std::string error;
    const std::optional<SharedLibrary> library =
        SharedLibrary::Open(kMarletLibraryName, programFolder, error);
    if (!library) return kMarletNotLoadedMessage;
    const std::optional<MarletExports> marlet = LookUp(*library);
    if (!marlet) return kMarletInvalidMessage;

    // The check comes before the file is opened, so a warning leaves an
    // earlier file of that name as it was instead of an empty one.
    for (int i = 0; i < lyrics.count(); ++i) {
        const std::int32_t grade = marlet->check(lyrics.line(i).lyricText.c_str());
        if (grade == MARLET_OVER_BODY && warnings.bodyDisplay) return BodyDisplayWarning(i + 1);
        // A line too long for the body is too long for the remote control too.
        if (grade != MARLET_FITS && warnings.remoteDisplay) return RemoteDisplayWarning(i + 1);
    }

    if (marlet->init(sncPath.c_str()) != MARLET_OPENED) return kSncNotCreatedMessage;
    bool complete = true;
    for (int i = 0; i < lyrics.count() && complete; ++i) {
        const LyricLine& line = lyrics.line(i);
        if (line.lyricText.empty()) continue;
        complete = marlet->add(ParseTimeTag(line.timeText), line.lyricText.c_str()) == MARLET_ADDED;
    }
    // After a refused line Close drops the file rather than save it short.
    const bool saved = marlet->close() == MARLET_CLOSED;
    return complete && saved ? std::string() : std::string(kSncNotCreatedMessage);
}

}  // namespace obrin
