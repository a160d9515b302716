#include "platform/guid.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/error.h"

namespace platform {

namespace {

constexpr long kFailed = -2147467259;  // the original's generic failure code

void FillRandom(unsigned char* buf, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = getrandom(buf + done, size - done, 0);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // ENOSYS on old kernels or a seccomp filter: fall back to the device
        }
    }
    if (done == size) return;
    std::ifstream device("/dev/urandom", std::ios::binary);
    if (device.read(reinterpret_cast<char*>(buf + done), static_cast<std::streamsize>(size - done)))
        return;
    throw Error(kFailed, "platform", std::string("no random source for a new GUID: ") + std::strerror(errno));
}

}  // namespace

std::string NewGuidText() {
    unsigned char b[16];
    FillRandom(b, sizeof b);
    b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40);  // version 4: random
    b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);  // RFC 4122 variant
    char out[39];
    std::snprintf(out, sizeof out,
                  "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14],
                  b[15]);
    return std::string(out, 38);
}

}  // namespace platform
