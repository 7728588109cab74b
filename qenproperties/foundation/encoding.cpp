#include "qenproperties/foundation/encoding.h"

#include <array>

namespace Quenneth {
namespace {

constexpr unsigned char kNotHex = 0xFF;

constexpr std::array<unsigned char, 128> MakeDigitTable() {
  std::array<unsigned char, 128> table{};
  for (auto& entry : table) entry = kNotHex;
  for (std::size_t i = 0; i < 10; ++i) table['0' + i] = static_cast<unsigned char>(i);
  for (std::size_t i = 0; i < 6; ++i) {
    table['A' + i] = static_cast<unsigned char>(10 + i);
    table['a' + i] = static_cast<unsigned char>(10 + i);
  }
  return table;
}

constexpr std::array<unsigned char, 128> kDigitValue = MakeDigitTable();

unsigned char DigitValue(WCHAR c) { return c < 128 ? kDigitValue[c] : kNotHex; }

std::vector<unsigned char> DecodeRange(const WCHAR* text, std::size_t length) {
  std::vector<unsigned char> bytes;
  if (length % 2 != 0) return bytes;
  bytes.resize(length / 2);
  if (!DecodeTo(text, length, bytes.data())) {
    bytes.clear();
    bytes.shrink_to_fit();
  }
  return bytes;
}

}  // namespace

void EncodeTo(const unsigned char* bytes, std::size_t count, WCHAR* text) {
  static const unsigned char kHex[] = "0123456789ABCDEF";
  for (std::size_t i = 0; i < count; ++i) {
    text[2 * i] = static_cast<WCHAR>(kHex[bytes[i] >> 4]);
    text[2 * i + 1] = static_cast<WCHAR>(kHex[bytes[i] & 0xFu]);
  }
  text[2 * count] = 0;
}

bool DecodeTo(const WCHAR* text, std::size_t length, unsigned char* bytes) {
  if (length % 2 != 0) return false;
  for (std::size_t i = 0; i < length / 2; ++i) {
    const unsigned char high = DigitValue(text[2 * i]);
    const unsigned char low = DigitValue(text[2 * i + 1]);
    if (high == kNotHex || low == kNotHex) return false;
    bytes[i] = static_cast<unsigned char>((high << 4) | low);
  }
  return true;
}

QWString Encode(const std::vector<unsigned char>& bytes) {
  // One unit more for the terminator EncodeTo writes; the string's own length leaves it out.
  QWString text(bytes.size() * 2 + 1, WCHAR{0});
  EncodeTo(bytes.data(), bytes.size(), &text[0]);
  text.resize(bytes.size() * 2);
  return text;
}

std::vector<unsigned char> Decode(const QWString& text) { return DecodeRange(text.data(), text.size()); }

std::vector<unsigned char> Decode(const WCHAR* text) {
  if (text == nullptr) return {};
  return DecodeRange(text, WCharTraits::length(text));
}

}  // namespace Quenneth
