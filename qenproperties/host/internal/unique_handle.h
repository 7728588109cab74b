// unique_handle.h: UniqueHandle, the one owner of a system handle (a POSIX file descriptor, a Windows HANDLE),
// closed when the owner goes.
//
//   struct FdTraits {
//     using Handle = int;
//     static int Invalid() { return -1; }
//     static void Close(int fd) { ::close(fd); }
//   };
//   UniqueHandle<FdTraits> file(::open(path, O_RDONLY));
//   if (!file.Valid()) ...
#ifndef QENPROPERTIES_HOST_INTERNAL_UNIQUE_HANDLE_H_
#define QENPROPERTIES_HOST_INTERNAL_UNIQUE_HANDLE_H_

namespace Quenneth {
namespace host {
namespace detail {

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  Handle Get() const { return handle_; }
  bool Valid() const { return handle_ != Traits::Invalid(); }
  // Release gives the handle up without closing it.
  Handle Release() {
    const Handle handle = handle_;
    handle_ = Traits::Invalid();
    return handle;
  }
  // Reset closes the handle held, if any, and holds `handle` instead.
  void Reset(Handle handle = Traits::Invalid()) {
    if (Valid()) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_UNIQUE_HANDLE_H_
