// little_endian.h: the byte order of stored integer values (internal).
//
// Integer values are stored little-endian on every host, so value bytes and preset texts move between hosts
// unchanged.
#ifndef QENPROPERTIES_INTERNAL_LITTLE_ENDIAN_H_
#define QENPROPERTIES_INTERNAL_LITTLE_ENDIAN_H_

#include <array>
#include <cstdint>
#include <cstring>

#include "qenproperties/frame/types.h"

namespace Quenneth {
namespace detail {

inline std::array<unsigned char, 4> StoreLE32(ULONG value) {
  return {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
          static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
}

inline std::array<unsigned char, 8> StoreLE64(std::uint64_t value) {
  std::array<unsigned char, 8> bytes{};
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
  return bytes;
}

// LoadLE reads `count` bytes (at most 8) as a little-endian unsigned number.
inline std::uint64_t LoadLE(const unsigned char* bytes, ULONG count) {
  std::uint64_t value = 0;
  for (ULONG i = 0; i < count && i < 8; ++i) value |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
  return value;
}

// LoadLE64 reads 8 bytes as a little-endian unsigned number: on a little-endian host the bytes are the word as
// they lie, one load where assembling them byte by byte took some 20 instructions.
inline std::uint64_t LoadLE64(const unsigned char* bytes) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  return LoadLE(bytes, 8);
#else
  std::uint64_t value = 0;
  std::memcpy(&value, bytes, sizeof value);
  return value;
#endif
}

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_LITTLE_ENDIAN_H_
