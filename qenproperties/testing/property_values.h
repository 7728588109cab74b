// property_values.h: reads values, texts, identities and reference counts out of library objects through their
// public interfaces, and builds the wide text the setters take. Every reader asks for the length first, then
// reads into a buffer of exactly that size, so the sanitizers catch a getter that writes past what it reported.
//
//   EXPECT_EQ((std::vector<unsigned char>{7, 0, 0, 0}), ValueOf(property.get()));
//   EXPECT_EQ("TRUE", PresetOf(property.get()));
#ifndef QENPROPERTIES_TESTING_PROPERTY_VALUES_H_
#define QENPROPERTIES_TESTING_PROPERTY_VALUES_H_

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qenproperties/frame/qref.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/frame/types.h"
#include "qenproperties/property/property_interface.h"
#include "qenproperties/property/property_serializer.h"

namespace Quenneth {
namespace testing {

// Wide: ASCII text as zero-terminated UTF-16, one code unit per byte.
std::vector<WCHAR> Wide(const std::string& text);

// ValueOf / DefaultOf: the value or default bytes (empty while none are held).
std::vector<unsigned char> ValueOf(IQProperty* property);
std::vector<unsigned char> DefaultOf(IQProperty* property);
// LongOf: the first four value bytes as a little-endian number; bytes the value does not have read as zero.
ULONG LongOf(IQProperty* property);

// FlagsOf / TypeOf / ObjectIdOf: the attribute as the getter writes it (0xDEADBEEF / 0xFF / zeros if it writes
// nothing).
ULONG FlagsOf(IQProperty* property);
QDataType TypeOf(IQProperty* property);
_QGUID ObjectIdOf(IQProperty* property);
// AttributeOf: the attribute word of the property's advanced attribute object (0xFFFFFFFF when it has none).
ULONG AttributeOf(IQProperty* property);

// PresetOf: the preset text as ASCII. "<error>" when the length query is refused, "<no terminator>" when the
// unit after the reported length is not 0. `length`, when given, receives the reported length.
std::string PresetOf(IQPropertySerializer* serializer, ULONG* length = nullptr);
// PresetTextOf: the preset text with its terminator, as a loader takes it back.
std::vector<WCHAR> PresetTextOf(IQPropertySerializer* serializer);

// ReadText: a text read by the code-unit length protocol, get(nullptr, &length) then get(buffer, &length).
// "<error>" when either call is refused, "<unterminated>" when the text has no terminator after `length`.
template <class Getter>
std::string ReadText(Getter get) {
  ULONG length = 0;
  if (get(nullptr, &length) != kResultOk) return "<error>";
  std::vector<WCHAR> buffer(length + 1, 0xFFFF);
  if (length != 0 && get(buffer.data(), &length) != kResultOk) return "<error>";
  if (length != 0 && buffer[length] != 0) return "<unterminated>";
  return std::string(buffer.begin(), buffer.begin() + length);
}

// ByteText: a text read by the byte length protocol (two bytes per unit, terminator not counted). "<none>" when
// the length query is refused or writes no length.
template <class Getter>
std::string ByteText(Getter get) {
  ULONG bytes = 0xFFFF;
  if (get(nullptr, &bytes) != kResultOk || bytes == 0xFFFF) return "<none>";
  std::vector<WCHAR> text(bytes / 2 + 1);
  get(text.data(), &bytes);
  return std::string(text.begin(), text.begin() + bytes / 2);
}

// Out: what a getter of one pointer argument writes, `(object->*getter)(&out)`; `unset` when it writes nothing.
//
//   EXPECT_EQ(3u, Out<ULONG>(p.get(), &CQRatioProperty::GetEnumCount));
template <class T, class Object, class Getter>
T Out(Object* object, Getter getter, T unset = T{}) {
  T out = unset;
  (object->*getter)(&out);
  return out;
}

// RefCount: the references held on an object, read by a balanced AddRef and Release.
template <class T>
ULONG RefCount(T* object) {
  object->AddRef();
  return object->Release();
}

// CloneAs: a clone of `property` asked for interface `iid`; empty (with a failure recorded) if either step fails.
template <class I>
QRef<I> CloneAs(IQProperty* property, const _QGUID& iid) {
  QRef<IQProperty> clone;
  QRef<I> typed;
  EXPECT_EQ(kResultOk, property->CloneProperty(clone.Put()));
  if (clone) {
    EXPECT_EQ(kResultOk, clone->QueryInterface(iid, typed.PutVoid()));
  }
  return typed;
}

}  // namespace testing
}  // namespace Quenneth

#endif  // QENPROPERTIES_TESTING_PROPERTY_VALUES_H_
