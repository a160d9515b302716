#pragma once
// The host's mail parts: the mail tool opens a new message in the user's mail program, the mail
// sender sends a message itself.
#include <cstdint>
#include <string>

#include "platform/object_factory.h"

namespace sovrel {

class IMailTool : public platform::Object {
public:
    // Opens a new message addressed to addresses (";"-separated, may be ""); false when the mail
    // program could not be started. The addresses are handed back (the tool may tidy them).
    virtual bool OpenForAddresses(std::string& addresses) = 0;
};

class IMailSender : public platform::Object {
public:
    // Sends one message to addresses (";"-separated) with body of type contentType ("text/html");
    // answers 1 when sent, another number when not, with the reason in resultText. The component
    // passes mode 3.
    virtual std::int32_t Send(int mode, const std::string& addresses, const std::string& contentType,
                              const std::string& body, const std::string& subject, std::string& resultText) = 0;

    // Where the list's E-mail goes: the user's mail program, the send-mail window (which sends
    // through this sender), or a question which of the two. A sender that cannot send says
    // Program.
    enum class ListRoute { Program, Window, Ask };
    virtual ListRoute RouteForList() { return ListRoute::Program; }
};

}  // namespace sovrel
