#pragma once
// Password hashes: Argon2id through libsodium, stored as its self-describing text
// ("$argon2id$v=19$m=...,t=...,p=...$salt$hash"), so a hash made with other limits still verifies.
#include <string>
#include <string_view>

namespace platform {

enum class PasswordCost {
    // libsodium's interactive limits (2 passes over 64 MiB): a login waits a fraction of a second
    // on an ordinary machine while a guesser pays the same per guess, and several users can log
    // in at once without exhausting the memory of a shared server. The stronger limits take
    // seconds and 256 MiB or more per login, too much for a desktop login.
    Interactive,
    // The smallest limits libsodium accepts: for tests only, which create users by the hundred.
    TestOnly,
};

// The stored text of password's hash, with a fresh random salt (so two hashes of one password
// differ). Throws platform::Error for an empty password (every user has one) or when the
// memory for the hash cannot be had.
std::string HashPassword(std::string_view password, PasswordCost cost = PasswordCost::Interactive);

// True when storedHash is an Argon2id hash of password; false for any other text, including an
// empty or damaged hash. Takes as long as the hash's own limits say, whatever the answer.
bool PasswordMatches(std::string_view storedHash, std::string_view password);

}  // namespace platform
