// assets.h: the files of the browser panel, built into the program from qenproperties/server/web, so the
// server needs no files beside it and serves nothing else.
#ifndef QENPROPERTIES_SERVER_INTERNAL_ASSETS_H_
#define QENPROPERTIES_SERVER_INTERNAL_ASSETS_H_

#include <cstddef>
#include <string_view>

namespace Quenneth {
namespace server {
namespace detail {

// Asset: one file, served at `path` ("/index.html", "/js/api.js"). `bytes` is static and `size` long.
struct Asset {
  const char* path;
  const char* contentType;
  const unsigned char* bytes;
  std::size_t size;
};

// Assets gives the table of every embedded file (generated at build time).
const Asset* Assets(std::size_t* count);

// FindAsset gives the file served at `path`; "/" is "/index.html". Null for any other path.
const Asset* FindAsset(std::string_view path);

}  // namespace detail
}  // namespace server
}  // namespace Quenneth

#endif  // QENPROPERTIES_SERVER_INTERNAL_ASSETS_H_
