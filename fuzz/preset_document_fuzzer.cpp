// preset_document_fuzzer.cpp: the host kit's preset-document loader on arbitrary text.
//
// The text is loaded into the sample panel's vault (every property class, with its mediator and dependency
// rules), then the vault is saved and that document loaded again, which must succeed. The panel is built once;
// every property is reset after each input, so each input starts from the panel's defaults.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "qenproperties/host/document_error.h"
#include "qenproperties/host/panel.h"
#include "qenproperties/host/preset_document.h"
#include "qenproperties/host/sample_panel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace Quenneth;
  host::DocumentError error;
  static const std::unique_ptr<host::Panel> panel = host::Panel::FromJson(host::SamplePanelDescription(), &error);
  if (!panel) std::abort();
  const std::string text(reinterpret_cast<const char*>(data), size);
  host::PresetLoadReport report;
  host::PresetDocument::Load(text, panel->Vault(), &report, &error);
  const std::string saved = host::PresetDocument::Save(panel->Vault());
  host::PresetLoadReport again;
  if (!host::PresetDocument::Load(saved, panel->Vault(), &again, &error)) std::abort();
  panel->ResetAll();
  return 0;
}
