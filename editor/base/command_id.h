#pragma once

#include <string_view>

namespace obrin {

// The typed name of one user command. The text is the command's object name
// as the windows were designed ("Open1", "Button2"): tests find the menu item
// or button by it. Code names a command only through the constants of
// command_ids.h (or an exporter's own constant), so a misspelt command does
// not compile.
class CommandId {
  public:
    explicit constexpr CommandId(std::string_view objectName) : objectName_(objectName) {}

    constexpr std::string_view objectName() const { return objectName_; }
    friend constexpr bool operator==(CommandId, CommandId) = default;

  private:
    std::string_view objectName_;
};

}  // namespace obrin
