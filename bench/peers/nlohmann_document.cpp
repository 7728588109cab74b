// nlohmann_document.cpp: the preset document through nlohmann::json's tree.
//
// BM_TreeDocumentSave   writes the tree of the 10,000 entries with a two-space indent. The tree is built once,
//                       before the timing: a program that keeps its settings in the tree pays only the writing.
// BM_TreeDocumentLoad   parses the document text into the tree and reads every field of every entry.
#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>

#include "../alloc_counter.h"
#include "document_entries.h"

namespace {

using Json = nlohmann::json;
using qenpeers::PlainDocument;

constexpr Quenneth::ULONG kProperties = 10000;

void BM_TreeDocumentSave(benchmark::State& state) {
  const PlainDocument document = qenpeers::DocumentOf(qenbench::MakeMixedVault(kProperties));
  std::size_t size = 0;
  const Json root = qenpeers::TreeOf<Json>(document);
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    const std::string text = root.dump(2);
    size = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  meter.Report(state);
  state.counters["document bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_TreeDocumentSave)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", qenbench::Fastest);

void BM_TreeDocumentLoad(benchmark::State& state) {
  const PlainDocument document = qenpeers::DocumentOf(qenbench::MakeMixedVault(kProperties));
  const std::string text = qenpeers::ReferenceText(document);
  bool matches = true;
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    const Json root = Json::parse(text);
    qenpeers::ReadCheck check;
    for (const Json& entry : root.at("entries")) {
      check.Add(entry.at("name").get_ref<const std::string&>().size(), entry.at("id").get<std::uint32_t>(),
                entry.at("group").get<std::uint32_t>(), entry.at("flags").get<std::uint32_t>(),
                entry.at("type").get<std::uint32_t>(), entry.at("size").get<std::uint32_t>(),
                entry.at("value").get_ref<const std::string&>().size());
    }
    matches = matches && check.Matches(document);
  }
  meter.Report(state);
  if (!matches) state.SkipWithError("the entries read differ from the document's");
}
BENCHMARK(BM_TreeDocumentLoad)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", qenbench::Fastest);

}  // namespace
