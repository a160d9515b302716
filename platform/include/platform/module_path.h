#pragma once
#include <string>
#include <string_view>

namespace platform {

// Absolute directory of the shared library or program that holds the component, without a
// trailing separator except for the root "/" itself. "." when it cannot be found.
std::string ModuleDirectory();

// Directory part of a file path: "/a/b" for "/a/b/c", "/" for "/c", "." for "c".
std::string DirectoryOf(std::string_view path);

// dir + "/" + name, with exactly one separator between them ("/" + "error.log" is "/error.log");
// an empty dir gives name unchanged.
std::string JoinPath(std::string_view dir, std::string_view name);

}  // namespace platform
