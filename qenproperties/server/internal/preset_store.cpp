#include "qenproperties/server/internal/preset_store.h"

#include <memory>
#include <utility>

#include "qenproperties/host/preset_file.h"

namespace Quenneth {
namespace server {
namespace detail {

bool PresetStore::Load(PanelAdapter* adapter, std::string* summary, std::string* error) {
  if (path_.empty()) return true;
  std::string text;
  bool exists = false;
  if (!host::ReadBoundedFileIfExists(path_, &text, &exists, error)) {
    *error = path_ + ": " + *error;
    return false;
  }
  if (!exists) {
    *summary = path_ + " does not exist yet; it is written after the first change";
    return true;
  }
  PresetLoad load = adapter->LoadPreset(text, false);
  if (!load.read) {
    *error = path_ +
             (load.line != 0 ? ":" + std::to_string(load.line) + ":" + std::to_string(load.column)
                             : ": at " + load.pointer) +
             ": " + load.error;
    return false;
  }
  *summary = "loaded " + path_ + ": " + load.report["loaded"].dump() + " loaded, " + load.report["refused"].dump() +
             " refused, " + load.report["unknown"].dump() + " unknown, " + load.report["missing"].dump() + " missing";
  return true;
}

bool PresetStore::Write(const PanelAdapter& adapter, std::string* error) {
  if (path_.empty()) return true;
  // The file's lock is held from opening it to replacing it, so this write and a qenprops process changing
  // the same preset take turns instead of mixing their files.
  std::unique_ptr<host::PresetFile> file = host::PresetFile::Open(path_, error);
  if (!file) return false;
  return file->Replace(adapter.SavePreset(), error);
}

}  // namespace detail
}  // namespace server
}  // namespace Quenneth
