// mixed_vault.h: the vault of mixed properties that the preset benchmarks save and load.
//
// Six classes in turn: long (unsigned and signed), float (double, two digits), bool, wide string, group and enum
// (four entries). Every element has a distinct name and property ID, a value set, and (for the long property)
// the size word a preset load needs.
#ifndef QENPROPERTIES_BENCH_MIXED_VAULT_H_
#define QENPROPERTIES_BENCH_MIXED_VAULT_H_

#include <qenproperties/qenproperties.h>

#include <cstdio>
#include <vector>

#include "widen.h"

namespace qenbench {

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
    switch (i % 6) {
      case 0: {
        const QDataType type = (i / 6) % 2 == 0 ? kDataTypeUInt32 : kDataTypeInt32;
        auto p = QRef<CQLongProperty>::Adopt(
            new CQLongProperty(name, "A long setting", 1, id, type, 0, i * 7919u - 40000u, 0, 0, nullptr, nullptr));
        p->SetDataSize(4);
        property = p;
        break;
      }
      case 1:
        property = QRef<CQFloatProperty>::Adopt(new CQFloatProperty(
            name, "A float setting", 1, id, kDataTypeDouble, 0.0, i * 0.37 - 100.0, -1e6, 1e6, nullptr, nullptr));
        break;
      case 2:
        property = QRef<CQBoolProperty>::Adopt(new CQBoolProperty(
            name, "A bool setting", 1, id, 0, static_cast<unsigned char>(i % 4 == 0), nullptr, nullptr));
        break;
      case 3: {
        char text[32];
        std::snprintf(text, sizeof text, "Text value %u", static_cast<unsigned>(i));
        const QWString wide = qenbench::Widen(text);
        const QWString empty;
        property = QRef<CQWStringProperty>::Adopt(
            new CQWStringProperty(name, "A text setting", 1, id, empty.c_str(), wide.c_str(), nullptr, nullptr));
        break;
      }
      case 4:
        property =
            QRef<CQGroupProperty>::Adopt(new CQGroupProperty(name, "A group", 1, id, i, i * 3u, nullptr, nullptr));
        break;
      default: {
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

}  // namespace qenbench

#endif  // QENPROPERTIES_BENCH_MIXED_VAULT_H_
