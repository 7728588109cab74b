// mixed_vault.h: the vault of mixed properties that the preset benchmarks save and load.
//
// Six classes in turn: long (unsigned and signed), float (double, two digits), bool, wide string, group and enum
// (four entries). Every element has a distinct name and property ID, a value set, and (for the long property)
// the size word a preset load needs.
#ifndef QENPROPERTIES_BENCH_MIXED_VAULT_H_
#define QENPROPERTIES_BENCH_MIXED_VAULT_H_

#include <qenproperties/qenproperties.h>

#include <cstddef>
#include <cstdio>
#include <vector>

#include "widen.h"

namespace qenbench {

// MixedClass: the class of the element at a position; the classes take turns in this order.
enum class MixedClass { kLong, kFloat, kBool, kWString, kGroup, kEnum };
constexpr int kMixedClasses = 6;

inline MixedClass ClassOf(std::size_t position) { return static_cast<MixedClass>(position % kMixedClasses); }

struct MixedVault {
  Quenneth::QRef<Quenneth::CQPropertyVault> vault;
  // The serializer part of every element, in vault order, as a host holds them while it writes a preset.
  std::vector<Quenneth::QRef<Quenneth::IQPropertySerializer>> serializers;
  // A preset load appends an entry to an enum property; the benchmarks empty these lists between passes so
  // every pass loads into the same state.
  std::vector<Quenneth::CQEnumProperty*> enums;

  void ClearEnumLists() const {
    for (Quenneth::CQEnumProperty* property : enums) property->RemoveAllEnumStrings();
  }
};

inline MixedVault MakeMixedVault(Quenneth::ULONG count) {
  using namespace Quenneth;
  MixedVault mixed;
  mixed.vault = QRef<CQPropertyVault>::Adopt(new CQPropertyVault(nullptr));
  for (ULONG i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "Setting %05u", static_cast<unsigned>(i));
    const ULONG id = 1000 + i;
    QRef<IQProperty> property;
    switch (ClassOf(i)) {
      case MixedClass::kLong: {
        const QDataType type = (i / 6) % 2 == 0 ? kDataTypeUInt32 : kDataTypeInt32;
        auto p = QRef<CQLongProperty>::Adopt(
            new CQLongProperty(name, "A long setting", 1, id, type, 0, i * 7919u - 40000u, 0, 0, nullptr, nullptr));
        p->SetDataSize(4);
        property = p;
        break;
      }
      case MixedClass::kFloat:
        property = QRef<CQFloatProperty>::Adopt(new CQFloatProperty(
            name, "A float setting", 1, id, kDataTypeDouble, 0.0, i * 0.37 - 100.0, -1e6, 1e6, nullptr, nullptr));
        break;
      case MixedClass::kBool:
        property = QRef<CQBoolProperty>::Adopt(new CQBoolProperty(
            name, "A bool setting", 1, id, 0, static_cast<unsigned char>(i % 4 == 0), nullptr, nullptr));
        break;
      case MixedClass::kWString: {
        char text[32];
        std::snprintf(text, sizeof text, "Text value %u", static_cast<unsigned>(i));
        const QWString wide = qenbench::Widen(text);
        const QWString empty;
        property = QRef<CQWStringProperty>::Adopt(
            new CQWStringProperty(name, "A text setting", 1, id, empty.c_str(), wide.c_str(), nullptr, nullptr));
        break;
      }
      case MixedClass::kGroup:
        property =
            QRef<CQGroupProperty>::Adopt(new CQGroupProperty(name, "A group", 1, id, i, i * 3u, nullptr, nullptr));
        break;
      case MixedClass::kEnum: {
        auto p = QRef<CQEnumProperty>::Adopt(
            new CQEnumProperty(name, "An enum setting", 1, id, nullptr, nullptr, kDataTypeUInt32));
        for (ULONG e = 0; e < 4; ++e) p->AddEnumString("Choice", 100 * i + e);
        p->SetDirectCurSel(i % 4);
        mixed.enums.push_back(p.get());
        property = p;
        break;
      }
    }
    mixed.vault->AddProperty(property.get());
    QRef<IQPropertySerializer> serializer;
    property->QueryInterface(IID_IQPropertySerializer, serializer.PutVoid());
    mixed.serializers.push_back(std::move(serializer));
  }
  return mixed;
}

// SaveAll writes every element's preset text (asking for the length first, then writing into `buffer`, which
// the caller reuses, so only the library's own allocations count); the texts are kept when `texts` is given.
// Gives the number of elements that did not save.
inline Quenneth::ULONG SaveAll(const MixedVault& mixed, std::vector<Quenneth::WCHAR>& buffer,
                               std::vector<Quenneth::QWString>* texts) {
  using namespace Quenneth;
  ULONG failures = 0;
  for (const QRef<IQPropertySerializer>& serializer : mixed.serializers) {
    ULONG length = 0;
    if (serializer->GetPropertyDataToSave(nullptr, &length) != kResultOk) ++failures;
    if (buffer.size() < static_cast<std::size_t>(length) + 1) buffer.resize(static_cast<std::size_t>(length) + 1);
    buffer[0] = 0;
    if (serializer->GetPropertyDataToSave(buffer.data(), &length) != kResultOk) ++failures;
    // The wide-string property reports bytes rather than code units, so the text is taken up to its terminator.
    if (texts != nullptr) texts->emplace_back(buffer.data());
  }
  return failures;
}

}  // namespace qenbench

#endif  // QENPROPERTIES_BENCH_MIXED_VAULT_H_
