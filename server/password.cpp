#include "server/password.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

#include <charconv>
#include <stdexcept>
#include <vector>

namespace server {

std::string sha256Hex(std::string_view text) {
  unsigned char digest[SHA256_DIGEST_LENGTH];
  SHA256(reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest);
  static const char* hex = "0123456789abcdef";
  std::string out;
  for (unsigned char b : digest) {
    out += hex[b >> 4];
    out += hex[b & 15];
  }
  return out;
}
namespace {

std::string toHex(const unsigned char* data, size_t n) {
  static const char* kDigits = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    out += kDigits[data[i] >> 4];
    out += kDigits[data[i] & 15];
  }
  return out;
}

bool fromHex(std::string_view hex, std::string& out) {
  if (hex.size() % 2) return false;
  out.clear();
  for (size_t i = 0; i < hex.size(); i += 2) {
    unsigned v = 0;
    auto [p, ec] = std::from_chars(hex.data() + i, hex.data() + i + 2, v, 16);
    if (ec != std::errc() || p != hex.data() + i + 2) return false;
    out += static_cast<char>(v);
  }
  return true;
}

std::string derive(std::string_view password, std::string_view salt, int iterations) {
  unsigned char key[32];
  if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                        reinterpret_cast<const unsigned char*>(salt.data()), static_cast<int>(salt.size()), iterations,
                        EVP_sha256(), sizeof key, key) != 1)
    throw std::runtime_error("Falha ao calcular o resumo da senha.");
  return std::string(reinterpret_cast<const char*>(key), sizeof key);
}

}  // namespace

std::string randomSalt() {
  unsigned char salt[16];
  if (RAND_bytes(salt, sizeof salt) != 1) throw std::runtime_error("Falha ao gerar sal da senha.");
  return std::string(reinterpret_cast<const char*>(salt), sizeof salt);
}

std::string randomToken() {
  unsigned char bytes[32];
  if (RAND_bytes(bytes, sizeof bytes) != 1) throw std::runtime_error("Falha ao gerar a chave da sessão.");
  return toHex(bytes, sizeof bytes);
}

std::string hashPassword(std::string_view password, std::string_view salt, int iterations) {
  const std::string key = derive(password, salt, iterations);
  return "pbkdf2-sha256$" + std::to_string(iterations) + "$" +
         toHex(reinterpret_cast<const unsigned char*>(salt.data()), salt.size()) + "$" +
         toHex(reinterpret_cast<const unsigned char*>(key.data()), key.size());
}

bool verifyPassword(std::string_view password, std::string_view stored) {
  const std::string_view prefix = "pbkdf2-sha256$";
  if (stored.substr(0, prefix.size()) != prefix) return false;
  stored.remove_prefix(prefix.size());
  const size_t a = stored.find('$'), b = stored.find('$', a + 1);
  if (a == std::string_view::npos || b == std::string_view::npos) return false;
  int iterations = 0;
  auto [p, ec] = std::from_chars(stored.data(), stored.data() + a, iterations);
  std::string salt, expected;
  if (ec != std::errc() || p != stored.data() + a || iterations < 1 ||
      !fromHex(stored.substr(a + 1, b - a - 1), salt) || !fromHex(stored.substr(b + 1), expected) ||
      expected.size() != 32)
    return false;
  const std::string got = derive(password, salt, iterations);
  return CRYPTO_memcmp(got.data(), expected.data(), expected.size()) == 0;
}

}  // namespace server
