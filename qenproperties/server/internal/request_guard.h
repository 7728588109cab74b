// request_guard.h: RequestGuard, the checks every request passes before it reaches the panel: the Host header
// names the address the server listens on (against DNS rebinding), a write comes from no foreign page (Origin,
// against cross-site requests) and carries the session token.
//
//   RequestGuard guard("127.0.0.1", 8080, token);
//   guard.HostAllowed("localhost:8080")                 true
//   guard.HostAllowed("attacker.example:8080")          false: a name that resolved to us
//   guard.OriginAllowed("http://127.0.0.1:8080")        true; "" (no Origin, as from curl) is allowed too
//   guard.TokenAllowed("Bearer " + token)               true, compared in constant time
//
// A server on a loopback address answers to "localhost" and the loopback literals; one on a named address
// answers to that address; one on the wildcard address (0.0.0.0 or ::) answers to any IP literal and
// "localhost", since a rebinding attack always arrives with a DNS name. The port must match.
#ifndef QENPROPERTIES_SERVER_INTERNAL_REQUEST_GUARD_H_
#define QENPROPERTIES_SERVER_INTERNAL_REQUEST_GUARD_H_

#include <string>
#include <string_view>

namespace Quenneth {
namespace server {
namespace detail {

// SameSecret compares two texts in time that depends only on their lengths, never on where they differ.
bool SameSecret(std::string_view given, std::string_view expected);

// NewToken gives 32 random bytes from the system's random source as 64 lowercase hex digits.
std::string NewToken();

// ValidToken: 1 to 256 characters from A-Z a-z 0-9 - . _ ~ (so the token goes into a URL as it is).
bool ValidToken(std::string_view token);

class RequestGuard {
 public:
  // An empty `token` switches the token check off (qenprops serve --no-token).
  RequestGuard(std::string listenHost, int port, std::string token);

  bool HostAllowed(std::string_view hostHeader) const;
  // OriginAllowed: true for no Origin header, or an http origin whose host passes HostAllowed.
  bool OriginAllowed(std::string_view origin) const;
  // TokenAllowed reads an Authorization header "Bearer TOKEN".
  bool TokenAllowed(std::string_view authorization) const;
  bool TokenRequired() const { return !token_.empty(); }

 private:
  std::string host_;  // lowercase, without brackets
  int port_;
  std::string token_;
  bool loopback_;
  bool wildcard_;
};

}  // namespace detail
}  // namespace server
}  // namespace Quenneth

#endif  // QENPROPERTIES_SERVER_INTERNAL_REQUEST_GUARD_H_
