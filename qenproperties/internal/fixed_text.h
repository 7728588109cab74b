// fixed_text.h: the fixed-point preset text of a real number, written without the general conversion
// (internal).
//
// The float property's preset text is the value in fixed notation with the property's digits after the point,
// as std::to_chars(first, last, value, std::chars_format::fixed, digits) writes it: the exact binary value
// rounded to that many digits, ties to even, a '-' whenever the sign bit is set ("-0.00"). The general
// conversion spends several hundred instructions per number, most of them on numbers no preset holds. For the
// usual ones (finite, at most 15 digits after the point, fewer than 2^52 units of the last digit) the scaled
// value fits in an integer and is rounded exactly with one fused multiply-add, so the length query counts the
// text and the text query writes it, each in a few dozen instructions and with no text kept between them.
//
//   if (!detail::PutFixedText(value, digits, text, length)) { /* the general conversion */ }
#ifndef QENPROPERTIES_INTERNAL_FIXED_TEXT_H_
#define QENPROPERTIES_INTERNAL_FIXED_TEXT_H_

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "qenproperties/frame/types.h"
#include "qenproperties/internal/preset_text.h"

namespace Quenneth {
namespace detail {

// kFixedDigitsMax: the most digits after the point PutFixedText takes.
constexpr ULONG kFixedDigitsMax = 15;

// kFixedTextExact: the arithmetic rounds every operation to double, which the exact rounding below relies on.
// Where intermediate results are kept wider (the x87 unit of 32-bit x86), every value takes the general way.
constexpr bool kFixedTextExact = FLT_EVAL_METHOD == 0;

// kPowersOfTen.of[n] is 10^n, up to 10^kFixedDigitsMax.
struct PowersOfTen {
  std::uint64_t of[kFixedDigitsMax + 1];
  constexpr PowersOfTen() : of() {
    std::uint64_t power = 1;
    for (ULONG n = 0; n <= kFixedDigitsMax; ++n, power *= 10u) of[n] = power;
  }
};
inline constexpr PowersOfTen kPowersOfTen;

// IntegerPart gives `scaled` / 10^digits. Each case divides by a constant, which costs a multiplication where a
// division by a variable costs tens of cycles.
inline std::uint64_t IntegerPart(std::uint64_t scaled, ULONG digits) {
  switch (digits) {
    case 0: return scaled;
    case 1: return scaled / kPowersOfTen.of[1];
    case 2: return scaled / kPowersOfTen.of[2];
    case 3: return scaled / kPowersOfTen.of[3];
    case 4: return scaled / kPowersOfTen.of[4];
    case 5: return scaled / kPowersOfTen.of[5];
    case 6: return scaled / kPowersOfTen.of[6];
    default: return scaled / kPowersOfTen.of[digits];
  }
}

// ScaledRound gives `magnitude` (not negative) times 10^digits rounded to the nearest integer, ties to even,
// as the exact product would round; false when that product is 2^52 or more, or not a number.
inline bool ScaledRound(double magnitude, ULONG digits, std::uint64_t& rounded) {
  const auto scale = static_cast<double>(kPowersOfTen.of[digits]);  // exact: below 2^53
  const double product = magnitude * scale;
  if (!(product < 0x1p52)) return false;
  // The fused multiply-add gives the product's rounding error exactly: the exact product is product + error,
  // with |error| at most half a unit of product's last place.
  const double error = std::fma(magnitude, scale, -product);
  // Below 2^52 the conversion to an integer truncates exactly, to the integer part.
  rounded = static_cast<std::uint64_t>(static_cast<std::int64_t>(product));
  // Below 2^52 the fraction product - rounded is exact; so is its difference from one half whenever that is near
  // zero (the fraction then lies within a factor of two of one half), and the error cannot turn the sign of a
  // difference that is not near zero. The sum's sign is the exact fraction's side of one half, zero on a tie.
  const double beyondHalf = (product - static_cast<double>(rounded) - 0.5) + error;
  if (beyondHalf > 0 || (beyondHalf == 0 && (rounded & 1u) != 0)) ++rounded;
  return true;
}

// PutFixedText answers a preset text request for `value` with `digits` digits after the point: `*length` gets
// the number of code units (no terminator) and, when `text` is not null, the text and a terminator are written
// there. Returns false, touching nothing, for a value or digit count it does not take (see above); the caller
// then makes the text with the general conversion, which gives the same text for the values taken here.
inline bool PutFixedText(double value, ULONG digits, WCHAR* text, ULONG* length) {
  if (!kFixedTextExact || digits > kFixedDigitsMax) return false;
  std::uint64_t scaled = 0;
  if (!ScaledRound(std::fabs(value), digits, scaled)) return false;
  const std::uint64_t integer = IntegerPart(scaled, digits);
  const ULONG sign = std::signbit(value) ? 1 : 0;
  const ULONG integerUnits = DecimalLength(integer);
  *length = sign + integerUnits + (digits != 0 ? 1 + digits : 0);
  if (text == nullptr) return true;
  if (sign != 0) text[0] = '-';
  WriteDigitsBefore(integer, text + sign + integerUnits);
  if (digits != 0) {
    WCHAR* point = text + sign + integerUnits;
    *point = '.';
    // The fraction's digits are written last first, leading zeros included.
    std::uint64_t fraction = scaled - integer * kPowersOfTen.of[digits];
    for (WCHAR* unit = point + digits; unit != point; --unit) {
      *unit = static_cast<WCHAR>('0' + fraction % 10u);
      fraction /= 10u;
    }
  }
  text[*length] = 0;
  return true;
}

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_FIXED_TEXT_H_
