// port.h: a port over a memory block the caller owns (internal).
//
// CQAutoPtr<T>                  the owning pointer the factories hand out.
// CPort::StaticRamPort(b, n)    a writable port over the n bytes at b.
// CPort::ReadOnlyRamPort(b, n)  a read-only port over the n bytes at b.
//                               A null b gives a port of size 0. The block must outlive the port.
// Size()                        the block's size in bytes.
// Writable()                    whether Write may change the block.
// Write(offset, data, n)        copies n bytes from data to the block at offset.
// Read(offset, data, n)         copies n bytes from the block at offset to data.
//                               Both return false and touch nothing when [offset, offset + n) is not inside the
//                               block, when data is null and n is not 0, or (Write) when the port is read-only.
//                               A zero-byte access at an offset up to Size() succeeds.
#ifndef QENPROPERTIES_FRAME_PORT_H_
#define QENPROPERTIES_FRAME_PORT_H_

#include <memory>

#include "qenproperties/frame/types.h"

namespace Quenneth {

template <class T>
using CQAutoPtr = std::unique_ptr<T>;

class CPort {
 public:
  static CQAutoPtr<CPort> StaticRamPort(void* buffer, ULONG size);
  static CQAutoPtr<CPort> ReadOnlyRamPort(const void* buffer, ULONG size);

  CPort(const CPort&) = delete;
  CPort& operator=(const CPort&) = delete;

  ULONG Size() const { return size_; }
  bool Writable() const { return writable_; }
  bool Write(ULONG offset, const void* data, ULONG n);
  bool Read(ULONG offset, void* data, ULONG n) const;

 private:
  CPort(unsigned char* mutableBlock, const unsigned char* block, bool writable, ULONG size)
      : mutableBlock_(mutableBlock), block_(block), writable_(writable), size_(block == nullptr ? 0 : size) {}

  bool Fits(ULONG offset, ULONG n) const { return offset <= size_ && n <= size_ - offset; }

  unsigned char* mutableBlock_;  // null for a read-only port, so it can never be written through
  const unsigned char* block_;
  bool writable_;
  ULONG size_;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_FRAME_PORT_H_
