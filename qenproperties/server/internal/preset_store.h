// preset_store.h: PresetStore, the preset file a server keeps: read once when it starts, and replaced with the
// panel's values after every change that moved one, through the host kit's locked, atomic preset file. Entries
// the panel does not know are carried over.
//
// The server's panel is what it writes: the file holds the panel's values and the entries of other panels
// that it held when the server started; the server does not read the file back between its writes.
//
// Not thread-safe: the server calls it under its panel lock, so writes happen in the order of the changes.
#ifndef QENPROPERTIES_SERVER_INTERNAL_PRESET_STORE_H_
#define QENPROPERTIES_SERVER_INTERNAL_PRESET_STORE_H_

#include <string>
#include <utility>

#include "qenproperties/server/internal/panel_adapter.h"

namespace Quenneth {
namespace server {
namespace detail {

class PresetStore {
 public:
  // An empty path keeps no file: Load and Write do nothing and succeed.
  explicit PresetStore(std::string path) : path_(std::move(path)) {}

  const std::string& Path() const { return path_; }

  // Load reads the file into the panel when it exists. False with `error` when it cannot be read (not a regular
  // file, too large) or is no preset document: the server then refuses to start rather than overwrite it.
  // `summary` says what loaded.
  bool Load(PanelAdapter* adapter, std::string* summary, std::string* error);
  // Write replaces the file with the panel's document; false with `error` when it cannot (the old file stays).
  bool Write(const PanelAdapter& adapter, std::string* error);

 private:
  std::string path_;
};

}  // namespace detail
}  // namespace server
}  // namespace Quenneth

#endif  // QENPROPERTIES_SERVER_INTERNAL_PRESET_STORE_H_
