#include "qenproperties/server/internal/request_guard.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace Quenneth {
namespace server {
namespace detail {
namespace {

TEST(RequestGuardTest, ALoopbackServerAnswersOnlyToLoopbackNamesOnItsPort) {
  const RequestGuard guard("127.0.0.1", 8080, "secret");
  EXPECT_TRUE(guard.HostAllowed("127.0.0.1:8080"));
  EXPECT_TRUE(guard.HostAllowed("localhost:8080"));
  EXPECT_TRUE(guard.HostAllowed("LocalHost:8080"));
  EXPECT_TRUE(guard.HostAllowed("[::1]:8080"));
  // DNS rebinding: a name the attacker controls now resolves to 127.0.0.1.
  EXPECT_FALSE(guard.HostAllowed("attacker.example:8080"));
  EXPECT_FALSE(guard.HostAllowed("localhost.attacker.example:8080"));
  EXPECT_FALSE(guard.HostAllowed("127.0.0.1:8081"));
  EXPECT_FALSE(guard.HostAllowed("127.0.0.1"));  // port 80 implied
  EXPECT_FALSE(guard.HostAllowed(""));
  EXPECT_FALSE(guard.HostAllowed("127.0.0.1:80800"));
  EXPECT_FALSE(guard.HostAllowed("127.0.0.1:8080x"));
  EXPECT_FALSE(guard.HostAllowed("[::1:8080"));
}

TEST(RequestGuardTest, ANamedAddressAnswersToItselfAndTheWildcardToAnyLiteral) {
  const RequestGuard named("192.168.1.20", 9000, "");
  EXPECT_TRUE(named.HostAllowed("192.168.1.20:9000"));
  EXPECT_FALSE(named.HostAllowed("localhost:9000"));
  EXPECT_FALSE(named.HostAllowed("192.168.1.21:9000"));

  const RequestGuard wildcard("0.0.0.0", 80, "");
  EXPECT_TRUE(wildcard.HostAllowed("10.0.0.7"));
  EXPECT_TRUE(wildcard.HostAllowed("[fe80::1]:80"));
  EXPECT_TRUE(wildcard.HostAllowed("localhost"));
  EXPECT_FALSE(wildcard.HostAllowed("settings.example"));
  EXPECT_FALSE(wildcard.HostAllowed("10.0.0.256"));
  EXPECT_FALSE(wildcard.HostAllowed("1.2.3"));
}

TEST(RequestGuardTest, WritesFromForeignOriginsAreRefused) {
  const RequestGuard guard("127.0.0.1", 8080, "secret");
  EXPECT_TRUE(guard.OriginAllowed(""));  // curl and other clients send none
  EXPECT_TRUE(guard.OriginAllowed("http://127.0.0.1:8080"));
  EXPECT_TRUE(guard.OriginAllowed("http://localhost:8080"));
  EXPECT_FALSE(guard.OriginAllowed("http://evil.example"));
  EXPECT_FALSE(guard.OriginAllowed("http://127.0.0.1:9999"));
  EXPECT_FALSE(guard.OriginAllowed("https://127.0.0.1:8080"));
  EXPECT_FALSE(guard.OriginAllowed("null"));
  EXPECT_FALSE(guard.OriginAllowed("http://"));
}

TEST(RequestGuardTest, TheTokenTravelsAsABearerAndMustMatchWhole) {
  const RequestGuard guard("127.0.0.1", 8080, "secret");
  EXPECT_TRUE(guard.TokenRequired());
  EXPECT_TRUE(guard.TokenAllowed("Bearer secret"));
  EXPECT_FALSE(guard.TokenAllowed("Bearer secre"));
  EXPECT_FALSE(guard.TokenAllowed("Bearer secrets"));
  EXPECT_FALSE(guard.TokenAllowed("Bearer Secret"));
  EXPECT_FALSE(guard.TokenAllowed("secret"));
  EXPECT_FALSE(guard.TokenAllowed("Bearer "));
  EXPECT_FALSE(guard.TokenAllowed(""));
  const RequestGuard open("127.0.0.1", 8080, "");
  EXPECT_FALSE(open.TokenRequired());
  EXPECT_TRUE(open.TokenAllowed(""));
}

TEST(RequestGuardTest, SecretsCompareByEveryByteAndLength) {
  EXPECT_TRUE(SameSecret("abc", "abc"));
  EXPECT_FALSE(SameSecret("abd", "abc"));
  EXPECT_FALSE(SameSecret("ab", "abc"));
  EXPECT_FALSE(SameSecret("abcd", "abc"));
  EXPECT_FALSE(SameSecret(std::string("ab\0", 3), "abc"));
  EXPECT_FALSE(SameSecret("", ""));  // an empty expected secret matches nothing
}

TEST(RequestGuardTest, NewTokensAreLongRandomAndUrlSafe) {
  std::set<std::string> seen;
  for (int i = 0; i < 100; ++i) {
    const std::string token = NewToken();
    EXPECT_EQ(64u, token.size());
    EXPECT_TRUE(ValidToken(token)) << token;
    EXPECT_EQ(std::string::npos, token.find_first_not_of("0123456789abcdef")) << token;
    seen.insert(token);
  }
  EXPECT_EQ(100u, seen.size());
  EXPECT_FALSE(ValidToken(""));
  EXPECT_FALSE(ValidToken("a b"));
  EXPECT_FALSE(ValidToken("a&b=c"));
  EXPECT_FALSE(ValidToken(std::string(257, 'a')));
  EXPECT_TRUE(ValidToken("my-Token_1.2~"));
}

}  // namespace
}  // namespace detail
}  // namespace server
}  // namespace Quenneth
