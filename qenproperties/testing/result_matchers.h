// result_matchers.h: EXPECT_RESULT and ASSERT_RESULT compare result codes and print them by name.
//
//   EXPECT_RESULT(kResultOutOfRange, property->SetCurValue(21));
#ifndef QENPROPERTIES_TESTING_RESULT_MATCHERS_H_
#define QENPROPERTIES_TESTING_RESULT_MATCHERS_H_

#include <gtest/gtest.h>

#include "qenproperties/frame/types.h"

namespace Quenneth {
namespace testing {

::testing::AssertionResult ResultEquals(const char* expectedText, const char* actualText, ULONG expected, ULONG actual);

}  // namespace testing
}  // namespace Quenneth

#define EXPECT_RESULT(expected, actual) EXPECT_PRED_FORMAT2(::Quenneth::testing::ResultEquals, expected, actual)
#define ASSERT_RESULT(expected, actual) ASSERT_PRED_FORMAT2(::Quenneth::testing::ResultEquals, expected, actual)

#endif  // QENPROPERTIES_TESTING_RESULT_MATCHERS_H_
