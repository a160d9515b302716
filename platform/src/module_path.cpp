#include "platform/module_path.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace platform {

namespace {

std::string RealPath(const std::string& path) {
    char buf[PATH_MAX];
    return ::realpath(path.c_str(), buf) ? std::string(buf) : path;
}

// Path of the loaded object that holds this very function.
std::string OwnFilePath() {
    Dl_info info{};
    link_map* map = nullptr;
    if (::dladdr1(reinterpret_cast<void*>(&OwnFilePath), &info, reinterpret_cast<void**>(&map),
                  RTLD_DL_LINKMAP) == 0)
        return {};
    // The program itself has an empty name in the link map, and dli_fname then holds argv[0],
    // which may be relative or a bare name found on PATH: ask the kernel instead.
    if (map == nullptr || map->l_name == nullptr || map->l_name[0] == '\0') {
        char buf[PATH_MAX];
        const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
        if (n > 0) return std::string(buf, static_cast<std::size_t>(n));
        return info.dli_fname ? RealPath(info.dli_fname) : std::string();
    }
    return RealPath(map->l_name);
}

}  // namespace

std::string DirectoryOf(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string_view::npos) return ".";
    std::string_view dir = path.substr(0, slash);
    while (!dir.empty() && dir.back() == '/') dir.remove_suffix(1);
    return dir.empty() ? "/" : std::string(dir);
}

std::string ModuleDirectory() {
    static const std::string dir = [] {
        const std::string file = OwnFilePath();
        return file.empty() ? std::string(".") : DirectoryOf(file);
    }();
    return dir;
}

std::string JoinPath(std::string_view dir, std::string_view name) {
    while (!name.empty() && name.front() == '/') name.remove_prefix(1);
    if (dir.empty()) return std::string(name);
    std::string out(dir);
    while (out.size() > 1 && out.back() == '/' && out[out.size() - 2] == '/') out.pop_back();
    if (out.back() != '/') out.push_back('/');
    out.append(name);
    return out;
}

}  // namespace platform
