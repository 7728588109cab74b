// enum_checks.h: checks that the enum-like properties share, and a getter reader that also checks its result.
#ifndef QENPROPERTIES_TESTING_ENUM_CHECKS_H_
#define QENPROPERTIES_TESTING_ENUM_CHECKS_H_

#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/testing/counting_optional.h"
#include "qenproperties/testing/property_values.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace testing {

// OkOut: what a getter of one pointer argument writes (`unset` when it writes nothing), expecting it to succeed.
template <class T, class Object, class Getter>
T OkOut(Object* object, Getter getter, T unset = T{}) {
  T out = unset;
  EXPECT_RESULT(kResultOk, (object->*getter)(&out));
  return out;
}

// ExpectAllOk: each of the results, in call order, is success.
inline void ExpectAllOk(std::initializer_list<ULONG> results) {
  int call = 0;
  for (ULONG result : results) EXPECT_RESULT(kResultOk, result) << "call " << call++;
}

template <class P>
std::string EntryText(const P* p, ULONG index) {
  return ByteText([=](WCHAR* text, ULONG* bytes) { return p->GetEnumString(index, text, bytes, nullptr); });
}

// Only the narrow add keeps empty text; renaming renames the selected entry (index 0 while no value is stored);
// removing every entry keeps the stored index, which then designates nothing.
template <class P>
void ExpectEntryListRules(P* p) {
  EXPECT_RESULT(kResultOk, p->AddEnumString(Wide("").data(), 1));
  EXPECT_EQ(0u, Out<ULONG>(p, &P::GetEnumCount, 9));
  EXPECT_RESULT(kResultOk, p->AddEnumString("", 2));
  EXPECT_RESULT(kResultInvalidArgument, p->AddEnumString(static_cast<const char*>(nullptr), 3));
  EXPECT_RESULT(kResultInvalidArgument, p->GetEnumCount(nullptr));
  EXPECT_EQ(1u, Out<ULONG>(p, &P::GetEnumCount));
  p->AddEnumString("b", 5);

  EXPECT_RESULT(kResultOk, p->ChangeCurSelString(Wide("first").data()));
  EXPECT_EQ("first", EntryText(p, 0));
  EXPECT_EQ(0u, ValueOf(p).size()) << "renaming stores no value";
  EXPECT_RESULT(kResultNullPointer, p->ChangeCurSelString(nullptr));
  p->SetCurSel(1);
  EXPECT_RESULT(kResultOk, p->ChangeCurSelString(Wide("second").data()));
  EXPECT_EQ("second", EntryText(p, 1));

  EXPECT_RESULT(kResultOk, p->RemoveAllEnumStrings());
  EXPECT_EQ(0u, Out<ULONG>(p, &P::GetEnumCount, 9));
  EXPECT_EQ(1u, Out<ULONG>(p, &P::GetCurSel));
  ULONG id = 0x77;
  EXPECT_RESULT(kResultNoSelection, p->GetCurSelId(&id));
  EXPECT_EQ(0x77u, id);
  ULONG bytes = 0x99;
  EXPECT_RESULT(kResultOk, p->GetCurSelString(nullptr, &bytes));
  EXPECT_EQ(0x99u, bytes) << "no entry: no length written";
  EXPECT_RESULT(kResultIndexOutOfRange, p->ChangeCurSelString(Wide("x").data()));
}

// The optional property is answered only once set and held by each holder; the caller's teardown sees `copy`
// give its reference back.
template <class P>
void ExpectHoldsOptionalProperty(P* p, P* copy, CountingOptional& optional) {
  void* out = &out;
  EXPECT_RESULT(kResultNoInterface, p->QueryInterface(IID_IQOptionalProperty, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_RESULT(kResultOk, p->SetOptionalProperty(&optional));
  EXPECT_EQ(1u, optional.count);
  ASSERT_RESULT(kResultOk, p->QueryInterface(IID_IQOptionalProperty, &out));
  EXPECT_EQ(static_cast<void*>(static_cast<IQOptionalProperty*>(&optional)), out);
  EXPECT_EQ(2u, optional.count);
  optional.Release();
  *copy = *p;
  EXPECT_EQ(2u, optional.count);
  EXPECT_RESULT(kResultOk, p->SetOptionalProperty(nullptr));
  EXPECT_EQ(1u, optional.count) << "the copy holds its own reference";
}

}  // namespace testing
}  // namespace Quenneth

#endif  // QENPROPERTIES_TESTING_ENUM_CHECKS_H_
