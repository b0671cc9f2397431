#include "shell/command_line_info.h"

#include "obrin_version.h"

namespace obrin {

namespace {

constexpr const char* kHelp =
    "usage: obrin [FILE]\n"
    "       obrin -install-dll EXTENSION LIBRARY\n"
    "       obrin -uninstall-dll\n"
    "       obrin --help | --version\n"
    "\n"
    "Times song lyrics while the song plays.\n"
    "\n"
    "  FILE          a music file to open, of a type filetype.ini beside the\n"
    "                program sends to an input plug-in (.wav, .mp3, .flac, ...);\n"
    "                further arguments are ignored\n"
    "  -install-dll EXTENSION LIBRARY\n"
    "                registers LIBRARY as the input plug-in of EXTENSION in\n"
    "                filetype.ini, says so and ends\n"
    "  -uninstall-dll\n"
    "                says that removing a plug-in is not supported and ends\n"
    "  -h, --help    prints this help and ends\n"
    "  --version     prints the version and ends\n"
    "\n"
    "Only one obrin runs per user. A second start opens no window of its own:\n"
    "it hands FILE to the obrin already running, which comes to the front and\n"
    "opens FILE as if it had been dropped on its window (not while a song is\n"
    "being converted or a dialog is open), and then ends at once. Without FILE\n"
    "it only brings the running window to the front.\n"
    "\n"
    "Qt's own options (-platform NAME, -style NAME, ...) are accepted too.\n";

}  // namespace

std::optional<std::string> CommandLineInformation(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return std::nullopt;
    const std::string& first = arguments.front();
    if (first == "--version") return std::string("obrin " OBRIN_VERSION "\n");
    if (first == "--help" || first == "-h") return std::string(kHelp);
    return std::nullopt;
}

}  // namespace obrin
