#include "platform/password.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/error.h"

namespace platform {
namespace {

TEST(Password, hashIsArgon2idWithItsCostAndAFreshSaltEachTime) {
    const struct { PasswordCost cost; std::string limits; } cases[] = {
        {PasswordCost::Interactive, "$m=65536,t=2,p=1$"}, {PasswordCost::TestOnly, "$m=8,t=1,p=1$"}};
    for (const auto& c : cases) {
        const std::string hash = HashPassword("correct horse", c.cost);
        EXPECT_TRUE(hash.starts_with("$argon2id$v=19$")) << hash;
        EXPECT_NE(hash.find(c.limits), std::string::npos) << hash;
        EXPECT_TRUE(PasswordMatches(hash, "correct horse"));
        EXPECT_FALSE(PasswordMatches(hash, "correct horsE"));
    }
    // The same password twice: two salts, two texts, both verify.
    const std::string a = HashPassword("密码 O'Brien", PasswordCost::TestOnly);
    const std::string b = HashPassword("密码 O'Brien", PasswordCost::TestOnly);
    EXPECT_NE(a, b);
    EXPECT_TRUE(PasswordMatches(b, "密码 O'Brien"));
    EXPECT_THROW(HashPassword("", PasswordCost::TestOnly), Error);  // an empty password is not hashed
}

TEST(Password, onlyAnIntactArgon2idHashOfThePasswordMatches) {
    const std::string hash = HashPassword("s3cret", PasswordCost::TestOnly);
    std::string flipped = hash;
    flipped.back() = flipped.back() == 'A' ? 'B' : 'A';
    const std::pair<std::string, std::string> refused[] = {
        {hash, ""}, {hash, "s3cre"}, {hash, "s3cret "}, {hash, std::string("s3cret\0x", 8)}, {flipped, "s3cret"},
        {hash.substr(0, hash.size() - 5), "s3cret"}, {"", ""}, {"", "s3cret"}, {"sha256:0123456789abcdef", "s3cret"},
        {"$argon2i$" + hash.substr(10), "s3cret"}, {hash + std::string(200, 'x'), "s3cret"},
        {std::string(hash).insert(12, 1, '\0'), "s3cret"},
    };
    for (const auto& [stored, password] : refused)
        EXPECT_FALSE(PasswordMatches(stored, password)) << stored << " / " << password;
    EXPECT_TRUE(PasswordMatches(hash, "s3cret"));
}

}  // namespace
}  // namespace platform
