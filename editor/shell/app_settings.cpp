#include "shell/app_settings.h"

namespace obrin {

AppSettings LoadAppSettings(const std::filesystem::path&, const std::string&,
                            const std::filesystem::path& programFolder) {
    AppSettings settings;
    settings.tempPath = (programFolder / "").string();
    return settings;
}

std::error_code SaveAppSettings(const std::filesystem::path&, const std::string&,
                                const AppSettings&) {
    return std::make_error_code(std::errc::not_supported);
}

}  // namespace obrin
