#include "platform/secret_box.h"

#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/error.h"

namespace platform {

namespace {

constexpr const char* kSecretBoxSource = "SecretBox";
constexpr std::string_view kPrefix = "secretbox:";

[[noreturn]] void Fail(const std::string& why) { throw Error(errnum::InvalidOperation, kSecretBoxSource, why); }

void Start() {
    if (sodium_init() < 0) Fail("the cryptography library could not start");
}

using Key = unsigned char[crypto_secretbox_KEYBYTES];

// Reads the key; with create, makes a new one when there is no file.
void LoadKey(Key key, bool create) {
    const std::string path = SecretKeyPath();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 && errno == ENOENT && create) {
        std::error_code ec;
        const auto folder = std::filesystem::path(path).parent_path();
        if (!folder.empty() && !std::filesystem::exists(folder, ec)) {
            std::filesystem::create_directories(folder, ec);
            ::chmod(folder.c_str(), 0700);
        }
        randombytes_buf(key, crypto_secretbox_KEYBYTES);
        const int out = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (out >= 0) {
            const bool written = ::write(out, key, crypto_secretbox_KEYBYTES) == crypto_secretbox_KEYBYTES;
            ::close(out);
            if (written) return;
            ::unlink(path.c_str());
        }
        // Another process may have made it meanwhile: its key is the one to use.
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    }
    if (fd < 0) Fail("cannot read the key file " + path + " of the stored secrets");
    struct stat st {};
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok && (st.st_mode & 077) != 0) {
        ::close(fd);
        Fail("the key file " + path + " of the stored secrets may be read by other users; allow only its owner (chmod 600)");
    }
    const bool read = ok && ::read(fd, key, crypto_secretbox_KEYBYTES) == crypto_secretbox_KEYBYTES;
    ::close(fd);
    if (!read) Fail("the key file " + path + " of the stored secrets is damaged");
}

}  // namespace

std::string SecretKeyPath() {
    if (const char* given = std::getenv("SOVREL_KEY_FILE"); given && *given) return given;
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home) base = std::string(home) + "/.config";
    else base = ".";
    return base + "/sovrel/secret.key";
}

bool IsSealed(std::string_view stored) { return stored.starts_with(kPrefix); }

std::string SealSecret(std::string_view plain) {
    Start();
    Key key;
    LoadKey(key, true);
    std::string box(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES + plain.size(), '\0');
    auto* bytes = reinterpret_cast<unsigned char*>(box.data());
    randombytes_buf(bytes, crypto_secretbox_NONCEBYTES);
    crypto_secretbox_easy(bytes + crypto_secretbox_NONCEBYTES, reinterpret_cast<const unsigned char*>(plain.data()),
                          plain.size(), bytes, key);
    sodium_memzero(key, sizeof key);
    std::string text(sodium_base64_ENCODED_LEN(box.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(text.data(), text.size(), bytes, box.size(), sodium_base64_VARIANT_ORIGINAL);
    text.resize(text.size() - 1);  // the terminating zero
    return std::string(kPrefix) + text;
}

std::string OpenSecret(std::string_view sealed) {
    if (!IsSealed(sealed)) Fail("the stored secret is not sealed");
    Start();
    const std::string_view text = sealed.substr(kPrefix.size());
    std::string box(text.size(), '\0');
    std::size_t length = 0;
    if (sodium_base642bin(reinterpret_cast<unsigned char*>(box.data()), box.size(), text.data(), text.size(), nullptr,
                          &length, nullptr, sodium_base64_VARIANT_ORIGINAL) != 0 ||
        length < crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES)
        Fail("the stored secret is damaged");
    Key key;
    LoadKey(key, false);
    const auto* bytes = reinterpret_cast<const unsigned char*>(box.data());
    std::string plain(length - crypto_secretbox_NONCEBYTES - crypto_secretbox_MACBYTES, '\0');
    const int rc = crypto_secretbox_open_easy(reinterpret_cast<unsigned char*>(plain.data()),
                                              bytes + crypto_secretbox_NONCEBYTES,
                                              length - crypto_secretbox_NONCEBYTES, bytes, key);
    sodium_memzero(key, sizeof key);
    if (rc != 0) Fail("the stored secret does not open with the key file " + SecretKeyPath() + " (another key, or changed)");
    return plain;
}

}  // namespace platform
