#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

namespace obrin {

struct AppSettings {
    std::string tempPath, panMarkCaption = "-1.0", author, plainURL;
    bool chkHosei = false, mnuStar = true, mnuNullLine = true, mnuInfo = true, mnuInfoAtMark = true,
         mnuInfoFirst = false, mnuInfoNone = false, mnuKeyValue = false, mnuRioViewBody = false,
         mnuRioViewRemote = true, lastLine = true, mnuGrid = true, tate = true,
         mnuChkTerminate = true, ly1 = false, ly2 = true, ly3 = false, n15 = false, i2 = false,
         mnuPlainURLEnabled = false;
    int pasteFormWidth = 570, pasteFormHeight = 516, tateWidth = 213;
    std::uint16_t keyMark = 0, keyPrevCheck = 0, keyPlayPause = 0;
};

AppSettings LoadAppSettings(const std::filesystem::path& iniPath, const std::string& section,
                            const std::filesystem::path& programFolder);
[[nodiscard]] std::error_code SaveAppSettings(const std::filesystem::path& iniPath,
                                              const std::string& section, const AppSettings&);

}  // namespace obrin
