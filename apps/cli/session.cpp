#include "session.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>

#include "common/context.h"
#include "common/hosts/services.h"
#include "entry/authority.h"
#include "common/prog_ids.h"
#include "entry/icontact.h"
#include "host/register.h"
#include "host/session.h"
#include "platform/db/connection.h"
#include "platform/error.h"
#include "platform/object_factory.h"
#include "platform/text.h"
#include "schema/demo.h"
#include "service/iclscommon.h"
#include "terminal.h"

namespace sovrel::cli {

void RegisterObjects() {
    static const bool registered = [] {
        host::RegisterHostObjects();
        RegisterComponentClasses();
        return true;
    }();
    (void)registered;
}

namespace {

// Init keeps its errors to the service log; a second opening tells the user what went wrong.
std::string WhyNotOpen(const std::string& connectionText) {
    try {
        platform::db::Connection probe;
        probe.Open(connectionText);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "the data service could not open it (see SrvTransLog.log beside the program)";
}

}  // namespace

std::optional<std::string> AskOnTerminal(const std::string& prompt) {
    const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0) return std::nullopt;
    termios saved{};
    const bool canHide = ::tcgetattr(tty, &saved) == 0;
    if (canHide) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    [[maybe_unused]] auto written = ::write(tty, prompt.data(), prompt.size());
    std::string line;
    char c;
    while (::read(tty, &c, 1) == 1 && c != '\n') line += c;
    if (canHide) ::tcsetattr(tty, TCSAFLUSH, &saved);
    ::close(tty);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::string AskNewPassword(const std::string& command) {
    constexpr std::size_t kMinimumLength = 8;
    std::string password;
    if (const char* given = std::getenv("SOVREL_NEW_PASSWORD")) {
        password = given;
    } else {
        auto first = AskOnTerminal("New password: ");
        if (!first)
            throw UsageError(command + ": no new password: set SOVREL_NEW_PASSWORD, or run sovrel on a terminal, "
                             "where it asks for it");
        auto again = AskOnTerminal("New password again: ");
        if (!again || *again != *first) throw UsageError(command + ": the two new passwords differ; nothing was changed");
        password = *first;
    }
    if (platform::text::Len(password) < kMinimumLength)
        throw UsageError(command + ": the new password needs at least " + std::to_string(kMinimumLength) +
                         " characters; nothing was changed");
    return password;
}

std::string PasswordFor(const std::string& userId) {
    if (const char* given = std::getenv(kPasswordVariable)) return given;
    if (auto typed = AskOnTerminal("Password for " + userId + ": ")) return *typed;
    throw ConnectionError(std::string("cannot log in: no password for the user '") + userId + "': set " +
                          kPasswordVariable + ", or run sovrel on a terminal, where it asks for the password");
}

std::shared_ptr<host::LoginSession> LogIn(const GlobalOptions& options, const Needs& needs) {
    RegisterObjects();
    const bool viaConnection = !options.connectionText.empty();
    std::shared_ptr<host::LoginSession> login;
    try {
        login = host::LoginSession::Login(viaConnection ? options.connectionText : options.dataFolder,
                                          options.userId, {.password = PasswordFor(options.userId)});
    } catch (const platform::Error& e) {
        if (e.Number() == host::kLoginRefused) throw ConnectionError("cannot log in: " + e.Description());
        throw ConnectionError("cannot connect: " + std::string(e.what()));
    }
    std::vector<std::string> rights = needs.rights;
    // The system database holds every user's password hash and the rights themselves.
    const bool systemDatabase =
        viaConnection && platform::text::EqualsNoCase(platform::db::ConnectionInfo::Parse(options.connectionText).catalog,
                                                      schema::kSystemDatabase);
    if (needs.administration || systemDatabase) rights.emplace_back(schema::kAdministrationFunction);
    for (std::string code : rights) {
        int lockFlag = 1;
        if (!login->TaskExec(code, lockFlag)) {
            const std::string refusal = login->ShareString();
            login->Logout();
            throw std::runtime_error(refusal);
        }
    }
    return login;
}

ServiceSession::ServiceSession(const GlobalOptions& options, const Needs& needs) {
    login_ = LogIn(options, needs);
    const bool viaConnection = !options.connectionText.empty();

    Context& c = Ctx();
    c.Login = login_;
    c.LoggedIn = true;
    c.UserId = login_->cUserId();
    c.UserName = login_->cUserName();
    c.DbName = login_->tkDBName();
    c.LoginDate = login_->CurDate();

    service_ = platform::Create<IClsCommon>(progid::IClsCommon);
    if (!service_) {
        ResetContext();
        throw ConnectionError(std::string("cannot start the data service: nothing is registered as ") +
                              progid::IClsCommon);
    }
    c.DataService = service_;
    std::string account = viaConnection ? login_->WithLoginToken(options.connectionText) : login_->tkDBName();
    service_->Init(account);
    if (!service_->m_cnn()->IsOpen()) {
        ResetContext();
        throw ConnectionError("cannot connect to the account database: " + WhyNotOpen(account));
    }
    std::shared_ptr<ILogin> login = login_;
    service_->SetLogin(login);
    // The vendors the user may see, as the list window computes them.
    c.RowAuthSvc = platform::Create<IRowAuthSvc>(progid::RowAuthSvc);
    c.ColAuthSvc = platform::Create<IColAuthSvc>(progid::ColAuthSvc);
    if (!c.RowAuthSvc || !c.ColAuthSvc) {
        ResetContext();
        throw ConnectionError(std::string("cannot read the user's authority: nothing is registered as ") +
                              progid::RowAuthSvc);
    }
    c.RowAuthSvc->Init(c.DbName, c.UserId);
    c.ColAuthSvc->Init(c.DbName, c.UserId);
    InitAuthStrings();
}

ServiceSession::~ServiceSession() {
    try {
        service_->Terminate();
        ResetContext();
        login_->Logout();
    } catch (const std::exception& e) {
        PrintError(std::string("while logging out: ") + e.what());
    }
}

void PrintMessage(const std::string& message) {
    if (message.empty()) return;
    std::string out;
    out.reserve(message.size() + 1);
    for (std::size_t i = 0; i < message.size(); ++i) {
        if (message[i] == '\r') {
            if (i + 1 < message.size() && message[i + 1] == '\n') ++i;
            out += '\n';
        } else {
            out += message[i];
        }
    }
    if (out.back() != '\n') out += '\n';
    std::fflush(stdout);
    Write(stderr, out);
}

std::string ReadInput(const std::string& path, std::string_view command) {
    std::string text;
    const bool fromStdin = path.empty() || path == "-";
    if (fromStdin) {
        text = InputFromTerminal(std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()));
    } else {
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec))
            throw UsageError(std::string(command) + ": '" + path + "' is a folder, not a file");
        std::ifstream in(path, std::ios::binary);
        if (!in) throw UsageError(std::string(command) + ": cannot read the file '" + path + "'");
        std::ostringstream content;
        content << in.rdbuf();
        if (in.bad()) throw UsageError(std::string(command) + ": cannot read the file '" + path + "'");
        text = content.str();
    }
    if (text.find_first_not_of(" \t\r\n") == std::string::npos)
        throw UsageError(std::string(command) + ": " +
                         (fromStdin ? std::string("no XML on standard input (give a FILE or pipe the XML in)")
                                    : "the file '" + path + "' is empty"));
    return text;
}

}  // namespace sovrel::cli
