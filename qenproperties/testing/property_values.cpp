#include "qenproperties/testing/property_values.h"

#include <cstddef>

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/property/property_advanced_interface.h"

namespace Quenneth {
namespace testing {
namespace {

template <class Read>
std::vector<unsigned char> Bytes(Read read) {
  ULONG length = 0;
  read(nullptr, &length);
  std::vector<unsigned char> bytes(length);
  if (length != 0) read(bytes.data(), &length);
  return bytes;
}

}  // namespace

std::vector<WCHAR> Wide(const std::string& text) {
  std::vector<WCHAR> wide(text.begin(), text.end());
  wide.push_back(0);
  return wide;
}

std::vector<unsigned char> ValueOf(IQProperty* property) {
  return Bytes([property](void* buffer, ULONG* length) { return property->GetPropertyData(buffer, length); });
}

std::vector<unsigned char> DefaultOf(IQProperty* property) {
  return Bytes([property](void* buffer, ULONG* length) { return property->GetPropertyDefaultData(buffer, length); });
}

ULONG LongOf(IQProperty* property) {
  const std::vector<unsigned char> bytes = ValueOf(property);
  ULONG value = 0;
  for (std::size_t i = 0; i < 4 && i < bytes.size(); ++i) value |= static_cast<ULONG>(bytes[i]) << (8 * i);
  return value;
}

ULONG FlagsOf(IQProperty* property) {
  ULONG flags = 0xDEADBEEF;
  property->GetPropertyFlags(&flags);
  return flags;
}

ULONG AttributeOf(IQProperty* property) {
  QRef<IQPropertyAdvanced> advanced;
  ULONG attribute = 0xFFFFFFFF;
  if (property->QueryInterface(IID_IQPropertyAdvanced, advanced.PutVoid()) == kResultOk) {
    advanced->GetAttribute(&attribute);
  }
  return attribute;
}

QDataType TypeOf(IQProperty* property) {
  QDataType type = static_cast<QDataType>(0xFF);
  property->GetPropertyDataType(&type);
  return type;
}

_QGUID ObjectIdOf(IQProperty* property) {
  _QGUID id{};
  property->GetObjectId(&id);
  return id;
}

std::string PresetOf(IQPropertySerializer* serializer, ULONG* length) {
  ULONG units = 0;
  if (serializer->GetPropertyDataToSave(nullptr, &units) != kResultOk) return "<error>";
  if (length != nullptr) *length = units;
  std::vector<WCHAR> text(units + 1, 0xAAAA);
  serializer->GetPropertyDataToSave(text.data(), &units);
  if (text[units] != 0) return "<no terminator>";
  return std::string(text.begin(), text.begin() + units);
}

std::vector<WCHAR> PresetTextOf(IQPropertySerializer* serializer) {
  ULONG length = 0;
  EXPECT_EQ(kResultOk, serializer->GetPropertyDataToSave(nullptr, &length));
  std::vector<WCHAR> text(length + 1, 0);
  serializer->GetPropertyDataToSave(text.data(), &length);
  return text;
}

}  // namespace testing
}  // namespace Quenneth
