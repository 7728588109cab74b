# Writes a C++ source that holds files as byte arrays, with a table of {path, content type, bytes, size}.
# Run as a script at build time:
#   cmake -DOUTPUT=out.cpp -DBASE_DIR=dir -DFILES="a.html;js/b.js" -P QenEmbedAssets.cmake
# Each file is served at "/" + its path below BASE_DIR. The content type follows the file's extension.
set(types_html "text/html; charset=utf-8")
set(types_css "text/css; charset=utf-8")
set(types_js "text/javascript; charset=utf-8")
set(types_svg "image/svg+xml")
set(types_png "image/png")
set(types_json "application/json")

string(REPLACE "," ";" FILES "${FILES}")
set(arrays "")
set(table "")
set(index 0)
foreach(file ${FILES})
  get_filename_component(extension ${file} EXT)
  string(REGEX REPLACE ".*\\." "" extension "${extension}")
  set(type "${types_${extension}}")
  if(type STREQUAL "")
    message(FATAL_ERROR "no content type is known for ${file}")
  endif()
  file(READ ${BASE_DIR}/${file} hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  # 24 bytes a line keeps the generated file readable in a debugger.
  string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){24})" "\\1\n    " bytes "${bytes}")
  string(APPEND arrays "// ${file}\nconst unsigned char kAsset${index}[] = {\n    ${bytes}0x00};\n")
  string(APPEND table "    {\"/${file}\", \"${type}\", kAsset${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()

set(content "// Generated at build time by cmake/QenEmbedAssets.cmake from qenproperties/server/web: do not edit.
#include \"qenproperties/server/internal/assets.h\"

namespace Quenneth {
namespace server {
namespace detail {
namespace {

${arrays}
const Asset kAssets[] = {
${table}};

}  // namespace

const Asset* Assets(std::size_t* count) {
  *count = sizeof(kAssets) / sizeof(kAssets[0]);
  return kAssets;
}

}  // namespace detail
}  // namespace server
}  // namespace Quenneth
")
# Rewrite only on change, so an unchanged page does not rebuild the server.
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
  if(old STREQUAL content)
    return()
  endif()
endif()
file(WRITE ${OUTPUT} "${content}")
