#pragma once
// Secrets kept in a database (an SMTP password, an SMS gateway key), sealed with libsodium's
// secretbox under a key that lives in a file outside the database: whoever can read the rows
// but not the key file reads nothing.
#include <string>
#include <string_view>

namespace platform {

// The key file: $SOVREL_KEY_FILE when set, else $XDG_CONFIG_HOME/sovrel/secret.key, else
// ~/.config/sovrel/secret.key.
std::string SecretKeyPath();

// True for a text SealSecret wrote.
bool IsSealed(std::string_view stored);

// plain sealed under the key file's key, as printable text; the key file is made (mode 0600,
// its folder 0700) when there is none. Throws platform::Error when the key file cannot be made
// or read, or is open to other users.
std::string SealSecret(std::string_view plain);

// The plain text of a sealed secret. Throws platform::Error when the key file is missing, open to
// other users or holds another key, or the text was not sealed or was changed.
std::string OpenSecret(std::string_view sealed);

}  // namespace platform
