#include "cli_args.h"

namespace obrin::cli {

ArgParser& ArgParser::flag(std::string name, bool& seen) {
    flags_.push_back({std::move(name), &seen});
    return *this;
}

ArgParser& ArgParser::option(std::string name, std::optional<std::string>& value) {
    options_.push_back({std::move(name), &value});
    return *this;
}

std::vector<std::string> ArgParser::parse(const std::vector<std::string>& args,
                                          std::size_t minPositional,
                                          std::size_t maxPositional) const {
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        bool known = false;
        for (const Flag& flag : flags_) {
            if (flag.name != name) continue;
            if (equals != std::string::npos) throw UsageError(name + " takes no value");
            *flag.seen = true;
            known = true;
        }
        for (const Option& option : options_) {
            if (option.name != name) continue;
            if (equals != std::string::npos) {
                *option.value = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                *option.value = args[++i];
            } else {
                throw UsageError(name + " needs a value");
            }
            known = true;
        }
        if (!known) throw UsageError("unknown option: " + arg);
    }
    if (positional.size() < minPositional) throw UsageError("missing argument");
    if (positional.size() > maxPositional) throw UsageError("too many arguments");
    return positional;
}

}  // namespace obrin::cli
