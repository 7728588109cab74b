#include "qenproperties/frame/encoding.h"

#include <array>

namespace Quenneth {
namespace {

constexpr unsigned char kNotHex = 0xFF;

constexpr std::array<unsigned char, 128> MakeDigitTable() {
  std::array<unsigned char, 128> table{};
  for (auto& entry : table) entry = kNotHex;
  for (int i = 0; i < 10; ++i) table[static_cast<std::size_t>('0' + i)] = static_cast<unsigned char>(i);
  for (int i = 0; i < 6; ++i) {
    table[static_cast<std::size_t>('A' + i)] = static_cast<unsigned char>(10 + i);
    table[static_cast<std::size_t>('a' + i)] = static_cast<unsigned char>(10 + i);
  }
  return table;
}

constexpr std::array<unsigned char, 128> kDigitValue = MakeDigitTable();

unsigned char DigitValue(WCHAR c) { return c < 128 ? kDigitValue[c] : kNotHex; }

std::vector<unsigned char> DecodeRange(const WCHAR* text, std::size_t length) {
  std::vector<unsigned char> bytes;
  if (length % 2 != 0) return bytes;
  bytes.resize(length / 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char high = DigitValue(text[2 * i]);
    const unsigned char low = DigitValue(text[2 * i + 1]);
    if (high == kNotHex || low == kNotHex) {
      bytes.clear();
      bytes.shrink_to_fit();
      return bytes;
    }
    bytes[i] = static_cast<unsigned char>((high << 4) | low);
  }
  return bytes;
}

}  // namespace

QWString Encode(const std::vector<unsigned char>& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  QWString text(bytes.size() * 2, WCHAR{0});
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    text[2 * i] = static_cast<WCHAR>(kHex[bytes[i] >> 4]);
    text[2 * i + 1] = static_cast<WCHAR>(kHex[bytes[i] & 0xFu]);
  }
  return text;
}

std::vector<unsigned char> Decode(const QWString& text) { return DecodeRange(text.data(), text.size()); }

std::vector<unsigned char> Decode(const WCHAR* text) {
  if (text == nullptr) return {};
  return DecodeRange(text, WCharTraits::length(text));
}

}  // namespace Quenneth
