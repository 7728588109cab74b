#include "qenproperties/server/internal/assets.h"

namespace Quenneth {
namespace server {
namespace detail {

const Asset* FindAsset(std::string_view path) {
  if (path == "/") path = "/index.html";
  std::size_t count = 0;
  const Asset* assets = Assets(&count);
  for (std::size_t i = 0; i < count; ++i) {
    if (path == assets[i].path) return &assets[i];
  }
  return nullptr;
}

}  // namespace detail
}  // namespace server
}  // namespace Quenneth
