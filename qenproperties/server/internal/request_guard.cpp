#include "qenproperties/server/internal/request_guard.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <random>
#include <utility>

namespace Quenneth {
namespace server {
namespace detail {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

bool IsIPv4(std::string_view host) {
  int parts = 0;
  std::size_t start = 0;
  while (start <= host.size()) {
    std::size_t end = host.find('.', start);
    if (end == std::string_view::npos) end = host.size();
    const std::string_view part = host.substr(start, end - start);
    if (part.empty() || part.size() > 3 || !std::all_of(part.begin(), part.end(), IsDigit)) return false;
    if (std::stoi(std::string(part)) > 255) return false;
    ++parts;
    start = end + 1;
  }
  return parts == 4;
}

bool IsIPv6(std::string_view host) {
  return host.find(':') != std::string_view::npos && std::all_of(host.begin(), host.end(), [](char c) {
           return std::isxdigit(static_cast<unsigned char>(c)) != 0 || c == ':' || c == '.';
         });
}

// SplitHostPort reads "name:port", "[v6]:port", or either without a port (port 80 then); false when malformed.
bool SplitHostPort(std::string_view text, std::string* host, int* port) {
  std::string_view rest;
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) return false;
    *host = Lower(text.substr(1, close - 1));
    rest = text.substr(close + 1);
  } else {
    const std::size_t colon = text.find(':');
    *host = Lower(text.substr(0, colon));
    rest = colon == std::string_view::npos ? std::string_view() : text.substr(colon);
  }
  if (host->empty()) return false;
  if (rest.empty()) {
    *port = 80;
    return true;
  }
  if (rest.front() != ':' || rest.size() < 2 || rest.size() > 6) return false;
  rest.remove_prefix(1);
  if (!std::all_of(rest.begin(), rest.end(), IsDigit)) return false;
  *port = std::stoi(std::string(rest));
  return *port <= 65535;
}

bool IsLoopback(const std::string& host) {
  return host == "localhost" || host == "::1" || (IsIPv4(host) && host.compare(0, 4, "127.") == 0);
}

}  // namespace

bool SameSecret(std::string_view given, std::string_view expected) {
  // Walk the expected text whatever was given, and fold a length mismatch into the result.
  std::uint32_t difference = given.size() == expected.size() ? 0u : 1u;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const unsigned char g = i < given.size() ? static_cast<unsigned char>(given[i]) : 0u;
    difference |= static_cast<std::uint32_t>(g ^ static_cast<unsigned char>(expected[i]));
  }
  return difference == 0 && !expected.empty();
}

std::string NewToken() {
  std::random_device source;
  static const char kHex[] = "0123456789abcdef";
  std::string token;
  for (int i = 0; i < 8; ++i) {
    std::uint32_t word = source();
    for (int k = 0; k < 8; ++k) {
      token.push_back(kHex[word & 0xF]);
      word >>= 4;
    }
  }
  return token;
}

bool ValidToken(std::string_view token) {
  return !token.empty() && token.size() <= 256 && std::all_of(token.begin(), token.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '.' || c == '_' || c == '~';
  });
}

RequestGuard::RequestGuard(std::string listenHost, int port, std::string token)
    : port_(port), token_(std::move(token)) {
  host_ = Lower(listenHost);
  if (host_.size() > 1 && host_.front() == '[' && host_.back() == ']') host_ = host_.substr(1, host_.size() - 2);
  loopback_ = IsLoopback(host_);
  wildcard_ = host_ == "0.0.0.0" || host_ == "::" || host_.empty();
}

bool RequestGuard::HostAllowed(std::string_view hostHeader) const {
  std::string host;
  int port = 0;
  if (!SplitHostPort(hostHeader, &host, &port) || port != port_) return false;
  if (host == host_) return true;
  if (loopback_) return IsLoopback(host);
  if (wildcard_) return host == "localhost" || IsIPv4(host) || IsIPv6(host);
  return false;
}

bool RequestGuard::OriginAllowed(std::string_view origin) const {
  if (origin.empty()) return true;
  constexpr std::string_view kScheme = "http://";
  if (origin.size() <= kScheme.size() || Lower(origin.substr(0, kScheme.size())) != kScheme) return false;
  return HostAllowed(origin.substr(kScheme.size()));
}

bool RequestGuard::TokenAllowed(std::string_view authorization) const {
  if (token_.empty()) return true;
  constexpr std::string_view kBearer = "Bearer ";
  if (authorization.size() <= kBearer.size() || authorization.substr(0, kBearer.size()) != kBearer) return false;
  return SameSecret(authorization.substr(kBearer.size()), token_);
}

}  // namespace detail
}  // namespace server
}  // namespace Quenneth
