// windows_dll_load_test.cpp: a host that has only the public header and qenproperties.dll. It links no import
// library: it loads the DLL at run time, finds the start-up and termination functions, a constructor and the
// interface identifiers by their exported names, and drives a property through its interfaces alone.
//
// Exported names are in this toolchain's C++ ABI; each is checked against the declaration it stands for, so a
// changed signature shows up as a clear failure here.
#include <windows.h>

#include <gtest/gtest.h>

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "qenproperties/qenproperties.h"

namespace Quenneth {
namespace {

struct Export {
  const char* name;         // as the DLL's export table spells it
  const char* declaration;  // what it demangles to
};

constexpr Export kInitialize = {"_ZN8Quenneth23InitializeQENPropertiesEPNS_17IQServicesManagerE",
                                "Quenneth::InitializeQENProperties(Quenneth::IQServicesManager*)"};
constexpr Export kTerminate = {"_ZN8Quenneth22TerminateQENPropertiesEPNS_17IQServicesManagerE",
                               "Quenneth::TerminateQENProperties(Quenneth::IQServicesManager*)"};
// The complete-object constructor of the narrow named form.
constexpr Export kLongConstructor = {
    "_ZN8Quenneth14CQLongPropertyC1EPKcS2_jjNS_9QDataTypeEjjjjPNS_17IQServicesManagerEPNS_18IQPropertyMediatorE",
    "Quenneth::CQLongProperty::CQLongProperty(char const*, char const*, unsigned int, unsigned int, "
    "Quenneth::QDataType, unsigned int, unsigned int, unsigned int, unsigned int, Quenneth::IQServicesManager*, "
    "Quenneth::IQPropertyMediator*)"};
constexpr Export kIidLong = {"_ZN8Quenneth18IID_IQLongPropertyE", "Quenneth::IID_IQLongProperty"};
constexpr Export kIidBool = {"_ZN8Quenneth18IID_IQBoolPropertyE", "Quenneth::IID_IQBoolProperty"};
constexpr Export kIidSerializer = {"_ZN8Quenneth24IID_IQPropertySerializerE", "Quenneth::IID_IQPropertySerializer"};

using Initialize = decltype(&InitializeQENProperties);
using Terminate = decltype(&TerminateQENProperties);
// An Itanium-ABI constructor is a plain function whose first argument is the object's storage.
using LongConstructor = void (*)(CQLongProperty* self, const char* name, const char* description, ULONG groupId,
                                 ULONG propertyId, QDataType type, ULONG defaultValue, ULONG currentValue,
                                 ULONG minimum, ULONG maximum, IQServicesManager* servicesManager,
                                 IQPropertyMediator* mediator);

std::string Demangled(const char* name) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> text(abi::__cxa_demangle(name, nullptr, nullptr, &status), &std::free);
  return status == 0 ? std::string(text.get()) : std::string("(not a C++ name)");
}

// The folder of this program, where the build puts the DLLs beside it.
std::wstring ProgramFolder() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      std::wstring folder(path.data(), length);
      return folder.substr(0, folder.find_last_of(L"\\/") + 1);
    }
    path.resize(path.size() * 2);
  }
}

// Host: the host's services manager, counting its references and the memory-service calls.
class Host final : public IQServicesManager {
 public:
  ULONG QueryInterface(const _QGUID&, void** out) override {
    *out = nullptr;
    return kResultNoInterface;
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }
  ULONG AcquireService(const char* name, ULONG reserved, void** service) override {
    ++acquired;
    lastName = name;
    EXPECT_EQ(reserved, 0u);
    *service = &memoryService;
    return acquireResult;
  }
  ULONG ReleaseService(const char* name, ULONG, void** service) override {
    ++released;
    lastName = name;
    *service = nullptr;
    return kResultOk;
  }

  ULONG references = 1;
  int acquired = 0;
  int released = 0;
  ULONG acquireResult = kResultOk;
  std::string lastName;
  int memoryService = 0;
};

class RuntimeLoadedLibrary : public ::testing::Test {
 protected:
  void SetUp() override { Load(ProgramFolder() + L"qenproperties.dll"); }
  void TearDown() override {
    if (module_ != nullptr) {
      EXPECT_TRUE(FreeLibrary(module_));
    }
  }

