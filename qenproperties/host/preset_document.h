// preset_document.h: PresetDocument, a whole vault saved as one JSON document and loaded back exactly.
//
// The document holds the vault's version text and one entry per property that keeps a preset text (command
// buttons keep none), in vault order: name, property ID, group ID, flags, data type, value size and the
// value's preset text. internal/preset_reader.h gives the format.
//
//   std::string text = host::PresetDocument::Save(vault);
//   host::PresetLoadReport report;
//   host::DocumentError error;
//   if (!host::PresetDocument::Load(text, vault, &report, &error)) ... error.Describe(path) ...
//
// Loading is exact and quiet: every value is read by the strict grammar of its kind (kinds.h) and stored with
// the direct setters, so no mediator is told and no dependency callback runs (rules act on edits, not on
// loads); a vault loaded from a document it saved holds exactly the values it saved, and saves the same text
// again. An entry whose value the property cannot take is refused, named in the report with the reason, and
// the property keeps its value. A text that is no preset document is refused before any property is touched:
// one larger than the size cap, nested deeper than the depth cap, holding a NUL or a syntax error (each at its
// line and column), an unknown or repeated key, a value of the wrong type, or two entries of one property ID
// (each at its JSON pointer).
//
// Not thread-safe against other changes of the same properties while a load runs.
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

// PresetOutcome: what became of one property or document entry.
enum class PresetOutcome {
  kLoaded,     // the value was loaded
  kAdjusted,   // the value was loaded, then a panel's rule moved it (reason says how)
  kRefused,    // the property cannot take the value (code and reason say why); it keeps its value
  kUnknownId,  // the document's entry names a property ID the vault does not have; kept for the next save
  kMissing,    // the vault's property has no entry in the document; it keeps its value
};

// OutcomeName: "loaded", "adjusted", "refused", "unknown", "missing".
QEN_HOST_API const char* OutcomeName(PresetOutcome outcome);

struct PresetEntryReport {
  PresetOutcome outcome = PresetOutcome::kLoaded;
  std::string name;
  ULONG id = 0;
  ULONG code = 0;      // the result code of a refusal
  std::string reason;  // why an entry was refused or adjusted
};

struct PresetLoadReport {
  std::string documentVersion;
  std::string vaultVersion;
  // One line per property of the vault, in vault order, then one per entry of an unknown property ID.
  std::vector<PresetEntryReport> entries;

  // Count gives the number of lines with that outcome.
  QEN_HOST_API std::size_t Count(PresetOutcome outcome) const;
  // Complete: nothing was refused or adjusted.
  QEN_HOST_API bool Complete() const;
};

class QEN_HOST_API PresetDocument {
 public:
  // Save gives the document of every property in `vault` (ending with a newline). Entries of `earlier` (the
  // text of a document this one replaces) whose property IDs the vault lacks are carried over at the end, so
  // writing a vault's values back never drops settings of another version; an earlier text that is no preset
  // document carries nothing.
  static std::string Save(IQPropertyVault* vault, const std::string& earlier = "");

  // Load reads `text` and loads its entries into the vault's properties, as the file comment says. False with
  // `error` for a text that is no preset document; otherwise true, with every property and every unknown
  // entry in `report`.
  static bool Load(const std::string& text, IQPropertyVault* vault, PresetLoadReport* report, DocumentError* error);
};

}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_PRESET_DOCUMENT_H_
