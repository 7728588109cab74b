// panel_description_fuzzer.cpp: the host kit's panel-file loader on arbitrary text.
//
// Whatever panel a description builds is exercised a little: every property is reset, and its vault saved
// as a preset document and loaded back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "qenproperties/host/document_error.h"
#include "qenproperties/host/panel.h"
#include "qenproperties/host/preset_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace Quenneth;
  const std::string text(reinterpret_cast<const char*>(data), size);
  host::DocumentError error;
  std::unique_ptr<host::Panel> panel = host::Panel::FromJson(text, &error);
  if (!panel) return 0;
  panel->ResetAll();
  const std::string saved = host::PresetDocument::Save(panel->Vault());
  host::PresetLoadReport report;
  if (!host::PresetDocument::Load(saved, panel->Vault(), &report, &error)) std::abort();
  return 0;
}
