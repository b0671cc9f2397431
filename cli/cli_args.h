#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace obrin::cli {

// Bad arguments; the message says which, and the caller prints the usage.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A small parser for "--flag", "--option VALUE", "--option=VALUE" and
// positional arguments; "--" ends the options and "-" is a positional
// argument (standard input).
class ArgParser {
  public:
    ArgParser& flag(std::string name, bool& seen);
    ArgParser& option(std::string name, std::optional<std::string>& value);
    // Returns the positional arguments; throws UsageError for an unknown
    // option, a missing value, or a count outside [minPositional, maxPositional].
    std::vector<std::string> parse(const std::vector<std::string>& args, std::size_t minPositional,
                                   std::size_t maxPositional) const;

  private:
    struct Flag {
        std::string name;
        bool* seen;
    };
    struct Option {
        std::string name;
        std::optional<std::string>* value;
    };
    std::vector<Flag> flags_;
    std::vector<Option> options_;
};

}  // namespace obrin::cli
