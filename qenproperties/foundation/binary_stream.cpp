#include "qenproperties/foundation/binary_stream.h"

#include <cstddef>
#include <cstring>
#include <type_traits>

#include "qenproperties/frame/result_codes.h"

namespace Quenneth {
namespace {

// Reinterpreting through memcpy keeps the bit pattern without aliasing or signed-conversion questions.
template <class To, class From>
To BitCast(const From& from) {
  static_assert(sizeof(To) == sizeof(From), "BitCast needs equal sizes");
  To to;
  std::memcpy(&to, &from, sizeof(To));
  return to;
}

// UnsignedOfSize<N>: the unsigned integer of N bytes.
template <std::size_t N>
using UnsignedOfSize = std::conditional_t<
    N == 1, std::uint8_t,
    std::conditional_t<N == 2, std::uint16_t, std::conditional_t<N == 4, std::uint32_t, std::uint64_t>>>;

}  // namespace

CWriteStream::CWriteStream(CPort& port, QuenByteOrdering order, ULONG /*bufferHint*/, ULONG /*reserved*/,
                           unsigned char /*flags*/)
    : port_(port), order_(order) {}

ULONG CWriteStream::PutBits(std::uint64_t bits, ULONG width) {
  if (failed_) return kResultOutOfRange;
  unsigned char bytes[8];
  for (ULONG i = 0; i < width; ++i) {
    const ULONG shift = order_ == kQuenBigEndian ? 8 * (width - 1 - i) : 8 * i;
    bytes[i] = static_cast<unsigned char>(bits >> shift);
  }
  if (!port_.Write(position_, bytes, width)) {
    failed_ = true;
    return kResultOutOfRange;
  }
  position_ += width;
  return kResultOk;
}

ULONG CWriteStream::PutByte(unsigned char v) { return PutBits(v, 1); }
ULONG CWriteStream::PutShort(short v) { return PutBits(BitCast<std::uint16_t>(v), 2); }
ULONG CWriteStream::PutInt(std::int32_t v) { return PutBits(BitCast<std::uint32_t>(v), 4); }
ULONG CWriteStream::PutInt64(long long v) { return PutBits(BitCast<std::uint64_t>(v), 8); }
ULONG CWriteStream::PutFloat(float v) { return PutBits(BitCast<std::uint32_t>(v), 4); }
ULONG CWriteStream::PutDouble(double v) { return PutBits(BitCast<std::uint64_t>(v), 8); }
ULONG CWriteStream::Flush(unsigned char /*flags*/) { return kResultOk; }

CReadStream::CReadStream(const CPort& port, QuenByteOrdering order, ULONG /*bufferHint*/, ULONG /*reserved*/,
                         unsigned char /*flags*/)
    : port_(port), order_(order) {}

ULONG CReadStream::GetBits(std::uint64_t& bits, ULONG width) {
  bits = 0;
  unsigned char bytes[8];
  if (failed_ || !port_.Read(position_, bytes, width)) {
    failed_ = true;
    return kResultOutOfRange;
  }
  for (ULONG i = 0; i < width; ++i) {
    const ULONG shift = order_ == kQuenBigEndian ? 8 * (width - 1 - i) : 8 * i;
    bits |= static_cast<std::uint64_t>(bytes[i]) << shift;
  }
  position_ += width;
  return kResultOk;
}

// ReadAs reads sizeof(T) bytes and gives them to `v` bit for bit.
template <class T>
ULONG CReadStream::ReadAs(T& v) {
  std::uint64_t bits = 0;
  const ULONG result = GetBits(bits, sizeof(T));
  v = BitCast<T>(static_cast<UnsignedOfSize<sizeof(T)>>(bits));
  return result;
}

ULONG CReadStream::ReadByte(unsigned char& v) { return ReadAs(v); }
ULONG CReadStream::ReadShort(short& v) { return ReadAs(v); }
ULONG CReadStream::ReadInt(std::int32_t& v) { return ReadAs(v); }
ULONG CReadStream::ReadInt(long long& v) { return ReadAs(v); }
ULONG CReadStream::ReadFloat(float& v) { return ReadAs(v); }
ULONG CReadStream::ReadDouble(double& v) { return ReadAs(v); }

}  // namespace Quenneth
