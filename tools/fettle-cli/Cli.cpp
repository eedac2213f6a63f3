#include "Cli.h"

#include <cstdio>

namespace cli {

bool Args::flag(const std::string& name) {
    bool found = false;
    for (auto it = args_.begin(); it != args_.end();) {
        if (*it == name) {
            it = args_.erase(it);
            found = true;
        } else {
            ++it;
        }
    }
    return found;
}

std::vector<std::string> Args::values(const std::string& name) {
    std::vector<std::string> out;
    for (auto it = args_.begin(); it != args_.end();) {
        if (*it == name) {
            if (it + 1 == args_.end()) throw UsageError(name + " needs a value");
            out.push_back(*(it + 1));
            it = args_.erase(it, it + 2);
        } else if (it->rfind(name + "=", 0) == 0) {
            out.push_back(it->substr(name.size() + 1));
            it = args_.erase(it);
        } else {
            ++it;
        }
    }
    return out;
}

std::vector<Args::Option> Args::ordered(const std::vector<std::string>& withValue,
                                        const std::vector<std::string>& flags) {
    std::vector<Option> out;
    for (auto it = args_.begin(); it != args_.end();) {
        bool taken = false;
        for (const auto& name : withValue) {
            if (*it == name) {
                if (it + 1 == args_.end()) throw UsageError(name + " needs a value");
                out.push_back({name, *(it + 1)});
                it = args_.erase(it, it + 2);
                taken = true;
            } else if (it->rfind(name + "=", 0) == 0) {
                out.push_back({name, it->substr(name.size() + 1)});
                it = args_.erase(it);
                taken = true;
            }
            if (taken) break;
        }
        for (const auto& name : flags) {
            if (taken) break;
            if (*it == name) {
                out.push_back({name, std::string()});
                it = args_.erase(it);
                taken = true;
            }
        }
        if (!taken) ++it;
    }
    return out;
}

std::optional<std::string> Args::value(const std::string& name) {
    auto all = values(name);
    if (all.empty()) return std::nullopt;
    if (all.size() > 1) throw UsageError(name + " given more than once");
    return all.front();
}

std::vector<std::string> Args::positionals(size_t min, size_t max) {
    for (const auto& a : args_)
        if (a.size() > 1 && a[0] == '-' && a != "-") throw UsageError("unknown option " + a);
    if (args_.size() < min) throw UsageError("missing arguments");
    if (args_.size() > max) throw UsageError("too many arguments");
    return args_;
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c >= 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04X", c);
                out += buf;
            } else {
                out.push_back(static_cast<char>(c));
            }
        }
    }
    return out + "\"";
}

}  // namespace cli
