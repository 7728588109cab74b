// number_text.cpp: the floor of preset text, std::to_chars and std::from_chars of the mixed vault's values.
//
// BM_FloorTextSave   formats every value of the 10,000 elements of preset_bench's vault into a reused char
//                    buffer: to_chars for the integers and the doubles (fixed, with the property's digits), a
//                    copy for the bool words and the texts, two hexadecimal digits per byte for the group record.
// BM_FloorTextLoad   reads those texts back into the values with from_chars (and the inverse of each copy).
// The values and their texts are taken once from the vault's own preset texts, and the floor checks that it
// writes exactly those texts, so both sides do the same work on the same values. One operation is the whole
// pass, as for BM_PresetSave and BM_PresetLoad.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "../alloc_counter.h"
#include "../mixed_vault.h"

namespace {

using qenbench::MixedClass;

constexpr Quenneth::ULONG kProperties = 10000;
constexpr std::size_t kTextRoom = 64;
constexpr std::size_t kRecordBytes = 8;

struct FloorValue {
  MixedClass kind = MixedClass::kLong;
  long long integer = 0;  // long (signed 32-bit) and enum (its ID)
  double real = 0.0;
  int digits = 0;  // digits after the point of the float's text
  bool flag = false;
  std::string text;  // keeps its capacity from one load to the next
  unsigned char record[kRecordBytes] = {};
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Format writes the value's text into `out` (kTextRoom bytes) and gives its length.
std::size_t Format(const FloorValue& value, char* out) {
  static const char kHex[] = "0123456789ABCDEF";
  switch (value.kind) {
    case MixedClass::kLong:
      return static_cast<std::size_t>(std::to_chars(out, out + kTextRoom, static_cast<int>(value.integer)).ptr - out);
    case MixedClass::kFloat:
      return static_cast<std::size_t>(
          std::to_chars(out, out + kTextRoom, value.real, std::chars_format::fixed, value.digits).ptr - out);
    case MixedClass::kBool: {
      const std::string_view word = value.flag ? "TRUE" : "FALSE";
      std::memcpy(out, word.data(), word.size());
      return word.size();
    }
    case MixedClass::kWString: {
      const std::size_t n = value.text.size() < kTextRoom ? value.text.size() : kTextRoom;
      std::memcpy(out, value.text.data(), n);
      return n;
    }
    case MixedClass::kGroup:
      for (std::size_t i = 0; i < kRecordBytes; ++i) {
        out[2 * i] = kHex[value.record[i] >> 4];
        out[2 * i + 1] = kHex[value.record[i] & 0xF];
      }
      return 2 * kRecordBytes;
    case MixedClass::kEnum:
      return static_cast<std::size_t>(
          std::to_chars(out, out + kTextRoom, static_cast<unsigned long long>(value.integer)).ptr - out);
  }
  return 0;
}

// Parse reads `text` into `value` (whose kind is set); false when the text is not of that kind.
bool Parse(std::string_view text, FloorValue& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  switch (value.kind) {
    case MixedClass::kLong:
    case MixedClass::kEnum: return std::from_chars(first, last, value.integer).ec == std::errc();
    case MixedClass::kFloat: return std::from_chars(first, last, value.real).ec == std::errc();
    case MixedClass::kBool: value.flag = text == "TRUE"; return true;
    case MixedClass::kWString: value.text.assign(first, text.size()); return true;
    case MixedClass::kGroup:
      if (text.size() != 2 * kRecordBytes) return false;
      for (std::size_t i = 0; i < kRecordBytes; ++i) {
        const int high = HexValue(text[2 * i]);
        const int low = HexValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        value.record[i] = static_cast<unsigned char>(high << 4 | low);
      }
      return true;
  }
  return false;
}

// FloorData: the vault's values and their texts, as narrow text.
struct FloorData {
  std::vector<FloorValue> values;
  std::vector<std::string> texts;
  bool sameTexts = true;  // the floor writes exactly the texts the vault wrote
};

FloorData MakeFloorData() {
  const qenbench::MixedVault mixed = qenbench::MakeMixedVault(kProperties);
  std::vector<Quenneth::WCHAR> buffer(256);
  std::vector<Quenneth::QWString> wide;
  qenbench::SaveAll(mixed, buffer, &wide);
  FloorData data;
  data.values.resize(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    std::string narrow(wide[i].begin(), wide[i].end());
    FloorValue& value = data.values[i];
    value.kind = qenbench::ClassOf(i);
    const std::size_t point = narrow.find('.');
    value.digits = point == std::string::npos ? 0 : static_cast<int>(narrow.size() - point - 1);
    value.text.reserve(kTextRoom);
    if (!Parse(narrow, value)) data.sameTexts = false;
    data.texts.push_back(std::move(narrow));
  }
  char out[kTextRoom];
  for (std::size_t i = 0; i < data.values.size(); ++i) {
    if (std::string_view(out, Format(data.values[i], out)) != data.texts[i]) data.sameTexts = false;
  }
  return data;
}

void BM_FloorTextSave(benchmark::State& state) {
  const FloorData data = MakeFloorData();
  if (!data.sameTexts) state.SkipWithError("the floor does not write the vault's texts");
  char out[kTextRoom];
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    std::size_t written = 0;
    for (const FloorValue& value : data.values) {
      written += Format(value, out);
      benchmark::DoNotOptimize(out);
    }
    benchmark::DoNotOptimize(written);
  }
  meter.Report(state);
}
BENCHMARK(BM_FloorTextSave)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", qenbench::Fastest);

void BM_FloorTextLoad(benchmark::State& state) {
  FloorData data = MakeFloorData();
  if (!data.sameTexts) state.SkipWithError("the floor does not read the vault's texts");
  std::size_t failures = 0;
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    for (std::size_t i = 0; i < data.texts.size(); ++i) {
      if (!Parse(data.texts[i], data.values[i])) ++failures;
    }
    benchmark::DoNotOptimize(data.values.data());
  }
  meter.Report(state);
  if (failures != 0) state.SkipWithError("a text did not load");
}
BENCHMARK(BM_FloorTextLoad)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", qenbench::Fastest);

}  // namespace
