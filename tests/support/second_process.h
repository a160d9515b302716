#pragma once
// A second process on the same account, as a second user's machine would be: the body runs there
// and its answer is the process's exit status (8 when it throws). Each side can let the other go
// on and wait until it is let go on; a process still running when the object goes is killed.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace sovrel::test {

class SecondProcess {
public:
    explicit SecondProcess(const std::function<int(SecondProcess&)>& body) {
        if (pipe(toParent_) != 0 || pipe(toChild_) != 0) return;
        pid_ = fork();
        // Each side keeps its own ends only: a side that ends unheard is heard as the pipe's end.
        auto drop = [](int& fd) { close(fd), fd = -1; };
        drop(pid_ == 0 ? toParent_[0] : toParent_[1]);
        drop(pid_ == 0 ? toChild_[1] : toChild_[0]);
        if (pid_ != 0) return;
        int status = 8;
        try {
            status = body(*this);
        } catch (...) {
        }
        _exit(status);
    }
    ~SecondProcess() {
        if (pid_ > 0 && !finished_) {
            kill(pid_, SIGKILL);
            Finish();
        }
        for (int fd : {toParent_[0], toParent_[1], toChild_[0], toChild_[1]})
            if (fd >= 0) close(fd);
    }
    SecondProcess(const SecondProcess&) = delete;
    SecondProcess& operator=(const SecondProcess&) = delete;

    void Tell() {
        const char c = 1;
        (void)!write(pid_ == 0 ? toParent_[1] : toChild_[1], &c, 1);
    }
    bool Hear() {
        char c;
        return read(pid_ == 0 ? toChild_[0] : toParent_[0], &c, 1) == 1;
    }
    void Kill() { kill(pid_, SIGKILL); }
    // The body's answer; -1 when the process did not end by itself.
    int Finish() {
        int status = 0;
        waitpid(pid_, &status, 0);
        finished_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    bool finished_ = false;
    int toParent_[2] = {-1, -1}, toChild_[2] = {-1, -1};
};

}  // namespace sovrel::test
