#include "qenproperties/host/internal/temp_name.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <random>

namespace Quenneth {
namespace host {
namespace detail {
namespace {

constexpr char kAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr std::size_t kAlphabetSize = sizeof(kAlphabet) - 1;
constexpr std::size_t kRandomChars = 12;
constexpr char kInfix[] = ".tmp-";

std::uint64_t DefaultRandom() {
  // Seeded once per thread from the system's entropy and the clock, so threads and processes started in the
  // same instant still draw different names.
  thread_local std::mt19937_64 engine = [] {
    std::random_device device;
    const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::seed_seq seed{device(), device(), static_cast<unsigned>(now), static_cast<unsigned>(now >> 32)};
    return std::mt19937_64(seed);
  }();
  return engine();
}

std::atomic<TempRandomSource> randomSource{nullptr};

bool InAlphabet(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::string NewTempName(const std::string& target) {
  const TempRandomSource source = randomSource.load();
  std::uint64_t bits = source != nullptr ? source() : DefaultRandom();
  std::string name = "." + target + kInfix;
  for (std::size_t i = 0; i < kRandomChars; ++i) {
    name += kAlphabet[bits % kAlphabetSize];
    bits /= kAlphabetSize;
  }
  return name;
}

bool IsTempNameOf(const std::string& candidate, const std::string& target) {
  const std::string prefix = "." + target + kInfix;
  if (candidate.size() != prefix.size() + kRandomChars || candidate.compare(0, prefix.size(), prefix) != 0) {
    return false;
  }
  for (std::size_t i = prefix.size(); i < candidate.size(); ++i) {
    if (!InAlphabet(candidate[i])) return false;
  }
  return true;
}

TempRandomSource SetTempRandomSourceForTesting(TempRandomSource source) { return randomSource.exchange(source); }

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
