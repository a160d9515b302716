#pragma once
// The whole text of a file, and what a shell command prints.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace sovrel::test {

// "" when the file cannot be read.
inline std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Standard output of a shell command.
inline std::string CommandOutput(const std::string& command) {
    std::string out;
    if (FILE* f = ::popen(command.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, n);
        ::pclose(f);
    }
    return out;
}

}  // namespace sovrel::test
