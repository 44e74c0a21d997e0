#pragma once
#include <string>
#include <string_view>

// Salted, slow password hashing: PBKDF2-HMAC-SHA-256 from OpenSSL, 16 random bytes of salt and
// a 32-byte key. The iteration count is stored with each hash so that it can be raised later
// without locking anyone out.
struct PasswordHash {
    static constexpr int Iterations = 600'000;

    std::string salt;  // raw bytes
    std::string key;   // raw bytes
    int iterations = Iterations;

    static PasswordHash create(std::string_view password);
    static PasswordHash withSalt(std::string_view password, std::string_view salt, int iterations);
    // Constant-time comparison of the derived key.
    bool matches(std::string_view password) const;
};

// Random bytes from OpenSSL's generator, as lower-case hex (2 × bytes characters).
std::string randomHex(int bytes);
std::string sha256(std::string_view data);
std::string toHex(std::string_view bytes);
std::string fromHex(std::string_view hex);
