#include "options.h"

#include <charconv>

#include "commands.h"

namespace sovrel::cli {

std::optional<std::string> TakeValue(std::span<const std::string> args, std::size_t& i,
                                     std::string_view name) {
    const std::string& arg = args[i];
    if (arg == name) {
        if (i + 1 >= args.size()) throw UsageError(std::string(name) + " needs a value");
        i += 2;
        return args[i - 1];
    }
    if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 && arg[name.size()] == '=') {
        ++i;
        return arg.substr(name.size() + 1);
    }
    return std::nullopt;
}

std::int64_t ParseNumber(std::string_view text, std::string_view option, std::int64_t low,
                         std::int64_t high) {
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty() || value < low ||
        value > high)
        throw UsageError(std::string(option) + " takes a whole number from " + std::to_string(low) +
                         " to " + std::to_string(high) + ", not '" + std::string(text) + "'");
    return value;
}

std::uint64_t ParseSeed(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        throw UsageError("--seed takes a whole number from 0 to 18446744073709551615, not '" +
                         std::string(text) + "'");
    return value;
}

}  // namespace sovrel::cli
