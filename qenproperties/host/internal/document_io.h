// document_io.h: loading a preset document's entries into properties, and writing properties as a document
// (internal). PresetDocument serves a plain vault with them, Panel its own properties.
#ifndef QENPROPERTIES_HOST_INTERNAL_DOCUMENT_IO_H_
#define QENPROPERTIES_HOST_INTERNAL_DOCUMENT_IO_H_

#include <string>
#include <string_view>
#include <vector>

#include "qenproperties/host/internal/preset_reader.h"
#include "qenproperties/host/kinds.h"
#include "qenproperties/host/preset_document.h"

namespace Quenneth {
namespace host {
namespace detail {

// Target: a property a document may hold an entry for, its row (null: found when the property is reached, so a
// document of a plain vault walks its properties once), and the range a panel holds for it (or null).
struct Target {
  IQProperty* property = nullptr;
  const PropertyKind* kind = nullptr;
  const DeclaredRange* range = nullptr;
};

// EntryLoader loads each target's entry of `content` through its row's loadText, directly, and reports every
// target in the order given; the entry's flags give the target's value-set flag. Finish then reports the entries
// no target had as unknown and puts their positions in `unknown`. Targets are given one at a time, so a caller
// can reach each property just before its load: a property touched twice, once to list it and once to load it,
// is fetched from memory twice when a vault is larger than the caches.
class EntryLoader {
 public:
  EntryLoader(const PresetContent& content, PresetLoadReport* report, std::size_t targets);
  void Load(Target target);
  void Finish(std::vector<std::size_t>* unknown);

 private:
  const PresetContent& content_;
  PresetLoadReport* report_;
  std::vector<bool> used_;
  std::vector<WCHAR> wide_;
  std::string name_;
};

// LoadEntries loads the targets in order and finishes, as EntryLoader does.
void LoadEntries(const PresetContent& content, const std::vector<Target>& targets, PresetLoadReport* report,
                 std::vector<std::size_t>* unknown);

// WriteDocument writes the targets that keep a preset text, then the entries of `carried`.
std::string WriteDocument(std::string_view version, const std::vector<Target>& targets, const PresetContent& carried);

// VersionOf reads a vault's version text.
std::string VersionOf(IQPropertyVault* vault);

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_DOCUMENT_IO_H_
