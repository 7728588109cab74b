// preset_load_fuzzer.cpp: LoadDirectDataFromPreset of every property class on arbitrary text.
//
// The first byte picks the class (and whether a mediator is bound); the rest, read as little-endian UTF-16
// code units, is the preset text, always zero-terminated. Each load is followed by a save, a load of what was
// saved, and a clone, so that any value a load can leave behind is also formatted and copied. The objects are
// released at the end and the services manager must hold no reference then.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "qenproperties/qenproperties.h"

namespace {

using namespace Quenneth;

class CountingHost : public IQServicesManager {
 public:
  virtual ~CountingHost() = default;
  ULONG QueryInterface(const _QGUID&, void** out) override {
    if (out != nullptr) *out = nullptr;
    return kResultNoInterface;
  }
  ULONG AddRef() override { return ++count; }
  ULONG Release() override { return --count; }
  ULONG AcquireService(const char*, ULONG, void**) override { return 0; }
  ULONG ReleaseService(const char*, ULONG, void** service) override {
    if (service != nullptr) *service = nullptr;
    return 0;
  }
  ULONG count = 0;
};

WCHAR kName[] = {'P', 0};

QRef<IQProperty> Make(unsigned which, CountingHost* host, IQPropertyMediator* mediator) {
  IQProperty* made = nullptr;
  switch (which % 11) {
    case 0: made = new CQLongProperty(kName, kName, 1, 1, kDataTypeInt32, 0, 0, 0, 0, host, mediator); break;
    case 1: made = new CQFloatProperty(kName, kName, 1, 2, kDataTypeDouble, 0, 0, -1e9, 1e9, host, mediator); break;
    case 2: made = new CQBoolProperty(kName, kName, 1, 3, 0, 0, host, mediator); break;
    case 3: made = new CQWStringProperty(kName, kName, 1, 4, kName, kName, host, mediator); break;
    case 4: {
      auto* p = new CQEnumProperty(kName, kName, 1, 5, host, mediator, which & 16 ? kDataTypeEnum64 : kDataTypeUInt32);
      p->AddEnumString(kName, 1);
      p->AddEnumString64(kName, -2);
      made = p;
      break;
    }
    case 5: {
      auto* p = new CQEnumLongProperty(kName, kName, 1, 6, host, mediator);
      p->AddEnumLongValue(7);
      p->AddEnumLongValue(9);
      made = p;
      break;
    }
    case 6: {
      static const ULONG kTypes[] = {1, 2, 3, 4, 8, 9, 14, 0};
      auto* p = new CQExEnumProperty(kName, kName, 1, 7, 99, kTypes[(which >> 4) % 8], host, mediator);
      unsigned char sub[8] = {1, 2, 3, 4, 5, 6, 7, 8};
      p->AddEnumStringAndSubData(kName, 1, sub, 8);
      made = p;
      break;
    }
    case 7: {
      auto* p = new CQRatioProperty(kName, kName, 1, 8, host, mediator);
      p->AddEnumString(kName, 1);
      p->SetCustomEnumId(1);
      p->SetCustomRatio(16, 9);
      made = p;
      break;
    }
    case 8: made = new CQGroupProperty(kName, kName, 1, 9, 1, 0, host, mediator); break;
    case 9: made = new CQProperty(host, mediator); break;
    default: made = new CQLongProperty(kName, kName, 1, 10, kDataTypeUInt8, 0, 0, 0, 0, host, mediator); break;
  }
  return QRef<IQProperty>::Adopt(made);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const unsigned which = data[0];
  std::vector<WCHAR> text;
  for (std::size_t i = 1; i + 1 < size; i += 2) text.push_back(static_cast<WCHAR>(data[i] | (data[i + 1] << 8)));
  text.push_back(0);

  CountingHost host;
  {
    auto mediator = QRef<CQPropertyMediator>::Adopt(new CQPropertyMediator(&host));
    auto property = Make(which, &host, nullptr);
    QRef<IQPropertySerializer> serializer;
    property->QueryInterface(IID_IQPropertySerializer, serializer.PutVoid());
    if (which & 32) {
      mediator->RegisterProperty(property.get());
      property->SetProperyMediator(mediator.get());
    }
    // The size word as a host sets it from a saved preset, or a small one taken from the input.
    ULONG dataSize = 0;
    serializer->GetDataSize(&dataSize);
    serializer->SetDataSize((which >> 6) == 3 ? (which & 15) : dataSize);

    serializer->LoadDirectDataFromPreset(text.data(), static_cast<ULONG>(text.size()));

    ULONG length = 0;
    if (serializer->GetPropertyDataToSave(nullptr, &length) == kResultOk) {
      std::vector<WCHAR> saved(static_cast<std::size_t>(length) + 1, 0);
      ULONG written = length;
      if (serializer->GetPropertyDataToSave(saved.data(), &written) == kResultOk) {
        serializer->LoadDirectDataFromPreset(saved.data(), written);
      }
    }
    QRef<IQProperty> clone;
    if (property->CloneProperty(clone.Put()) != kResultOk || !clone) std::abort();
    if (which & 32) mediator->UnRegisterProperty(property.get());
  }
  if (host.count != 0) std::abort();  // every reference on the host came back
  return 0;
}
