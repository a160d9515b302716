#pragma once
// Small command-line parsing helpers shared by the commands.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sovrel::cli {

// Reads an option at args[i] of the form "--name VALUE" or "--name=VALUE"; answers nothing
// when args[i] is another option, and advances i past the value. Throws UsageError when the
// value is missing.
std::optional<std::string> TakeValue(std::span<const std::string> args, std::size_t& i,
                                     std::string_view name);

// A whole number in [low, high]; throws UsageError naming the option otherwise.
std::int64_t ParseNumber(std::string_view text, std::string_view option, std::int64_t low,
                         std::int64_t high);
std::uint64_t ParseSeed(std::string_view text);

}  // namespace sovrel::cli
