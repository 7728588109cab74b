#include "qenproperties/foundation/port.h"

#include <cstring>

namespace Quenneth {

CQAutoPtr<CPort> CPort::StaticRamPort(void* buffer, ULONG size) {
  auto* block = static_cast<unsigned char*>(buffer);
  return CQAutoPtr<CPort>(new CPort(block, block, true, size));
}

CQAutoPtr<CPort> CPort::ReadOnlyRamPort(const void* buffer, ULONG size) {
  return CQAutoPtr<CPort>(new CPort(nullptr, static_cast<const unsigned char*>(buffer), false, size));
}

bool CPort::Write(ULONG offset, const void* data, ULONG n) {
  if (!writable_ || !Fits(offset, n)) return false;
  if (n == 0) return true;
  if (data == nullptr) return false;
  std::memcpy(mutableBlock_ + offset, data, n);
  return true;
}

bool CPort::Read(ULONG offset, void* data, ULONG n) const {
  if (!Fits(offset, n)) return false;
  if (n == 0) return true;
  if (data == nullptr) return false;
  std::memcpy(data, block_ + offset, n);
  return true;
}

}  // namespace Quenneth
