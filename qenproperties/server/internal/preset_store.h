// preset_store.h: PresetStore, the preset file a server keeps: read once when it starts, and replaced with the
// panel's values after every change that moved one. Entries the panel does not know are carried over.
//
// Not thread-safe: the server calls it under its panel lock, so writes happen in the order of the changes.
#ifndef QENPROPERTIES_SERVER_INTERNAL_PRESET_STORE_H_
#define QENPROPERTIES_SERVER_INTERNAL_PRESET_STORE_H_

#include <string>

#include "qenproperties/server/internal/panel_adapter.h"

namespace Quenneth {
namespace server {
namespace detail {

class PresetStore {
 public:
  // An empty path keeps no file: Load and Write do nothing and succeed.
  explicit PresetStore(std::string path) : path_(std::move(path)) {}

  const std::string& Path() const { return path_; }

  // Load reads the file into the panel when it exists. False with `error` when it cannot be read or is no
  // preset document (the server then refuses to start rather than overwrite it); `summary` says what loaded.
  bool Load(PanelAdapter* adapter, std::string* summary, std::string* error);
  // Write replaces the file with the panel's document; false with `error` when it cannot (the old file stays).
  bool Write(const PanelAdapter& adapter, std::string* error);

 private:
  std::string path_;
  std::string earlier_;  // the file as last read or written
};

}  // namespace detail
}  // namespace server
}  // namespace Quenneth

#endif  // QENPROPERTIES_SERVER_INTERNAL_PRESET_STORE_H_
