#pragma once
// A locale the system may lack, compiled by localedef into a folder of this process's own (point
// LOCPATH at Folder()): runs side by side never read each other's half-written locale.
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace sovrel::test {

class CompiledLocale {
public:
    // name is the locale's name as LC_ALL takes it, e.g. "zh_CN.GB18030" from zh_CN and GB18030.
    CompiledLocale(const std::string& input, const std::string& charmap) : name_(input + "." + charmap) {
        std::string pattern = (std::filesystem::temp_directory_path() / "sovrel-locales-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) return;
        path_ = pattern;
        const std::string make = "localedef -i " + input + " -f " + charmap + " '" + path_ + "/" + name_ + "' >/dev/null 2>&1";
        if (std::system(make.c_str()) == 0) made_ = path_;
    }
    ~CompiledLocale() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    CompiledLocale(const CompiledLocale&) = delete;
    CompiledLocale& operator=(const CompiledLocale&) = delete;

    // Empty when the locale could not be made.
    const std::string& Folder() const { return made_; }
    const std::string& Name() const { return name_; }

private:
    std::string name_, path_, made_;
};

}  // namespace sovrel::test