  // Load loads the DLL and finds its start-up and termination functions.
  void Load(const std::wstring& path) {
    module_ = LoadLibraryW(path.c_str());
    ASSERT_NE(module_, nullptr) << "LoadLibraryW failed with error " << GetLastError();
    initialize_ = Find<Initialize>(kInitialize);
    terminate_ = Find<Terminate>(kTerminate);
    ASSERT_NE(initialize_, nullptr);
    ASSERT_NE(terminate_, nullptr);
  }

  // Find resolves an export after checking that its name stands for the declaration the test means.
  template <class T>
  T Find(const Export& e) {
    EXPECT_EQ(Demangled(e.name), e.declaration);
    FARPROC proc = GetProcAddress(module_, e.name);
    EXPECT_NE(proc, nullptr) << e.declaration << " is not exported";
    // Through the generic function pointer type, which the compiler accepts for any function.
    return reinterpret_cast<T>(reinterpret_cast<void (*)()>(proc));
  }
  const _QGUID& Iid(const Export& e) { return *Find<const _QGUID*>(e); }

  // NewLongProperty builds a CQLongProperty through the exported constructor, in storage from the C runtime
  // heap that the DLL's delete gives back to (both sides use the system's C runtime).
  IQLongProperty* NewLongProperty(Host& host, const char* name, ULONG value, ULONG minimum, ULONG maximum) {
    auto construct = Find<LongConstructor>(kLongConstructor);
    if (construct == nullptr) return nullptr;
    auto* storage = static_cast<CQLongProperty*>(::operator new(sizeof(CQLongProperty)));
    construct(storage, name, "loaded at run time", 7, 42, kDataTypeUInt32, minimum, value, minimum, maximum, &host,
              nullptr);
    return storage;
  }

  HMODULE module_ = nullptr;
  Initialize initialize_ = nullptr;
  Terminate terminate_ = nullptr;
};

TEST_F(RuntimeLoadedLibrary, ExportsOnlyWhatTheHeaderMarksForExport) {
  for (const Export& e : {kInitialize, kTerminate, kLongConstructor, kIidLong, kIidBool, kIidSerializer}) {
    SCOPED_TRACE(e.declaration);
    EXPECT_NE(Find<void (*)()>(e), nullptr);
  }
  // Foundation helpers and internals have no export marker: hidden from hosts on Windows as elsewhere.
  EXPECT_EQ(GetProcAddress(module_, "_ZN8Quenneth5CPort13StaticRamPortEPvj"), nullptr);
  EXPECT_EQ(Demangled("_ZN8Quenneth5CPort13StaticRamPortEPvj"), "Quenneth::CPort::StaticRamPort(void*, unsigned int)");
  EXPECT_EQ(GetProcAddress(module_, "InitializeQENProperties"), nullptr) << "C++ names are exported mangled";
}

TEST_F(RuntimeLoadedLibrary, StartUpAndShutDownGoThroughTheHostsServicesManager) {
  Host host;
  host.acquireResult = 0x1234;
  EXPECT_EQ(initialize_(&host), 0x1234u) << "the host's result passes through unchanged";
  EXPECT_EQ(host.acquired, 1);
  EXPECT_EQ(host.lastName, "Quen Memory Service");
  EXPECT_EQ(initialize_(&host), kResultOk) << "the service is held: a second start-up changes nothing";
  EXPECT_EQ(host.acquired, 1);
  terminate_(&host);
  EXPECT_EQ(host.released, 1);
  EXPECT_EQ(initialize_(nullptr), kResultOk);
  EXPECT_EQ(host.references, 1u);
}

