// preset_document.h: PresetDocument, a whole vault saved as one JSON document and loaded back.
//
// The document holds the vault's version text and one entry per property that has a serializer part (command
// buttons have none), in vault order, with what IQPropertySerializer reports: name, property ID, group ID,
// flags, data type, value size and the value's preset text.
//
//   std::string text = host::PresetDocument::Save(vault);
//   host::PresetLoadReport report;
//   host::DocumentError error;
//   if (!host::PresetDocument::Load(text, vault, &report, &error)) ... error.Describe(path) ...
//
// Loading matches entries to properties by property ID, in the vault's order, so a panel orders a property
// that drives others before the ones it drives. Each value goes through the property's notifying path, so a
// bound mediator previews, may refuse, and applies dependent changes as for an edit. The enumerations (enum,
// enum-long, extended enum, ratio) load their preset text into a scratch copy with an empty list, then select
// the loaded ID on the live property, so the live list of choices is kept.
#ifndef QENPROPERTIES_HOST_PRESET_DOCUMENT_H_
#define QENPROPERTIES_HOST_PRESET_DOCUMENT_H_

#include <string>
#include <vector>

#include "qenproperties/frame/types.h"
#include "qenproperties/host/document_error.h"
#include "qenproperties/host/host_export.h"
#include "qenproperties/vault/property_vault_interface.h"

namespace Quenneth {
namespace host {

// PresetEntryOutcome: what became of one property or document entry.
enum class PresetOutcome {
  kLoaded,     // the value was loaded
  kRefused,    // the property refused the value (code says why); it keeps its value
  kUnknownId,  // the document's entry names a property ID the vault does not have; skipped
  kMissing,    // the vault's property has no entry in the document; it keeps its value
};

QEN_HOST_API const char* OutcomeName(PresetOutcome outcome);

struct PresetEntryReport {
  PresetOutcome outcome = PresetOutcome::kLoaded;
  std::string name;
  ULONG id = 0;
  ULONG code = 0;  // the result code of a refusal
};

struct PresetLoadReport {
  std::string documentVersion;
  std::string vaultVersion;
  std::vector<PresetEntryReport> entries;

  // Count gives the number of entries with that outcome.
  QEN_HOST_API std::size_t Count(PresetOutcome outcome) const;
};

class QEN_HOST_API PresetDocument {
 public:
  // Save gives the document of every property in `vault` (pretty-printed JSON, ending with a newline). Entries
  // of `earlier` (the text of a document this one replaces) whose property IDs the vault lacks are carried
  // over at the end, so writing a panel's values back never drops settings of another panel version; an
  // earlier text that is no preset document carries nothing.
  static std::string Save(IQPropertyVault* vault, const std::string& earlier = "");

  // Load reads `text` and loads its entries into the vault's properties. A document that is not JSON, or not
  // a preset document, returns false with `error` set, before any property is touched. Otherwise returns true
  // and reports, per property and per unknown entry, what happened.
  static bool Load(const std::string& text, IQPropertyVault* vault, PresetLoadReport* report, DocumentError* error);
};

}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_PRESET_DOCUMENT_H_
