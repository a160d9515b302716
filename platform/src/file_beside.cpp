#include "platform/file_beside.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace platform {

namespace {

mode_t NewFileMode() {
    // Created files get what the user's umask allows; mkstemp alone would leave 0600.
    static const mode_t mode = [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

}  // namespace

FileBeside::FileBeside(const std::string& target) : target_(target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        // Replacing by a rename would pass over the read-only mode the user set.
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(target.c_str(), W_OK) != 0) {
            readOnly_ = true;
            error_ = std::strerror(EACCES);
            return;
        }
        mode_ = st.st_mode & 07777;
    }
    const std::filesystem::path t(target);
    std::filesystem::path dir = t.parent_path();
    if (dir.empty()) dir = ".";
    std::string pattern = (dir / ("." + t.filename().string() + ".XXXXXX")).string();
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) error_ = std::strerror(errno);
    else path_ = pattern;
}

FileBeside::~FileBeside() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !path_.empty()) ::unlink(path_.c_str());
}

void FileBeside::CloseHandle() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool FileBeside::WriteAll(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail();
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool FileBeside::Commit() {
    if (::chmod(path_.c_str(), mode_ ? static_cast<mode_t>(mode_) : NewFileMode()) != 0) return Fail();
    if (fd_ >= 0) {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) return Fail();
    }
    if (::rename(path_.c_str(), target_.c_str()) != 0) return Fail();
    committed_ = true;
    return true;
}

bool FileBeside::Fail() {
    error_ = std::strerror(errno);
    return false;
}

}  // namespace platform
