// byte_buffer.h: ByteBuffer, the owned value and default bytes of a property (internal).
//
// Values of up to kInlineCapacity bytes (every scalar, index and group record) live inside the object, so the
// change road and copies of a property do not allocate for them.
#ifndef QENPROPERTIES_INTERNAL_BYTE_BUFFER_H_
#define QENPROPERTIES_INTERNAL_BYTE_BUFFER_H_

#include <cstddef>
#include <cstring>
#include <utility>

#include "qenproperties/frame/types.h"

namespace Quenneth {
namespace detail {

class ByteBuffer {
 public:
  static constexpr ULONG kInlineCapacity = 32;

  ByteBuffer() = default;
  ByteBuffer(const ByteBuffer& other) { CopyInlineOr(other); }
  ByteBuffer(ByteBuffer&& other) noexcept { MoveFrom(other); }
  ByteBuffer& operator=(const ByteBuffer& other) {
    if (this == &other) return *this;
    if (other.heap_ == nullptr) {
      Clear();
      CopyInlineOr(other);
    } else {
      ByteBuffer copy(other);
      Clear();
      MoveFrom(copy);
    }
    return *this;
  }
  ByteBuffer& operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
      Clear();
      MoveFrom(other);
    }
    return *this;
  }
  ~ByteBuffer() { Clear(); }

  const unsigned char* data() const { return heap_ != nullptr ? heap_ : inline_; }
  ULONG size() const { return size_; }
  bool empty() const { return size_ == 0; }

  void Clear() {
    delete[] heap_;
    heap_ = nullptr;
    size_ = 0;
  }

  // Assign drops the old bytes first; if the allocation throws, the buffer is left empty.
  void Assign(const void* bytes, ULONG length) {
    Clear();
    if (length == 0) return;
    unsigned char* target = inline_;
    if (length > kInlineCapacity) {
      heap_ = new unsigned char[length];
      target = heap_;
    }
    std::memcpy(target, bytes, length);
    size_ = length;
  }

  void swap(ByteBuffer& other) noexcept {
    ByteBuffer tmp(std::move(other));
    other = std::move(*this);
    *this = std::move(tmp);
  }

 private:
  // The inline bytes are copied whole (a fixed size the compiler copies in place), whatever their use.
  void MoveFrom(ByteBuffer& other) noexcept {
    size_ = other.size_;
    if (other.heap_ != nullptr) {
      heap_ = other.heap_;
      other.heap_ = nullptr;
    } else {
      std::memcpy(inline_, other.inline_, kInlineCapacity);
    }
    other.size_ = 0;
  }

  // CopyInlineOr copies `other` into this empty buffer: the inline bytes whole, or a new heap block.
  void CopyInlineOr(const ByteBuffer& other) {
    if (other.heap_ == nullptr) {
      std::memcpy(inline_, other.inline_, kInlineCapacity);
      size_ = other.size_;
    } else {
      Assign(other.heap_, other.size_);
    }
  }

  unsigned char inline_[kInlineCapacity] = {};
  unsigned char* heap_ = nullptr;
  ULONG size_ = 0;
};

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_BYTE_BUFFER_H_
