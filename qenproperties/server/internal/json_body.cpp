#include "qenproperties/server/internal/json_body.h"

namespace Quenneth {
namespace server {
namespace detail {
namespace {

// TooDeep finds the first bracket that opens a level beyond the cap, outside strings; npos when none.
std::size_t TooDeep(std::string_view text) {
  std::size_t depth = 0;
  bool inString = false;
  bool escaped = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        inString = false;
      }
      continue;
    }
    if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxBodyDepth) return i;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return std::string_view::npos;
}

// Reason keeps what the JSON library says after its own prefix and place ("... column 4: syntax error ...").
std::string Reason(const std::string& what) {
  const std::size_t column = what.find("column ");
  const std::size_t colon = column == std::string::npos ? std::string::npos : what.find(": ", column);
  if (colon != std::string::npos) return what.substr(colon + 2);
  const std::size_t bracket = what.find("] ");
  return bracket != std::string::npos ? what.substr(bracket + 2) : what;
}

}  // namespace

void LineAndColumn(std::string_view text, std::size_t offset, std::size_t* line, std::size_t* column) {
  *line = 1;
  *column = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++*line;
      *column = 1;
    } else {
      ++*column;
    }
  }
}

bool ParseJsonBody(std::string_view text, Json* out, BodyError* error) {
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
    *error = BodyError{"the request has no body; expected a JSON object", 1, 1};
    return false;
  }
  const std::size_t deep = TooDeep(text);
  if (deep != std::string_view::npos) {
    error->message = "nested deeper than " + std::to_string(kMaxBodyDepth) + " levels";
    LineAndColumn(text, deep, &error->line, &error->column);
    return false;
  }
  try {
    *out = Json::parse(text.begin(), text.end());
  } catch (const Json::parse_error& e) {
    error->message = Reason(e.what());
    // The library counts the byte it stopped at from 1.
    LineAndColumn(text, e.byte == 0 ? 0 : e.byte - 1, &error->line, &error->column);
    return false;
  }
  return true;
}

}  // namespace detail
}  // namespace server
}  // namespace Quenneth
