#include "platform/object_factory.h"

#include <exception>
#include <mutex>
#include <unordered_map>

#include "platform/diagnostics.h"
#include "platform/text.h"

namespace platform {

namespace {

struct Registry {
    std::mutex mutex;
    std::unordered_map<std::string, Creator> creators;  // by lower-cased identifier
};

Registry& TheRegistry() {
    static Registry registry;  // built on first use, so registrations from static initialisers work
    return registry;
}

std::string Key(std::string_view progId) { return text::LCase(progId); }

}  // namespace

Creator Register(std::string_view progId, Creator creator) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    auto it = r.creators.find(Key(progId));
    Creator previous;
    if (it != r.creators.end()) {
        previous = std::move(it->second);
        if (creator)
            it->second = std::move(creator);
        else
            r.creators.erase(it);
    } else if (creator) {
        r.creators.emplace(Key(progId), std::move(creator));
    }
    return previous;
}

bool Unregister(std::string_view progId) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    return r.creators.erase(Key(progId)) > 0;
}

bool IsRegistered(std::string_view progId) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    return r.creators.count(Key(progId)) > 0;
}

std::shared_ptr<Object> Create(std::string_view progId) {
    Creator creator;
    {
        Registry& r = TheRegistry();
        std::lock_guard lock(r.mutex);
        auto it = r.creators.find(Key(progId));
        if (it != r.creators.end()) creator = it->second;
    }
    // The creator runs outside the lock: it may itself create other objects.
    if (!creator) {
        DebugOutput("Create " + std::string(progId) + ": no object is registered under this identifier");
        return nullptr;
    }
    try {
        std::shared_ptr<Object> object = creator();
        if (!object) DebugOutput("Create " + std::string(progId) + ": the creator returned nothing");
        return object;
    } catch (const std::exception& e) {
        DebugOutput("Create " + std::string(progId) + ": the creator failed: " + e.what());
    } catch (...) {
        DebugOutput("Create " + std::string(progId) + ": the creator failed with an unknown exception");
    }
    return nullptr;
}

namespace detail {
void ReportWrongInterface(std::string_view progId, const char* interfaceName) {
    DebugOutput("Create " + std::string(progId) + ": the object does not implement " + interfaceName);
}
}  // namespace detail

}  // namespace platform
