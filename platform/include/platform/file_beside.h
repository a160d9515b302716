#pragma once
// A file written beside its target under a name of its own and put in the target's place only
// when complete, so that a reader never sees half a file and a failure leaves the old one.
#include <string>

namespace platform {

class FileBeside {
public:
    // Creates ".NAME.XXXXXX" in target's folder, exclusively (never through a link planted
    // there). A target that exists and may not be written is refused: Ok() false, ReadOnly() true.
    explicit FileBeside(const std::string& target);
    // Removes the file unless it was committed.
    ~FileBeside();
    FileBeside(const FileBeside&) = delete;
    FileBeside& operator=(const FileBeside&) = delete;

    bool Ok() const { return fd_ >= 0 || !path_.empty(); }
    bool ReadOnly() const { return readOnly_; }
    int Fd() const { return fd_; }
    const std::string& Path() const { return path_; }
    // The system's text for the last failure.
    const std::string& Error() const { return error_; }
    // Lets a library write the file by its name.
    void CloseHandle();
    bool WriteAll(const char* data, std::size_t size);
    // Puts the finished file under the target's name with the target's permissions (a new one
    // gets what the umask allows); false with Error() set otherwise.
    bool Commit();

private:
    bool Fail();

    std::string target_, path_, error_;
    int fd_ = -1;
    bool committed_ = false, readOnly_ = false;
    unsigned mode_ = 0;  // the target's permissions; 0: it did not exist
};

}  // namespace platform
