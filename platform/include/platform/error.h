#pragma once
// The one error type of the component: number, source and description, as the original
// runtime's error object carried them. Native backend codes travel beside the number.
#include <stdexcept>
#include <string>

namespace platform {

class Error : public std::runtime_error {
public:
    Error(long number, std::string source, std::string description, long nativeCode = 0);

    long Number() const noexcept { return number_; }
    const std::string& Source() const noexcept { return source_; }
    const std::string& Description() const noexcept { return description_; }
    long NativeCode() const noexcept { return nativeCode_; }

    // Same error with context prefixed to the description ("while opening: SELECT ...").
    Error WithContext(const std::string& context) const;

private:
    long number_;
    std::string source_;
    std::string description_;
    long nativeCode_;
};

// Error numbers the database layer raises (the data-access layer's HRESULTs).
namespace errnum {
constexpr long ConstraintViolated = -2147217873;  // unique key, not null, check
constexpr long RowChanged = -2147217864;          // optimistic update found its row changed or gone
constexpr long CommandFailed = -2147217900;       // syntax or other statement error
// A number of its own, so a statement the translation refuses is told from one the server refuses.
constexpr long CannotTranslate = -2147217894;     // statement the dialect layer does not understand
constexpr long Timeout = -2147217871;             // query or lock time-out expired
constexpr long ConnectionFailed = -2147467259;    // could not open / lost
constexpr long InvalidOperation = -2147217887;    // misuse of a rowset or connection
constexpr long NoCurrentRecord = -2146825267;     // BOF or EOF is true
constexpr long ItemNotFound = -2146825023;        // field name unknown
// The component's own run-time errors, with the numbers its callers already know.
constexpr long CannotCreateObject = 429;          // a host object or entry class is not registered
constexpr long ObjectNotSet = 91;                 // a window opened without the object it needs
}  // namespace errnum

}  // namespace platform
