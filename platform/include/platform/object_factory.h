#pragma once
// Objects created by program identifier ("HxPub.IPub", ...). Identifiers compare without regard
// to case. The registry is shared by all threads.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <typeinfo>

#include "platform/error.h"

namespace platform {

// Base of every interface the factory hands out.
class Object {
public:
    virtual ~Object() = default;
};

using Creator = std::function<std::shared_ptr<Object>()>;

// Registers (or replaces) the creator of progId; returns the creator it replaced, or an empty one.
// An empty creator unregisters.
Creator Register(std::string_view progId, Creator creator);
// Removes progId's creator; returns false when none was registered.
bool Unregister(std::string_view progId);
bool IsRegistered(std::string_view progId);

// A new object for progId; nullptr when nothing is registered, when the creator throws or returns
// nothing (the reason goes to the diagnostic channel).
std::shared_ptr<Object> Create(std::string_view progId);

namespace detail {
void ReportWrongInterface(std::string_view progId, const char* interfaceName);
}

// Create() cast to the interface T; nullptr also when the object does not implement T.
template <class T>
std::shared_ptr<T> Create(std::string_view progId) {
    std::shared_ptr<Object> object = Create(progId);
    if (!object) return nullptr;
    std::shared_ptr<T> typed = std::dynamic_pointer_cast<T>(object);
    if (!typed) detail::ReportWrongInterface(progId, typeid(T).name());
    return typed;
}

// Create<T>() for an object the caller cannot work without: throws Error(CannotCreateObject) from
// source, naming progId, instead of answering nullptr.
template <class T>
std::shared_ptr<T> CreateRequired(std::string_view progId, std::string_view source) {
    std::shared_ptr<T> typed = Create<T>(progId);
    if (!typed)
        throw Error(errnum::CannotCreateObject, std::string(source),
                    "the host object " + std::string(progId) + " cannot be created");
    return typed;
}

// Registers a creator (or, given an empty one, removes the registration) for its lifetime and
// puts back what was there before: for tests that script or withdraw one object.
class ScopedRegistration {
public:
    ScopedRegistration(std::string progId, Creator creator)
        : progId_(std::move(progId)), previous_(Register(progId_, std::move(creator))) {}
    ~ScopedRegistration() { Register(progId_, std::move(previous_)); }
    ScopedRegistration(const ScopedRegistration&) = delete;
    ScopedRegistration& operator=(const ScopedRegistration&) = delete;

private:
    std::string progId_;
    Creator previous_;
};

}  // namespace platform
