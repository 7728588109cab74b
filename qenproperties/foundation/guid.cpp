#include "qenproperties/foundation/guid.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <random>
#include <thread>

#include "qenproperties/frame/result_codes.h"

namespace Quenneth {
namespace {

// Each thread owns its engine, so generation needs no lock. The seed mixes several words from the system's
// entropy source with the clock, the thread and a stack address: should random_device be deterministic on some
// platform, two processes or threads still start from different states.
std::mt19937_64& Engine() {
  thread_local std::mt19937_64 engine = [] {
    std::random_device device;
    const auto now = static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    const auto thread = static_cast<std::uint64_t>(std::hash<std::thread::id>()(std::this_thread::get_id()));
    int marker = 0;
    const auto address = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&marker));
    std::seed_seq seed{device(),
                       device(),
                       device(),
                       device(),
                       device(),
                       device(),
                       device(),
                       device(),
                       static_cast<std::uint32_t>(now),
                       static_cast<std::uint32_t>(now >> 32),
                       static_cast<std::uint32_t>(thread),
                       static_cast<std::uint32_t>(thread >> 32),
                       static_cast<std::uint32_t>(address),
                       static_cast<std::uint32_t>(address >> 32)};
    return std::mt19937_64(seed);
  }();
  return engine;
}

}  // namespace

ULONG QGenerateGUID(_QGUID* out) {
  if (out == nullptr) return kResultNullPointer;
  std::mt19937_64& engine = Engine();
  const std::uint64_t high = engine();
  const std::uint64_t low = engine();
  out->Data1 = static_cast<ULONG>(high >> 32);
  out->Data2 = static_cast<unsigned short>(high >> 16);
  out->Data3 = static_cast<unsigned short>((high & 0x0FFFu) | 0x4000u);
  for (int i = 0; i < 8; ++i) out->Data4[i] = static_cast<unsigned char>(low >> (56 - 8 * i));
  out->Data4[0] = static_cast<unsigned char>((out->Data4[0] & 0x3Fu) | 0x80u);
  return kResultOk;
}

std::string QGuidToString(const _QGUID& id) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string text(38, '-');
  std::size_t pos = 0;
  auto put = [&](std::uint32_t value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) text[pos++] = kHex[(value >> shift) & 0xFu];
  };
  text[pos++] = '{';
  put(id.Data1, 8);
  ++pos;
  put(id.Data2, 4);
  ++pos;
  put(id.Data3, 4);
  ++pos;
  put(id.Data4[0], 2);
  put(id.Data4[1], 2);
  ++pos;
  for (int i = 2; i < 8; ++i) put(id.Data4[i], 2);
  text[pos] = '}';
  return text;
}

}  // namespace Quenneth
