// binary_stream.h: typed values written to and read from a port in a chosen byte order (internal).
//
// QuenByteOrdering      the order of a multi-byte value's bytes; the library stores little-endian.
//
// CWriteStream          writes each value at the current position, in call order, with its natural width
//                       (byte 1, short 2, int 4, int64 8, float 4, double 8) and nothing between values. Floats
//                       and doubles are written as their IEEE bit patterns. A Put returns kResultOk, or
//                       kResultOutOfRange when the value does not fit in the rest of the port (or the port is
//                       read-only): then nothing of it is written and the stream fails. A failed stream stays
//                       failed and writes nothing more, so a record is never left with a value missing from its
//                       middle. Values go straight into the port: Flush has nothing to do and returns kResultOk.
// CReadStream           the mirror image. A read that does not fit in the rest of the port sets the value to 0,
//                       fails the stream and returns kResultOutOfRange; every later read does the same.
// Failed()              whether a value did not fit.
// Position()            bytes written or read so far.
//
// The bufferHint, reserved and flags constructor arguments are kept for callers written against buffered
// ports; the streams do not buffer and ignore them. The port must outlive the stream.
#ifndef QENPROPERTIES_FRAME_BINARY_STREAM_H_
#define QENPROPERTIES_FRAME_BINARY_STREAM_H_

#include <cstdint>

#include "qenproperties/foundation/port.h"
#include "qenproperties/frame/types.h"

namespace Quenneth {

enum QuenByteOrdering : ULONG { kQuenBigEndian = 0, kQuenLittleEndian = 1 };

class CWriteStream {
 public:
  CWriteStream(CPort& port, QuenByteOrdering order, ULONG bufferHint, ULONG reserved, unsigned char flags);
  ~CWriteStream() = default;
  CWriteStream(const CWriteStream&) = delete;
  CWriteStream& operator=(const CWriteStream&) = delete;

  ULONG PutByte(unsigned char v);
  ULONG PutShort(short v);
  ULONG PutInt(std::int32_t v);
  ULONG PutInt64(long long v);
  ULONG PutFloat(float v);
  ULONG PutDouble(double v);
  ULONG Flush(unsigned char flags);
  bool Failed() const { return failed_; }
  ULONG Position() const { return position_; }

 private:
  ULONG PutBits(std::uint64_t bits, ULONG width);

  CPort& port_;
  QuenByteOrdering order_;
  ULONG position_ = 0;
  bool failed_ = false;
};

class CReadStream {
 public:
  CReadStream(const CPort& port, QuenByteOrdering order, ULONG bufferHint, ULONG reserved, unsigned char flags);
  CReadStream(const CReadStream&) = delete;
  CReadStream& operator=(const CReadStream&) = delete;

  ULONG ReadByte(unsigned char& v);
  ULONG ReadShort(short& v);
  ULONG ReadInt(std::int32_t& v);
  ULONG ReadInt(long long& v);
  ULONG ReadFloat(float& v);
  ULONG ReadDouble(double& v);
  bool Failed() const { return failed_; }
  ULONG Position() const { return position_; }

 private:
  // Reads `width` bytes as an unsigned number; on failure gives 0 and fails the stream.
  ULONG GetBits(std::uint64_t& bits, ULONG width);
  template <class T>
  ULONG ReadAs(T& v);

  const CPort& port_;
  QuenByteOrdering order_;
  ULONG position_ = 0;
  bool failed_ = false;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_FRAME_BINARY_STREAM_H_
