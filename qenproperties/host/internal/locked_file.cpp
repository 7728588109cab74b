// The parts of the platform layer that both platforms share.
#include "qenproperties/host/internal/locked_file.h"

#include <vector>

namespace Quenneth {
namespace host {
namespace detail {
namespace {

std::string DescribeSize(std::size_t bytes) {
  constexpr std::size_t kKiB = 1024;
  constexpr std::size_t kMiB = kKiB * kKiB;
  if (bytes != 0 && bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
  if (bytes != 0 && bytes % kKiB == 0) return std::to_string(bytes / kKiB) + " KiB";
  return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

}  // namespace

bool ReadBounded(unsigned long long size, std::size_t maxBytes, const ChunkReader& read, std::string* content,
                 std::string* error) {
  constexpr std::size_t kChunk = 1 << 16;
  if (size > maxBytes) {
    *error = TooLargeError(maxBytes);
    return false;
  }
  std::string text;
  text.reserve(static_cast<std::size_t>(size));
  std::vector<char> buffer(kChunk);
  for (;;) {
    const long long got = read(buffer.data(), buffer.size(), error);
    if (got < 0) return false;
    if (got == 0) break;
    if (text.size() + static_cast<std::size_t>(got) > maxBytes) {
      *error = TooLargeError(maxBytes);
      return false;
    }
    text.append(buffer.data(), static_cast<std::size_t>(got));
  }
  *content = std::move(text);
  return true;
}

std::string TooLargeError(std::size_t maxBytes) { return "it is larger than the " + DescribeSize(maxBytes) + " limit"; }

std::string NotRegularError(const char* what) { return std::string("it is ") + what + ", not a regular file"; }

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
