// decode_fuzzer.cpp: Decode of arbitrary UTF-16 text, both forms, and the round trip through Encode.
//
// The input bytes, read as little-endian code units, are the text. Decode of the string and of the same text
// zero-terminated must agree up to the first zero; whatever decodes to bytes must encode back to text that
// decodes to the same bytes; and Encode of the raw input bytes must decode to them exactly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "qenproperties/foundation/encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace Quenneth;
  QWString text;
  for (std::size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<WCHAR>(data[i] | (data[i + 1] << 8)));

  const std::vector<unsigned char> decoded = Decode(text);
  std::vector<WCHAR> terminated(text.begin(), text.end());
  terminated.push_back(0);
  const std::vector<unsigned char> decodedPointer = Decode(terminated.data());
  if (text.find(static_cast<WCHAR>(0)) == QWString::npos && decoded != decodedPointer) std::abort();
  if (!decoded.empty() && Decode(Encode(decoded)) != decoded) std::abort();

  const std::vector<unsigned char> raw(data, data + size);
  if (Decode(Encode(raw)) != raw) std::abort();
  return 0;
}
