#pragma once

#include <optional>
#include <string>
#include <vector>

#include "shell/dialogs.h"

namespace obrin::testing {

// Records the error boxes; every other dialog answers as if cancelled.
class RecordingErrors final : public Dialogs {
  public:
    std::vector<std::string> errors;

    void showError(const std::string& message) override { errors.push_back(message); }
    bool confirm(const std::string&) override { return false; }
    void showInformation(const std::string&) override {}
    std::optional<std::string> openFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> saveFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> chooseFolder(const std::string&) override { return {}; }
    std::optional<FontChoice> chooseFont(const FontChoice&) override { return {}; }
    std::optional<std::string> inputText(const std::string&, const std::string&,
                                         const std::string&) override {
        return {};
    }
};

}  // namespace obrin::testing
