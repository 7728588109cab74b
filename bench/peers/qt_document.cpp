// qt_document.cpp: the preset document through Qt 5's QJsonDocument.
//
// BM_QtDocumentSave   writes the QJsonDocument of the 10,000 entries (QJsonDocument::Indented). The tree is
//                     built once, before the timing: a program that keeps its settings in the tree pays only the
//                     writing (building it costs several times more with Qt 5.15's containers).
// BM_QtDocumentLoad   parses the document text (QJsonDocument::fromJson) and reads every field of every entry.
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QString>

#include "../alloc_counter.h"
#include "document_entries.h"

namespace {

using qenpeers::PlainDocument;
using qenpeers::PlainEntry;

constexpr Quenneth::ULONG kProperties = 10000;

std::uint32_t Whole(const QJsonObject& entry, QLatin1String key) {
  return static_cast<std::uint32_t>(entry.value(key).toDouble());
}

void BM_QtDocumentSave(benchmark::State& state) {
  const PlainDocument document = qenpeers::DocumentOf(qenbench::MakeMixedVault(kProperties));
  int size = 0;
  QJsonArray entries;
  for (const PlainEntry& entry : document.entries) {
    QJsonObject object;
    object.insert(QLatin1String("name"), QString::fromStdString(entry.name));
    object.insert(QLatin1String("id"), static_cast<double>(entry.id));
    object.insert(QLatin1String("group"), static_cast<double>(entry.group));
    object.insert(QLatin1String("flags"), static_cast<double>(entry.flags));
    object.insert(QLatin1String("type"), static_cast<double>(entry.type));
    object.insert(QLatin1String("size"), static_cast<double>(entry.size));
    object.insert(QLatin1String("value"), QString::fromStdString(entry.value));
    entries.append(object);
  }
  QJsonObject root;
  root.insert(QLatin1String("format"), QLatin1String(qenpeers::kDocumentFormat));
  root.insert(QLatin1String("version"), QString::fromStdString(document.version));
  root.insert(QLatin1String("entries"), entries);
  const QJsonDocument tree(root);
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    const QByteArray text = tree.toJson(QJsonDocument::Indented);
    size = text.size();
    benchmark::DoNotOptimize(text.constData());
  }
  meter.Report(state);
  state.counters["document bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_QtDocumentSave)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", qenbench::Fastest);

void BM_QtDocumentLoad(benchmark::State& state) {
  const PlainDocument document = qenpeers::DocumentOf(qenbench::MakeMixedVault(kProperties));
  const std::string reference = qenpeers::ReferenceText(document);
  const QByteArray text(reference.data(), static_cast<int>(reference.size()));
  bool matches = true;
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    QJsonParseError error{};
    const QJsonDocument parsed = QJsonDocument::fromJson(text, &error);
    qenpeers::ReadCheck check;
    const QJsonArray entries = parsed.object().value(QLatin1String("entries")).toArray();
    for (const QJsonValue& item : entries) {
      const QJsonObject entry = item.toObject();
      const QString name = entry.value(QLatin1String("name")).toString();
      const QString value = entry.value(QLatin1String("value")).toString();
      check.Add(static_cast<std::size_t>(name.size()), Whole(entry, QLatin1String("id")),
                Whole(entry, QLatin1String("group")), Whole(entry, QLatin1String("flags")),
                Whole(entry, QLatin1String("type")), Whole(entry, QLatin1String("size")),
                static_cast<std::size_t>(value.size()));
    }
    matches = matches && error.error == QJsonParseError::NoError && check.Matches(document);
  }
  meter.Report(state);
  if (!matches) state.SkipWithError("the entries read differ from the document's");
}
BENCHMARK(BM_QtDocumentLoad)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", qenbench::Fastest);

}  // namespace
