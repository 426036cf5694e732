#pragma once
// Operator passwords are stored as salted PBKDF2-HMAC-SHA256 hashes, in the
// text form "pbkdf2-sha256$<iterations>$<salt hex>$<hash hex>", so that the
// iteration count can be raised later without invalidating stored hashes.
//
// Thread-safety: pure functions (randomSalt draws from OpenSSL's generator).

#include <string>
#include <string_view>

namespace server {

inline constexpr int kPasswordIterations = 100000;

// 16 bytes from the system's cryptographic generator.
std::string randomSalt();

// 32 bytes from the same generator, as 64 hexadecimal digits: a session
// token nobody can guess.
std::string randomToken();

// The SHA-256 of a text as 64 lower-case hexadecimal digits.
std::string sha256Hex(std::string_view text);

std::string hashPassword(std::string_view password, std::string_view salt, int iterations = kPasswordIterations);

// True when the password matches the stored hash; false also for a stored
// text that is not a hash of this form.
bool verifyPassword(std::string_view password, std::string_view stored);

}  // namespace server
