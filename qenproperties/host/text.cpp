#include "qenproperties/host/text.h"

#include "qenproperties/foundation/string_utils.h"
#include "qenproperties/frame/result_codes.h"

namespace Quenneth {
namespace host {
namespace {

// ReadText reads a text getter that takes (buffer, length): a first call for the length in code units, then
// the text into a buffer one unit longer.
template <class Getter>
std::string ReadText(Getter get) {
  ULONG length = 0;
  if (get(nullptr, &length) != kResultOk || length == 0) return "";
  std::vector<WCHAR> text(static_cast<std::size_t>(length) + 1, 0);
  if (get(text.data(), &length) != kResultOk) return "";
  return Utf8(text.data());
}

}  // namespace

std::string Utf8(const WCHAR* text) { return Utf8(text, StringUtils::QWLen(text)); }

std::string Utf8(const WCHAR* text, std::size_t units) {
  std::string out;
  StringUtils::QUTF16ToUTF8(text, units, out, QUtfErrors::kReplace);
  return out;
}

bool ToUtf16(std::string_view text, std::vector<WCHAR>* out) {
  // The scratch string keeps its storage, so a caller that reuses `out` converts without allocating.
  thread_local QWString wide;
  const bool ok = StringUtils::QUTF8ToUTF16(text.data(), text.size(), wide, QUtfErrors::kRefuse) == kResultOk;
  out->assign(wide.begin(), wide.end());
  out->push_back(0);
  return ok;
}

std::string NameOf(IQProperty* property) {
  return ReadText([property](WCHAR* text, ULONG* length) { return property->GetPropertyName(text, length); });
}

std::string DescriptionOf(IQProperty* property) {
  return ReadText([property](WCHAR* text, ULONG* length) { return property->GetPropertyDescription(text, length); });
}

}  // namespace host
}  // namespace Quenneth
