#include "PasswordHash.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

#include <stdexcept>

namespace {
std::string randomBytes(int count)
{
    std::string out(static_cast<std::size_t>(count), '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char *>(out.data()), count) != 1)
        throw std::runtime_error("the random number generator failed");
    return out;
}
}  // namespace

PasswordHash PasswordHash::withSalt(std::string_view password, std::string_view salt, int iterations)
{
    PasswordHash hash;
    hash.salt = std::string(salt);
    hash.iterations = iterations;
    hash.key.assign(32, '\0');
    if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                          reinterpret_cast<const unsigned char *>(salt.data()), static_cast<int>(salt.size()),
                          iterations, EVP_sha256(), static_cast<int>(hash.key.size()),
                          reinterpret_cast<unsigned char *>(hash.key.data())) != 1)
        throw std::runtime_error("password hashing failed");
    return hash;
}

PasswordHash PasswordHash::create(std::string_view password)
{
    return withSalt(password, randomBytes(16), Iterations);
}

bool PasswordHash::matches(std::string_view password) const
{
    if (iterations <= 0 || key.empty()) return false;
    const PasswordHash other = withSalt(password, salt, iterations);
    return other.key.size() == key.size() && CRYPTO_memcmp(other.key.data(), key.data(), key.size()) == 0;
}

std::string toHex(std::string_view bytes)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::string fromHex(std::string_view hex)
{
    auto value = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string out;
    if (hex.size() % 2) return out;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int hi = value(hex[i]), lo = value(hex[i + 1]);
        if (hi < 0 || lo < 0) return {};
        out += static_cast<char>(hi * 16 + lo);
    }
    return out;
}

std::string randomHex(int bytes)
{
    return toHex(randomBytes(bytes));
}

std::string sha256(std::string_view data)
{
    std::string out(SHA256_DIGEST_LENGTH, '\0');
    SHA256(reinterpret_cast<const unsigned char *>(data.data()), data.size(),
           reinterpret_cast<unsigned char *>(out.data()));
    return out;
}
