// The core library from the installed package: one exported operation of every public area, and the
// package's header set (no foundation or test header is installed; tests/find_package_test.cmake checks).
#include <qenproperties/qenproperties.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace Quenneth;

namespace {

// The dependency callback of the mediator area: it records a second property as changed with the first.
IQProperty* g_follower = nullptr;
int g_applied = 0;
ULONG Follow(IQProperty*, IQProperty*, CModifiedPropIterator* iterator, void*, enumPropChangeStatus status) {
  if (status == ePropChangePreview && iterator != nullptr) iterator->AddToList(g_follower, nullptr, 7);
  if (status == ePropChangeApply) ++g_applied;
  return kResultOk;
}

bool Check(bool ok, const char* what) {
  if (!ok) std::printf("consumer failed: %s\n", what);
  return ok;
}

bool UseEveryArea() {
  bool ok = true;
  // frame: identifiers and result names.
  ok &= Check(std::string(ResultName(kResultOutOfRange)) == "kResultOutOfRange", "ResultName");

  // property: the base property on its own.
  auto base = QRef<CQProperty>::Adopt(new CQProperty());
  const unsigned char bytes[] = {1, 2};
  ok &= Check(base->SetPropertyData(bytes, 2) == kResultOk, "CQProperty::SetPropertyData");
  QRef<IQPropertyAdvanced> advanced;
  base->QueryInterface(IID_IQPropertyAdvanced, advanced.PutVoid());
  ok &= Check(advanced && advanced->SetAttribute(3) == kResultOk, "the advanced attribute object");

  // scalar: range and preset text.
  auto volume = QRef<CQLongProperty>::Adopt(
      new CQLongProperty("Volume", "Output volume", 1, 100, kDataTypeUInt32, 50, 50, 1, 100, nullptr, nullptr));
  ok &= Check(volume->SetCurValue(75) == kResultOk, "SetCurValue");
  ok &= Check(volume->SetCurValue(101) == kResultOutOfRange, "the range");
  ULONG length = 0;
  volume->GetPropertyDataToSave(nullptr, &length);
  std::vector<WCHAR> text(length + 1);
  volume->GetPropertyDataToSave(text.data(), &length);
  ok &= Check(length == 2 && text[0] == '7' && text[1] == '5', "the preset text");

  // enum and group: a selection and a group state.
  auto mode = QRef<CQEnumProperty>::Adopt(new CQEnumProperty("Mode", "", 1, 101, nullptr, nullptr, kDataTypeUInt32));
  mode->AddEnumString("Photo", 10);
  mode->AddEnumString("Video", 20);
  auto group = QRef<CQGroupProperty>::Adopt(new CQGroupProperty("Group", "", 1, 102, 0, 1, nullptr, nullptr));
  ok &= Check(group->SetGroupState(2) == kResultOk, "SetGroupState");

  // vault and mediator: a registered change that a dependency callback sees.
  auto vault = QRef<CQPropertyVault>::Adopt(new CQPropertyVault(nullptr));
  ok &= Check(vault->AddProperty(mode.get()) == kResultOk, "AddProperty");
  auto mediator = QRef<CQPropertyMediator>::Adopt(new CQPropertyMediator(nullptr));
  mode->SetProperyMediator(mediator.get());
  mediator->RegisterProperty(mode.get());
  ULONG handle = 0;
  g_follower = group.get();
  mediator->RegisterDependency(101, &Follow, nullptr, &handle);
  ok &= Check(mode->SetCurSel(1) == kResultOk, "a change through the mediator");
  ULONG id = 0;
  mode->GetCurSelId(&id);
  ok &= Check(id == 20 && g_applied == 1, "the selection and its dependency callback");
  mediator->UnRegisterDependency(handle);
  mediator->UnRegisterProperty(mode.get());
  return ok;
}

}  // namespace

int main() {
  // frame: start-up and shut-down around the objects' lives.
  if (!Check(InitializeQENProperties(nullptr) == kResultOk, "InitializeQENProperties")) return 1;
  const bool ok = UseEveryArea();
  TerminateQENProperties(nullptr);
  if (!ok) return 1;
  std::printf("consumer ok: %s\n", ResultName(kResultOk));
  return 0;
}
