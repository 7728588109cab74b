// A small settings panel: a width, a height kept at 16:9 while "Keep aspect" is on, and a host veto.
//
// Shows the road of a change: the dependency callback previews a width change and records the height it would
// set in the iterator, the host's notify callback sees the whole change and may refuse it, and the apply step
// sets the height. Refused changes leave every value as it was.
#include <cstdio>
#include <string>
#include <vector>

#include <qenproperties/qenproperties.h>

using namespace Quenneth;

namespace {

constexpr ULONG kWidthId = 1;
constexpr ULONG kHeightId = 2;
constexpr ULONG kAspectId = 3;

struct Panel {
  QRef<CQLongProperty> width;
  QRef<CQLongProperty> height;
  QRef<CQBoolProperty> keepAspect;
};

// The notify callback gets the changed base property itself, so values are read from the raw bytes (a 32-bit
// little-endian integer) rather than through a typed interface.
ULONG ValueOf(IQProperty* property) {
  unsigned char bytes[4] = {};
  ULONG length = 0;
  property->GetPropertyData(nullptr, &length);
  if (length != sizeof(bytes)) return 0;
  property->GetPropertyData(bytes, &length);
  return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<ULONG>(bytes[3]) << 24);
}

// Width changed: while the aspect is kept, the height follows.
ULONG OnWidth(IQProperty* /*previous*/, IQProperty* current, CModifiedPropIterator* iterator, void* user,
              enumPropChangeStatus status) {
  auto* panel = static_cast<Panel*>(user);
  unsigned char keep = 0;
  panel->keepAspect->GetCurValue(&keep);
  if (keep == 0) return kResultOk;
  const ULONG height = ValueOf(current) * 9 / 16;
  if (status == ePropChangePreview) {
    // Record the consequence for the host: a snapshot of the height as it would become.
    QRef<IQProperty> proposed;
    panel->height->CloneProperty(proposed.Put());
    static_cast<CQLongProperty*>(proposed.get())->SetDirectCurValue(height);
    iterator->AddToList(panel->height.get(), proposed.get(), 0);
  } else if (status == ePropChangeApply) {
    return panel->height->SetDirectCurValue(height);
  }
  return kResultOk;
}

// The host's veto: no frame over 2160 lines.
unsigned char HostAllows(IQProperty* /*previous*/, IQProperty* current, CModifiedPropIterator* iterator, void* /*user*/,
                         ULONG stage) {
  if (stage != 0) return 1;
  IQProperty* first = nullptr;
  IQProperty* second = nullptr;
  ULONG status = 0;
  bool allowed = true;
  for (ULONG rc = iterator->GetFirstModifiedProperty(&first, &second, &status); rc == kResultOk;
       rc = iterator->GetNextModifiedProperty(&first, &second, &status)) {
    if (ValueOf(second) > 2160) allowed = false;
    first->Release();
    second->Release();
  }
  std::printf("  host sees width %u: %s\n", static_cast<unsigned>(ValueOf(current)), allowed ? "allow" : "refuse");
  return allowed ? 1 : 0;
}

std::string Preset(IQProperty* property) {
  QRef<IQPropertySerializer> serializer;
  if (property->QueryInterface(IID_IQPropertySerializer, serializer.PutVoid()) != kResultOk) return "";
  ULONG length = 0;
  serializer->GetPropertyDataToSave(nullptr, &length);
  std::vector<WCHAR> text(length + 1);
  serializer->GetPropertyDataToSave(text.data(), &length);
  return std::string(text.begin(), text.begin() + length);
}

}  // namespace

int main() {
  auto mediator = QRef<CQPropertyMediator>::Adopt(new CQPropertyMediator(nullptr));
  Panel panel;
  panel.width = QRef<CQLongProperty>::Adopt(new CQLongProperty("Width", "Frame width", 1, kWidthId, kDataTypeUInt32,
                                                               1920, 1920, 16, 8192, nullptr, mediator.get()));
  panel.height = QRef<CQLongProperty>::Adopt(new CQLongProperty("Height", "Frame height", 1, kHeightId, kDataTypeUInt32,
                                                                1080, 1080, 9, 8192, nullptr, mediator.get()));
  panel.keepAspect = QRef<CQBoolProperty>::Adopt(
      new CQBoolProperty("Keep aspect", "Keep 16:9", 1, kAspectId, 1, 1, nullptr, mediator.get()));
  // The named constructors offered their first values to a mediator that did not know them yet.
  panel.width->Reset();
  panel.height->Reset();
  panel.keepAspect->Reset();

  auto vault = QRef<CQPropertyVault>::Adopt(new CQPropertyVault(nullptr));
  for (IQProperty* p : {static_cast<IQProperty*>(panel.width.get()), static_cast<IQProperty*>(panel.height.get()),
                        static_cast<IQProperty*>(panel.keepAspect.get())}) {
    vault->AddProperty(p);
    mediator->RegisterProperty(p);
  }
  ULONG handle = 0;
  mediator->RegisterDependency(kWidthId, &OnWidth, &panel, &handle);
  mediator->RegisterDependencyNotifyCallback(&HostAllows, nullptr);

  std::printf("set width 1280 -> %s\n", ResultName(panel.width->SetCurValue(1280)));
  std::printf("  width %s, height %s\n", Preset(panel.width.get()).c_str(), Preset(panel.height.get()).c_str());
  std::printf("set width 7680 -> %s\n", ResultName(panel.width->SetCurValue(7680)));
  std::printf("  width %s, height %s\n", Preset(panel.width.get()).c_str(), Preset(panel.height.get()).c_str());

  ULONG count = 0;
  vault->GetPropertyInfoCount(&count);
  for (ULONG i = 0; i < count; ++i) {
    IQProperty* p = (*vault)[i];
    ULONG length = 0;
    p->GetPropertyName(nullptr, &length);
    std::vector<WCHAR> name(length + 1);
    p->GetPropertyName(name.data(), &length);
    std::printf("preset %-12s = %s\n", std::string(name.begin(), name.begin() + length).c_str(), Preset(p).c_str());
    mediator->UnRegisterProperty(p);
  }
  const bool ok = ValueOf(panel.width.get()) == 1280 && ValueOf(panel.height.get()) == 720;
  return ok ? 0 : 1;
}
