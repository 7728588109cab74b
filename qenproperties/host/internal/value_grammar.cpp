#include "qenproperties/host/internal/value_grammar.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace Quenneth {
namespace host {
namespace detail {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits skips a run of digits from `at`; gives how many there were.
std::size_t Digits(std::string_view text, std::size_t* at) {
  const std::size_t start = *at;
  while (*at < text.size() && IsDigit(text[*at])) ++*at;
  return *at - start;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

Parsed ParseWhole(std::string_view text, long long lo, long long hi, long long* value) {
  std::size_t at = text.size() > 0 && text[0] == '-' ? 1 : 0;
  if (Digits(text, &at) == 0 || at != text.size()) return Parsed::kMalformed;
  long long parsed = 0;
  const std::from_chars_result result = std::from_chars(text.data(), text.data() + text.size(), parsed);
  // A well-formed number too long for 64 bits is simply a number outside the bounds.
  if (result.ec == std::errc::result_out_of_range || parsed < lo || parsed > hi) return Parsed::kOutside;
  *value = parsed;
  return Parsed::kOk;
}

Parsed ParseDecimal(std::string_view text, double* value) {
  std::size_t at = text.size() > 0 && text[0] == '-' ? 1 : 0;
  if (Digits(text, &at) == 0) return Parsed::kMalformed;
  if (at < text.size() && text[at] == '.') {
    ++at;
    if (Digits(text, &at) == 0) return Parsed::kMalformed;
  }
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    if (Digits(text, &at) == 0) return Parsed::kMalformed;
  }
  if (at != text.size()) return Parsed::kMalformed;
  double parsed = 0;
  const std::from_chars_result result = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (result.ec != std::errc() || !std::isfinite(parsed)) return Parsed::kOutside;
  *value = parsed;
  return Parsed::kOk;
}

bool ParseBool(std::string_view text, bool* value) {
  static constexpr std::string_view kTrue[] = {"true", "yes", "on", "1"};
  static constexpr std::string_view kFalse[] = {"false", "no", "off", "0"};
  for (std::string_view spelling : kTrue) {
    if (EqualIgnoringCase(text, spelling)) {
      *value = true;
      return true;
    }
  }
  for (std::string_view spelling : kFalse) {
    if (EqualIgnoringCase(text, spelling)) {
      *value = false;
      return true;
    }
  }
  return false;
}

bool ParseByteText(std::string_view text, std::vector<unsigned char>* bytes) {
  if (text.size() % 2 != 0) return false;
  bytes->clear();
  bytes->reserve(text.size() / 2);
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int high = HexValue(text[i]);
    const int low = HexValue(text[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes->push_back(static_cast<unsigned char>(high * 16 + low));
  }
  return true;
}

Parsed ParseRatio(std::string_view text, ULONG* numerator, ULONG* denominator) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return Parsed::kMalformed;
  long long n = 0;
  long long d = 0;
  const Parsed first = ParseWhole(text.substr(0, colon), 1, 0xFFFFFFFFLL, &n);
  const Parsed second = ParseWhole(text.substr(colon + 1), 1, 0xFFFFFFFFLL, &d);
  if (first == Parsed::kMalformed || second == Parsed::kMalformed) return Parsed::kMalformed;
  if (first == Parsed::kOutside || second == Parsed::kOutside) return Parsed::kOutside;
  *numerator = static_cast<ULONG>(n);
  *denominator = static_cast<ULONG>(d);
  return Parsed::kOk;
}

bool HasNul(std::string_view text) { return text.find('\0') != std::string_view::npos; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

std::string FormatFixed(double value, ULONG digits) {
  // A fixed text of a double needs at most 309 digits before the point; the digits after it come on top.
  std::string text(330 + static_cast<std::size_t>(digits), '\0');
  const std::to_chars_result result =
      std::to_chars(&text[0], &text[0] + text.size(), value, std::chars_format::fixed, static_cast<int>(digits));
  text.resize(static_cast<std::size_t>(result.ptr - text.data()));
  return text;
}

std::string FormatShortest(double value) {
  char text[32];
  const std::to_chars_result result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

double RoundToDigits(double value, ULONG digits) {
  // On the stack for the digit counts a value is rounded to (a double has at most 17 significant ones).
  char text[400];
  if (digits > 17) return value;
  const std::to_chars_result written =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, static_cast<int>(digits));
  double rounded = value;
  std::from_chars(text, written.ptr, rounded);
  return rounded;
}

std::string WholeRangeText(long long lo, long long hi) {
  return "a whole number from " + std::to_string(lo) + " to " + std::to_string(hi);
}

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
