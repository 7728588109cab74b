// qref.h: QRef<T>, the RAII holder of one reference on a counted object.
//
// Ownership is explicit: QRef<T>::Adopt takes over a reference the caller already owns (the count-1 result of
// `new` or CloneProperty, or a pointer a getter handed out), QRef<T>::Retain adds one of its own. Copying adds a
// reference; destruction and reset release it.
//
//   QRef<CQLongProperty> p = QRef<CQLongProperty>::Adopt(new CQLongProperty(...));
//   QRef<IQPropertySerializer> s;
//   if (p->QueryInterface(IID_IQPropertySerializer, s.PutVoid()) == kResultOk) s->GetDataSize(&n);
#ifndef QENPROPERTIES_FRAME_QREF_H_
#define QENPROPERTIES_FRAME_QREF_H_

#include <cstddef>
#include <utility>

namespace Quenneth {

template <class T>
class QRef {
 public:
  QRef() = default;
  QRef(std::nullptr_t) {}  // NOLINT(google-explicit-constructor): a null holder reads naturally

  [[nodiscard]] static QRef Adopt(T* object) {
    QRef ref;
    ref.ptr_ = object;
    return ref;
  }
  [[nodiscard]] static QRef Retain(T* object) {
    if (object != nullptr) object->AddRef();
    return Adopt(object);
  }

  QRef(const QRef& other) : ptr_(other.ptr_) {
    if (ptr_ != nullptr) ptr_->AddRef();
  }
  QRef(QRef&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  template <class U>
  QRef(const QRef<U>& other) : ptr_(other.get()) {  // NOLINT(google-explicit-constructor): upcast
    if (ptr_ != nullptr) ptr_->AddRef();
  }
  template <class U>
  QRef(QRef<U>&& other) noexcept : ptr_(other.Detach()) {}  // NOLINT(google-explicit-constructor): upcast

  // The new reference is taken before the old one is released.
  QRef& operator=(const QRef& other) {
    if (this == &other) return *this;
    QRef copy(other);
    swap(copy);
    return *this;
  }
  QRef& operator=(QRef&& other) noexcept {
    QRef moved(std::move(other));
    swap(moved);
    return *this;
  }
  QRef& operator=(std::nullptr_t) {
    reset();
    return *this;
  }

  ~QRef() { reset(); }

  // reset nulls the member before releasing, so a destructor that reaches back sees no dangling pointer.
  void reset() {
    if (T* old = std::exchange(ptr_, nullptr)) old->Release();
  }
  void swap(QRef& other) noexcept { std::swap(ptr_, other.ptr_); }

  // Detach hands the reference to the caller, who must release it.
  [[nodiscard]] T* Detach() { return std::exchange(ptr_, nullptr); }

  // Put releases what is held and gives the address of the empty pointer, for out-parameters that hand out a
  // reference (getters, CloneProperty).
  T** Put() {
    reset();
    return &ptr_;
  }

  // PutVoid is Put for the `void**` out-parameter of QueryInterface.
  class VoidOut {
   public:
    explicit VoidOut(QRef& ref) : ref_(ref) {}
    VoidOut(const VoidOut&) = delete;
    VoidOut& operator=(const VoidOut&) = delete;
    ~VoidOut() { ref_.ptr_ = static_cast<T*>(raw_); }
    operator void**() { return &raw_; }  // NOLINT(google-explicit-constructor)

   private:
    QRef& ref_;
    void* raw_ = nullptr;
  };
  VoidOut PutVoid() {
    reset();
    return VoidOut(*this);
  }

  T* get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  T& operator*() const { return *ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }

 private:
  T* ptr_ = nullptr;
};

template <class T, class U>
bool operator==(const QRef<T>& a, const QRef<U>& b) {
  return a.get() == b.get();
}
template <class T, class U>
bool operator!=(const QRef<T>& a, const QRef<U>& b) {
  return a.get() != b.get();
}

}  // namespace Quenneth

#endif  // QENPROPERTIES_FRAME_QREF_H_
