#pragma once

#include <string>
#include <vector>

#include "base/dialogs.h"

namespace obrin::test {

// Message boxes written into a shared log ("error …", "info …",
// "confirm …"), so a test sees them in order with the other calls it records.
class LoggingDialogs final : public Dialogs {
  public:
    explicit LoggingDialogs(std::vector<std::string>& log) : log_(log) {}
    bool answer = true;  // the answer to every confirmation

    void showError(const std::string& message) override { log_.push_back("error " + message); }
    bool confirm(const std::string& message) override {
        log_.push_back("confirm " + message);
        return answer;
    }
    void showInformation(const std::string& message) override { log_.push_back("info " + message); }
    std::optional<int> choose(const std::string& message,
                              const std::vector<std::string>&) override {
        log_.push_back("choose " + message);
        return std::nullopt;
    }
    std::optional<std::string> openFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> saveFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> chooseFolder(const std::string&) override { return {}; }
    std::optional<FontChoice> chooseFont(const FontChoice&) override { return {}; }
    std::optional<std::string> inputText(const std::string&, const std::string&,
                                         const std::string&) override {
        return {};
    }

  private:
    std::vector<std::string>& log_;
};

}  // namespace obrin::test
