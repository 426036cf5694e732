#include "server/password.h"

#include <gtest/gtest.h>

using namespace server;

TEST(Password, SaltedHashVerifiesOnlyItsPassword) {
  const std::string salt(16, '\x01');
  const std::string h = hashPassword("ana123", salt, 1000);
  EXPECT_EQ(h.rfind("pbkdf2-sha256$1000$", 0), 0u);
  EXPECT_TRUE(verifyPassword("ana123", h));
  EXPECT_FALSE(verifyPassword("ana124", h));
  EXPECT_FALSE(verifyPassword("", h));
  EXPECT_NE(h, hashPassword("ana123", std::string(16, '\x02'), 1000));
  EXPECT_NE(randomSalt(), randomSalt());
  EXPECT_TRUE(verifyPassword("çãé", hashPassword("çãé", randomSalt(), 10)));
}

TEST(Password, MalformedStoredTextNeverMatches) {
  for (const char* stored : {"", "ana123", "pbkdf2-sha256$", "pbkdf2-sha256$0$00$00", "pbkdf2-sha256$10$zz$00",
                             "pbkdf2-sha256$10$0101$abc", "pbkdf2-sha1$10$0101$0101", "pbkdf2-sha256$x$01$01"})
    EXPECT_FALSE(verifyPassword("ana123", stored)) << stored;
}
