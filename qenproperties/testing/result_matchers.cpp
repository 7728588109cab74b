#include "qenproperties/testing/result_matchers.h"

#include <cstdio>

#include "qenproperties/frame/result_codes.h"

namespace Quenneth {
namespace testing {
namespace {

std::string Describe(ULONG code) {
  char hex[16];
  std::snprintf(hex, sizeof(hex), "0x%08X", static_cast<unsigned>(code));
  return std::string(ResultName(code)) + " (" + hex + ")";
}

}  // namespace

::testing::AssertionResult ResultEquals(const char* expectedText, const char* actualText, ULONG expected,
                                        ULONG actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actualText << " gave " << Describe(actual) << ", expected " << expectedText
                                       << " = " << Describe(expected);
}

}  // namespace testing
}  // namespace Quenneth
