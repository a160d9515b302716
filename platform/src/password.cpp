#include "platform/password.h"

#include <sodium.h>

#include "platform/error.h"

namespace platform {

namespace {

constexpr const char* kSource = "Password";

void EnsureSodium() {
    static const bool ready = sodium_init() >= 0;
    if (!ready) throw Error(errnum::InvalidOperation, kSource, "the password library could not start");
}

}  // namespace

std::string HashPassword(std::string_view password, PasswordCost cost) {
    if (password.empty()) throw Error(errnum::InvalidOperation, kSource, "a password cannot be empty");
    EnsureSodium();
    const bool cheap = cost == PasswordCost::TestOnly;
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(out, password.data(), password.size(),
                              cheap ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE,
                              cheap ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE,
                              crypto_pwhash_ALG_ARGON2ID13) != 0)
        throw Error(errnum::InvalidOperation, kSource, "not enough memory to hash the password");
    return out;
}

bool PasswordMatches(std::string_view storedHash, std::string_view password) {
    // libsodium reads a NUL-terminated text of at most crypto_pwhash_STRBYTES - 1 characters.
    if (!storedHash.starts_with(crypto_pwhash_argon2id_STRPREFIX) || storedHash.size() >= crypto_pwhash_STRBYTES ||
        storedHash.find('\0') != std::string_view::npos)
        return false;
    EnsureSodium();
    const std::string hash(storedHash);
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

}  // namespace platform
