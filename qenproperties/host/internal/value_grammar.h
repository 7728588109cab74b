// value_grammar.h: the one grammar of values that `set`, preset documents and panel descriptions share
// (internal).
//
// Every form is read whole: nothing may stand before or after it (no blanks, no sign where none is allowed,
// no trailing garbage), and a text that holds a NUL is no value of any kind.
//
//   whole number   an optional "-", then the decimal digits 0-9 ("007" is 7); no "+", no "0x", no exponent
//   decimal        a whole number, optionally followed by "." and digits, optionally by "e" or "E", an optional
//                  sign and digits ("2.5", "-0.25", "1e3"); never "nan", "inf", ".5" or "5."; a decimal beyond
//                  the range of a double is refused
//   bool           true, false, yes, no, on, off, 1 or 0, in any letter case
//   byte text      pairs of hexadecimal digits, in either case (the library's text of raw value bytes)
//   ratio          two whole numbers from 1 to 4294967295 joined by ":" ("16:9")
#ifndef QENPROPERTIES_HOST_INTERNAL_VALUE_GRAMMAR_H_
#define QENPROPERTIES_HOST_INTERNAL_VALUE_GRAMMAR_H_

#include <string>
#include <string_view>
#include <vector>

#include "qenproperties/frame/types.h"

namespace Quenneth {
namespace host {
namespace detail {

// Parsed: a text of the right form whose number fits (kOk), a text of another form (kMalformed), or a number
// of the right form beyond the bounds asked for (kOutside).
enum class Parsed { kOk, kMalformed, kOutside };

// ParseWhole reads a whole number from `lo` to `hi`.
Parsed ParseWhole(std::string_view text, long long lo, long long hi, long long* value);
// ParseDecimal reads a decimal; kOutside when it is beyond the range of a double.
Parsed ParseDecimal(std::string_view text, double* value);
bool ParseBool(std::string_view text, bool* value);
bool ParseByteText(std::string_view text, std::vector<unsigned char>* bytes);
// ParseRatio reads "N:M"; kOutside when a part is 0 or beyond 32 bits.
Parsed ParseRatio(std::string_view text, ULONG* numerator, ULONG* denominator);

bool HasNul(std::string_view text);
// EqualIgnoringCase compares ASCII letters without their case, every other byte exactly.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

// FormatFixed writes `value` with `digits` digits after the point ("2.50"), as the float property's preset
// text does; FormatShortest writes the shortest text that reads back as the same double ("29.97").
std::string FormatFixed(double value, ULONG digits);
std::string FormatShortest(double value);
// RoundToDigits gives the double that FormatFixed(value, digits) reads back as, so a value kept at its
// digits survives a trip through its text exactly; beyond 17 digits the value is given as it is.
double RoundToDigits(double value, ULONG digits);

// The sentences that say what a form takes, for refusals: "a whole number from 1 to 100".
std::string WholeRangeText(long long lo, long long hi);

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_VALUE_GRAMMAR_H_
