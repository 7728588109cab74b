#include "qenproperties/server/internal/preset_store.h"

#include <filesystem>
#include <system_error>

#include "qenproperties/host/text_file.h"

namespace Quenneth {
namespace server {
namespace detail {

bool PresetStore::Load(PanelAdapter* adapter, std::string* summary, std::string* error) {
  if (path_.empty()) return true;
  std::error_code ec;
  if (!std::filesystem::exists(path_, ec)) {
    *summary = path_ + " does not exist yet; it is written after the first change";
    return true;
  }
  std::string text;
  if (!host::ReadTextFile(path_, &text, error)) return false;
  PresetLoad load = adapter->LoadPreset(text, false);
  if (!load.read) {
    *error = path_ +
             (load.line != 0 ? ":" + std::to_string(load.line) + ":" + std::to_string(load.column)
                             : ": at " + load.pointer) +
             ": " + load.error;
    return false;
  }
  earlier_ = std::move(text);
  *summary = "loaded " + path_ + ": " + load.report["loaded"].dump() + " loaded, " + load.report["refused"].dump() +
             " refused, " + load.report["unknown"].dump() + " unknown, " + load.report["missing"].dump() + " missing";
  return true;
}

bool PresetStore::Write(const PanelAdapter& adapter, std::string* error) {
  if (path_.empty()) return true;
  std::string text = adapter.SavePreset(earlier_);
  if (!host::WriteFileAtomically(path_, text, error)) return false;
  earlier_ = std::move(text);
  return true;
}

}  // namespace detail
}  // namespace server
}  // namespace Quenneth