TEST_F(RuntimeLoadedLibrary, APropertyRunsThroughItsInterfaces) {
  Host host;
  ASSERT_EQ(initialize_(&host), kResultOk);
  {
    // UTF-8 in, UTF-16 out across the DLL boundary.
    IQLongProperty* raw = NewLongProperty(host, "Lautst\xC3\xA4rke", 50, 1, 100);
    ASSERT_NE(raw, nullptr);
    auto volume = QRef<IQLongProperty>::Adopt(raw);
    const ULONG heldByOne = host.references - 1;
    EXPECT_GT(heldByOne, 0u) << "the property holds references on the services manager";

    WCHAR name[16] = {};
    ULONG length = 16;
    ASSERT_EQ(volume->GetPropertyName(name, &length), kResultOk);
    const WCHAR expected[] = {'L', 'a', 'u', 't', 's', 't', 0xE4, 'r', 'k', 'e', 0};
    EXPECT_EQ(length, 10u);
    EXPECT_EQ(std::basic_string<WCHAR>(name), std::basic_string<WCHAR>(expected));

    EXPECT_EQ(volume->SetCurValue(75), kResultOk);
    EXPECT_EQ(volume->SetCurValue(101), kResultOutOfRange);
    ULONG value = 0;
    EXPECT_EQ(volume->GetCurValue(&value), kResultOk);
    EXPECT_EQ(value, 75u);

    // Identifiers come from the DLL's data exports.
    QRef<IQLongProperty> again;
    ASSERT_EQ(volume->QueryInterface(Iid(kIidLong), reinterpret_cast<void**>(again.Put())), kResultOk);
    EXPECT_EQ(again.get(), volume.get());
    void* other = &value;
    EXPECT_EQ(volume->QueryInterface(Iid(kIidBool), &other), kResultNoInterface);
    EXPECT_EQ(other, nullptr);

    // The serializer part: preset text and value size out, as a preset writer keeps them, then a text in.
    QRef<IQPropertySerializer> serializer;
    ASSERT_EQ(volume->QueryInterface(Iid(kIidSerializer), reinterpret_cast<void**>(serializer.Put())), kResultOk);
    WCHAR text[16] = {};
    length = 16;
    ASSERT_EQ(serializer->GetPropertyDataToSave(text, &length), kResultOk);
    EXPECT_EQ(std::basic_string<WCHAR>(text, length), (std::basic_string<WCHAR>{'7', '5'}));
    ULONG size = 0;
    ASSERT_EQ(serializer->GetDataSize(&size), kResultOk);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(serializer->SetDataSize(size), kResultOk);
    WCHAR loaded[] = {'4', '2', 0};
    EXPECT_EQ(serializer->LoadDirectDataFromPreset(loaded, 3), kResultOk);
    EXPECT_EQ(volume->GetCurValue(&value), kResultOk);
    EXPECT_EQ(value, 42u);

    // A clone made inside the DLL is handed over with one reference, and released by the host like any other.
    QRef<IQProperty> clone;
    ASSERT_EQ(volume->CloneProperty(clone.Put()), kResultOk);
    EXPECT_EQ(clone->AddRef(), 2u);
    EXPECT_EQ(clone->Release(), 1u);
    QRef<IQLongProperty> typedClone;
    ASSERT_EQ(clone->QueryInterface(Iid(kIidLong), reinterpret_cast<void**>(typedClone.Put())), kResultOk);
    EXPECT_EQ(typedClone->GetCurValue(&value), kResultOk);
    EXPECT_EQ(value, 42u);
    EXPECT_EQ(host.references, 1 + 2 * heldByOne) << "the clone holds as many references as its source";
  }
  terminate_(&host);
  EXPECT_EQ(host.references, 1u) << "every reference on the services manager came back";
}

// The DLL is a self-contained file: a copy in a folder whose name needs UTF-16 loads and runs as well.
TEST_F(RuntimeLoadedLibrary, ACopyInAFolderWithANonAsciiNameLoadsAndRuns) {
  const std::wstring folder = ProgramFolder() + L"dll-\u00C4\u00DF\u65E5\u672C";
  const std::wstring copy = folder + L"\\qenproperties.dll";
  CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW((ProgramFolder() + L"qenproperties.dll").c_str(), copy.c_str(), FALSE));
  ASSERT_TRUE(FreeLibrary(module_));
  module_ = nullptr;
  ASSERT_NO_FATAL_FAILURE(Load(copy));

  std::vector<wchar_t> loadedFrom(copy.size() + 2);
  const DWORD length = GetModuleFileNameW(module_, loadedFrom.data(), static_cast<DWORD>(loadedFrom.size()));
  EXPECT_EQ(std::wstring(loadedFrom.data(), length), copy);
  Host host;
  EXPECT_EQ(initialize_(&host), kResultOk);
  {
    auto quality = QRef<IQLongProperty>::Adopt(NewLongProperty(host, "Quality", 5, 1, 10));
    EXPECT_EQ(quality->SetCurValue(11), kResultOutOfRange);
    ULONG value = 0;
    EXPECT_EQ(quality->GetCurValue(&value), kResultOk);
    EXPECT_EQ(value, 5u);
  }
  terminate_(&host);
  EXPECT_EQ(host.acquired, 1);
  EXPECT_EQ(host.released, 1);

  EXPECT_TRUE(FreeLibrary(module_));
  module_ = nullptr;
  EXPECT_TRUE(DeleteFileW(copy.c_str()));
  EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
}

}  // namespace
}  // namespace Quenneth
