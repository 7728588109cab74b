#include "qenproperties/host/preset_document.h"

#include "qenproperties/frame/qref.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/internal/document_io.h"
#include "qenproperties/host/internal/preset_prefetch.h"

namespace Quenneth {
namespace host {
namespace {

// Targets lists the vault's properties, their rows to be found as each is reached; `held` keeps a reference on
// each for the call.
std::vector<detail::Target> Targets(IQPropertyVault* vault, std::vector<QRef<IQProperty>>* held) {
  ULONG count = 0;
  vault->GetPropertyInfoCount(&count);
  std::vector<detail::Target> targets;
  targets.reserve(count);
  held->reserve(count);
  for (ULONG i = 0; i < count; ++i) {
    QRef<IQProperty> property;
    if (vault->GetPropertyInfoByIndex(i, property.Put()) != kResultOk || !property) continue;
    targets.push_back(detail::Target{property.get(), nullptr, nullptr});
    held->push_back(std::move(property));
  }
  return targets;
}

// How many places ahead the load asks for a property's memory: far enough for it to arrive while the
// properties before it load (a few hundred nanoseconds each), near enough to be in the cache still when
// reached.
constexpr ULONG kPrefetchAhead = 8;

// PrefetchProperty asks for the first 512 bytes from a property object's start, or nothing for null (past the
// vault's end). A property made in one go lies there with its base property and texts, which the load reads
// too (a long property keeps about 550 bytes): asking for the object's first two lines alone was no faster than
// asking for nothing, asking for 512 bytes was faster at 100,000 properties.
void PrefetchProperty(const IQProperty* property) {
  if (property == nullptr) return;
  constexpr int kLines = 8;
  const auto* bytes = reinterpret_cast<const unsigned char*>(property);
  for (int line = 0; line < kLines; ++line) detail::Prefetch(bytes + 64 * line);
}

}  // namespace

const char* OutcomeName(PresetOutcome outcome) {
  switch (outcome) {
    case PresetOutcome::kLoaded: return "loaded";
    case PresetOutcome::kAdjusted: return "adjusted";
    case PresetOutcome::kRefused: return "refused";
    case PresetOutcome::kUnknownId: return "unknown";
    case PresetOutcome::kMissing: return "missing";
  }
  return "";
}

std::size_t PresetLoadReport::Count(PresetOutcome outcome) const {
  std::size_t n = 0;
  for (const PresetEntryReport& e : entries) n += e.outcome == outcome ? 1 : 0;
  return n;
}

bool PresetLoadReport::Complete() const {
  return Count(PresetOutcome::kRefused) == 0 && Count(PresetOutcome::kAdjusted) == 0;
}

std::string PresetDocument::Save(IQPropertyVault* vault, const std::string& earlier) {
  std::vector<QRef<IQProperty>> held;
  const std::vector<detail::Target> targets = Targets(vault, &held);
  detail::PresetContent carried;
  detail::PresetContent previous;
  DocumentError ignored;
  if (!earlier.empty() &&
      detail::ReadPresetDocument(earlier, detail::JsonBounds{}, &previous, &ignored, earlier.capacity())) {
    for (const detail::PresetEntry& entry : previous.entries) {
      QRef<IQProperty> known;
      if (vault->GetPropertyInfoByID(entry.id, known.Put()) != kResultOk) carried.Adopt(entry);
    }
  }
  return detail::WriteDocument(detail::VersionOf(vault), targets, carried);
}

bool PresetDocument::Load(const std::string& text, IQPropertyVault* vault, PresetLoadReport* report,
                          DocumentError* error) {
  detail::PresetContent content;
  // A string may be read up to its capacity: the parser then reads the text where it is.
  if (!detail::ReadPresetDocument(text, detail::JsonBounds{}, &content, error, text.capacity())) return false;
  *report = PresetLoadReport();
  report->documentVersion = content.version.value_or("");
  report->vaultVersion = detail::VersionOf(vault);
  // Each property is reached a few places before its load and held until it has loaded: a vault larger than the
  // caches holds properties they no longer keep, and so their memory is on its way while the ones before them
  // load. They are reached through the vault's interface, with a reference each, so any vault works and another
  // thread may change the vault meanwhile.
  ULONG count = 0;
  vault->GetPropertyInfoCount(&count);
  detail::EntryLoader loader(content, report, count);
  QRef<IQProperty> ahead[kPrefetchAhead];
  const auto reach = [&](ULONG index) {
    QRef<IQProperty>& slot = ahead[index % kPrefetchAhead];
    if (index < count && vault->GetPropertyInfoByIndex(index, slot.Put()) == kResultOk) PrefetchProperty(slot.get());
  };
  for (ULONG i = 0; i < kPrefetchAhead; ++i) reach(i);
  for (ULONG i = 0; i < count; ++i) {
    const QRef<IQProperty> property = std::move(ahead[i % kPrefetchAhead]);
    reach(i + kPrefetchAhead);
    if (property) loader.Load(detail::Target{property.get(), nullptr, nullptr});
  }
  std::vector<std::size_t> unknown;
  loader.Finish(&unknown);
  return true;
}

}  // namespace host
}  // namespace Quenneth
