// simdjson_document.cpp: reading the preset document with simdjson, the SIMD JSON reader (it writes no JSON).
//
// BM_SimdDocumentLoad   parses the document text on demand and reads every field of every entry.
#include <benchmark/benchmark.h>

#include <simdjson.h>

#include "../alloc_counter.h"
#include "document_entries.h"

namespace {

using qenpeers::PlainDocument;

constexpr Quenneth::ULONG kProperties = 10000;

std::uint32_t Whole(simdjson::ondemand::object& entry, std::string_view key) {
  return static_cast<std::uint32_t>(entry[key].get_uint64().value());
}

void BM_SimdDocumentLoad(benchmark::State& state) {
  const PlainDocument document = qenpeers::DocumentOf(qenbench::MakeMixedVault(kProperties));
  const simdjson::padded_string text(qenpeers::ReferenceText(document));
  simdjson::ondemand::parser parser;
  bool matches = true;
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    try {
      simdjson::ondemand::document parsed = parser.iterate(text);
      qenpeers::ReadCheck check;
      for (simdjson::ondemand::object entry : parsed["entries"].get_array()) {
        const std::string_view name = entry["name"].get_string();
        const std::uint32_t id = Whole(entry, "id");
        const std::uint32_t group = Whole(entry, "group");
        const std::uint32_t flags = Whole(entry, "flags");
        const std::uint32_t type = Whole(entry, "type");
        const std::uint32_t size = Whole(entry, "size");
        const std::string_view value = entry["value"].get_string();
        check.Add(name.size(), id, group, flags, type, size, value.size());
      }
      matches = matches && check.Matches(document);
    } catch (const simdjson::simdjson_error&) {
      matches = false;
    }
  }
  meter.Report(state);
  if (!matches) state.SkipWithError("the entries read differ from the document's");
}
BENCHMARK(BM_SimdDocumentLoad)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", qenbench::Fastest);

}  // namespace
