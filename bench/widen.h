// widen.h: ASCII text as the library's UTF-16 text, for building benchmark data.
#ifndef QENPROPERTIES_BENCH_WIDEN_H_
#define QENPROPERTIES_BENCH_WIDEN_H_

#include <qenproperties/foundation/string_utils.h>

namespace qenbench {

inline Quenneth::QWString Widen(const char* text) {
  Quenneth::QWString wide;
  for (; *text != 0; ++text) wide.push_back(static_cast<unsigned char>(*text));
  return wide;
}

}  // namespace qenbench

#endif  // QENPROPERTIES_BENCH_WIDEN_H_
