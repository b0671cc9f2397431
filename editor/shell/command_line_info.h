#pragma once

#include <optional>
#include <string>
#include <vector>

namespace obrin {

// What "obrin --version" and "obrin --help" (or "-h") print instead of
// starting the editor. Only the first argument asks, as only the first is
// the file to open; any other command line gets nothing here.
[[nodiscard]] std::optional<std::string> CommandLineInformation(
    const std::vector<std::string>& arguments);

}  // namespace obrin
