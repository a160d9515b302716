#pragma once
// Starts sink.py (an SMTP server or HTTP SMS gateway on 127.0.0.1) for one test and reads what
// it received; and a mail tool that notes what it is asked to open.
#include <QJsonDocument>
#include <QJsonObject>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "common/hosts/mail.h"

namespace sovrel::test {

class Sink {
public:
    Sink(const std::string& kind, const std::string& mode, const std::filesystem::path& folder)
        : portFile_(folder / (kind + "-" + mode + ".port")), logFile_(folder / (kind + "-" + mode + ".log")) {
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execlp("python3", "python3", SINK_SCRIPT, kind.c_str(), mode.c_str(), portFile_.c_str(),
                     logFile_.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 200 && !std::filesystem::exists(portFile_); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        std::ifstream in(portFile_);
        if (!(in >> port_)) throw std::runtime_error("the " + kind + " sink did not start");
    }
    ~Sink() {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    int Port() const { return port_; }
    // One object per message received, oldest first.
    std::vector<QJsonObject> Received() const {
        std::vector<QJsonObject> out;
        std::ifstream in(logFile_);
        for (std::string line; std::getline(in, line);)
            out.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
        return out;
    }

private:
    std::filesystem::path portFile_, logFile_;
    pid_t pid_ = -1;
    int port_ = 0;
};

class RecordingMailTool : public IMailTool {
public:
    bool OpenForAddresses(std::string& addresses) override {
        opened.push_back(addresses);
        return answer;
    }
    static inline std::vector<std::string> opened;
    static inline bool answer = true;
};

}  // namespace sovrel::test
