// panel_description_fuzzer.cpp: the host kit's panel-description reading on arbitrary text.
//
// Whatever panel a description builds is exercised a little: it is saved, loaded into a second panel of the
// same description (completely, and saving the same text again), reset, and its first property set to each of
// the choices its limits list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "qenproperties/host/document_error.h"
#include "qenproperties/host/kinds.h"
#include "qenproperties/host/panel.h"
#include "qenproperties/host/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace Quenneth;
  const std::string text(reinterpret_cast<const char*>(data), size);
  host::DocumentError error;
  std::unique_ptr<host::Panel> panel = host::Panel::FromJson(text, &error);
  if (!panel) {
    if (error.message.empty()) std::abort();  // every refusal says why
    return 0;
  }
  const std::string name = host::NameOf(panel->At(0));
  for (const std::string& choice : panel->LimitsAt(0).choices) panel->Set(name, choice);
  const std::string saved = panel->SavePreset();
  std::unique_ptr<host::Panel> copy = host::Panel::FromJson(text, &error);
  host::PresetLoadReport report;
  if (!copy || !copy->LoadPreset(saved, &report, &error) || !report.Complete()) std::abort();
  if (copy->SavePreset() != saved) std::abort();
  panel->ResetAll();
  return 0;
}
