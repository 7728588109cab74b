// allocation_sweep_test.cpp: runs one scenario per property class again and again, failing its first heap
// allocation, then its second, and so on until a run meets no failure. Each operation of a scenario must answer
// success, one of the out-of-memory answers it documents, or let std::bad_alloc pass where it documents that;
// a refused change must leave the value bytes as they were; every reference on the services manager must come
// back; and the objects must work normally once allocations succeed again. Leaked memory is left to the leak
// checker of the sanitizer build.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <new>
#include <optional>
#include <type_traits>

#include "qenproperties/qenproperties.h"
#include "qenproperties/testing/allocation_failure.h"
#include "qenproperties/testing/counting_services_manager.h"

namespace Quenneth {
namespace {

using testing::AllocationFailure;
using testing::CountingServicesManager;

// WText: a short UTF-16 text built from ASCII without touching the heap.
struct WText {
  WCHAR text[32];
};
WText Wide(const char* ascii) {
  WText out{};
  for (std::size_t i = 0; ascii[i] != 0 && i + 1 < sizeof(out.text) / sizeof(out.text[0]); ++i) {
    out.text[i] = static_cast<unsigned char>(ascii[i]);
  }
  return out;
}

// ValueBytes: a property's current value bytes, read without touching the heap.
struct ValueBytes {
  std::array<unsigned char, 128> bytes{};
  ULONG length = 0;
  bool operator==(const ValueBytes& other) const {
    return length == other.length && std::memcmp(bytes.data(), other.bytes.data(), length) == 0;
  }
};
ValueBytes Read(IQProperty* property) {
  ValueBytes value;
  ULONG length = 0;
  property->GetPropertyData(nullptr, &length);
  if (length <= value.bytes.size()) {
    value.length = length;
    property->GetPropertyData(value.bytes.data(), &value.length);
  }
  return value;
}

enum class Throws { kNo, kMay };

// Sweep: the state of one run with the n-th allocation failing. Violations are recorded in a fixed table while
// the failure is armed (reporting them would allocate) and reported by Finish.
class Sweep {
 public:
  explicit Sweep(std::size_t failAt) { failure_.emplace(failAt); }

  // Step runs `op` (which returns a result code). Before the failure has happened the answer must be
  // `expected`; when the failing allocation happens inside it, the answer may also be one of `codes`, or
  // std::bad_alloc when `throws` allows it. Returns the answer, or nullopt when bad_alloc passed.
  template <class Op>
  std::optional<ULONG> Step(const char* what, Op&& op, std::initializer_list<ULONG> codes, Throws throws,
                            ULONG expected = kResultOk) {
    const bool before = Triggered();
    std::optional<ULONG> answer;
    bool threw = false;
    try {
      answer = op();
    } catch (const std::bad_alloc&) {
      threw = true;
    }
    const bool failedHere = !before && Triggered();
    if (threw) {
      if (!failedHere || throws == Throws::kNo) Violation(what, "let std::bad_alloc pass", 0);
      return std::nullopt;
    }
    // Once an earlier step took the failure, later answers may differ from the plain run (a selection that was
    // not stored cannot be read back); what counts then is the value check of Change and the checks after
    // Disarm.
    if (*answer == expected || before) return answer;
    bool allowed = false;
    for (ULONG code : codes) allowed = allowed || (failedHere && code == *answer);
    if (!allowed) Violation(what, failedHere ? "answered an undocumented code" : "failed without a failure", *answer);
    return answer;
  }

  // Change runs a notifying or storing setter: on any answer but success, and when it throws, the value bytes
  // must be unchanged.
  template <class Op>
  std::optional<ULONG> Change(const char* what, IQProperty* property, Op&& op, std::initializer_list<ULONG> codes,
                              Throws throws = Throws::kNo) {
    const ValueBytes before = Read(property);
    auto answer = Step(what, op, codes, throws);
    if ((!answer || *answer != kResultOk) && !(Read(property) == before)) {
      Violation(what, "changed the value although it failed", *answer);
    }
    return answer;
  }

  // Check records a violation unless `condition` holds; Succeeds unless `code` is success.
  void Check(bool condition, const char* what) {
    if (!condition) Violation(what, "check failed", 0);
  }
  void Succeeds(ULONG code, const char* what) {
    if (code != kResultOk) Violation(what, "failed", code);
  }

  bool Triggered() const { return failure_ && failure_->Triggered(); }

  // Disarm ends the failure: the rest of the scenario runs with every allocation succeeding.
  void Disarm() {
    if (!failure_) return;
    triggered_ = failure_->Triggered();
    failure_.reset();
  }

  // Finish reports the violations; returns whether the failing allocation was reached.
  bool Finish(std::size_t failAt) {
    Disarm();
    for (std::size_t i = 0; i < violations_; ++i) {
      const auto& v = table_[i];
      ADD_FAILURE() << "allocation " << failAt << " failing: " << v.what << " " << v.problem << " (0x" << std::hex
                    << v.code << ")";
    }
    return triggered_;
  }

 private:
  struct Record {
    const char* what;
    const char* problem;
    ULONG code;
  };
  void Violation(const char* what, const char* problem, ULONG code) {
    if (violations_ < table_.size()) table_[violations_++] = Record{what, problem, code};
  }

  std::optional<AllocationFailure> failure_;
  bool triggered_ = false;
  std::array<Record, 16> table_{};
  std::size_t violations_ = 0;
};

// The answers a notifying setter may give when an allocation fails under it with a mediator bound: the
// iterator or a callback's list entry could not be made (out of memory), the base property's snapshot could
// not be made (the mediator is asked with a null first argument), the mediator's own snapshot could not be made
// (not registered), or the value bytes could not be stored.
constexpr std::initializer_list<ULONG> kNotifyFailures = {kResultOutOfMemory, kResultNullPointer, kResultNotRegistered,
                                                          kResultStorageFailed};

// A dependency callback that records one further modified property during preview, as a host's would.
ULONG RecordingCallback(IQProperty* previous, IQProperty* current, CModifiedPropIterator* iterator, void*,
                        enumPropChangeStatus status) {
  if (status != ePropChangePreview || iterator == nullptr) return kResultOk;
  try {
    return iterator->AddToList(previous, current, 0);
  } catch (const std::bad_alloc&) {
    return kResultOutOfMemory;
  }
}
unsigned char AllowingNotify(IQProperty*, IQProperty*, CModifiedPropIterator*, void*, ULONG) { return 1; }

// MakeEmpty makes an unnamed property of the class, the target of an assignment.
template <class T>
T* MakeEmpty(CountingServicesManager& services) {
  if constexpr (std::is_same<T, CQEnumProperty>::value) {
    return new T(&services, nullptr, kDataTypeUInt32);
  } else {
    return new T(&services, nullptr);
  }
}

// The common part of every scenario, after the class-specific construction, filling and selection: name,
// clone, copy construction and assignment, preset text out and back in, a change through a mediator, and the
// vault. `change(k)` makes the k-th change of the value (each differs from the one before).
template <class T, class ChangeOp>
void CommonSteps(Sweep& s, CountingServicesManager& services, const QRef<T>& p, ChangeOp change,
                 std::initializer_list<ULONG> saveCodes, std::initializer_list<ULONG> loadCodes,
                 bool loadKeepsValue = true, Throws changeThrows = Throws::kNo) {
  constexpr bool kSerializer = std::is_base_of<IQPropertySerializer, T>::value;
  if constexpr (kSerializer) {
    s.Step(
        "SetPropertyName", [&] { return p->SetPropertyName("Renamed"); }, {}, Throws::kMay);
  }
  s.Step(
      "CloneProperty",
      [&] {
        QRef<IQProperty> clone;
        return p->CloneProperty(clone.Put());
      },
      {kResultOutOfMemory}, Throws::kNo);
  s.Step(
      "copy constructor",
      [&] {
        auto copy = QRef<T>::Adopt(new T(*p));
        return Read(copy.get()) == Read(p.get()) ? kResultOk : kResultInvalidArgument;
      },
      {}, Throws::kMay);
  std::optional<QRef<T>> target;
  s.Step(
      "assignment",
      [&] {
        target.emplace(QRef<T>::Adopt(MakeEmpty<T>(services)));
        **target = *p;
        return Read(target->get()) == Read(p.get()) ? kResultOk : kResultInvalidArgument;
      },
      {}, Throws::kMay);

  if constexpr (kSerializer) {
    std::array<WCHAR, 512> text{};
    ULONG length = 0;
    auto saved = s.Step(
        "GetPropertyDataToSave",
        [&] {
          ULONG rc = p->GetPropertyDataToSave(nullptr, &length);
          if (rc != kResultOk || length > text.size()) return rc;
          return p->GetPropertyDataToSave(text.data(), &length);
        },
        saveCodes, Throws::kMay);
    if (saved && *saved == kResultOk) {
      // The host gives the size that GetDataSize reported at saving before it loads.
      ULONG size = 0;
      p->GetDataSize(&size);
      p->SetDataSize(size);
      s.Change(
          "LoadDirectDataFromPreset", p.get(), [&] { return p->LoadDirectDataFromPreset(text.data(), length); },
          loadCodes, Throws::kMay);
    }
  }

  // A change through a mediator that the property is registered with, and a dependency that previews it.
  std::optional<QRef<CQPropertyMediator>> mediator;
  s.Step(
      "mediator constructor",
      [&] {
        mediator.emplace(QRef<CQPropertyMediator>::Adopt(new CQPropertyMediator(&services)));
        return kResultOk;
      },
      {}, Throws::kMay);
  if (mediator) {
    auto* m = mediator->get();
    ULONG propertyId = 0;
    p->GetPropertyID(&propertyId);
    ULONG handle = 0;
    auto registered = s.Step(
        "RegisterProperty", [&] { return m->RegisterProperty(p.get()); }, {}, Throws::kMay);
    s.Step(
        "RegisterDependency", [&] { return m->RegisterDependency(propertyId, &RecordingCallback, nullptr, &handle); },
        {}, Throws::kMay);
    s.Step(
        "RegisterDependencyNotifyCallback",
        [&] { return m->RegisterDependencyNotifyCallback(&AllowingNotify, nullptr); }, {}, Throws::kMay);
    s.Step(
        "SetProperyMediator", [&] { return p->SetProperyMediator(m); }, {}, Throws::kMay);
    if (registered && *registered == kResultOk) {
      s.Change(
          "change through the mediator", p.get(), [&] { return change(1); }, kNotifyFailures, changeThrows);
      s.Step(
          "UnRegisterProperty", [&] { return m->UnRegisterProperty(p.get()); }, {}, Throws::kNo);
    }
  }

  // The vault: an append and an insertion at the front.
  std::optional<QRef<CQPropertyVault>> vault;
  s.Step(
      "vault constructor",
      [&] {
        vault.emplace(QRef<CQPropertyVault>::Adopt(new CQPropertyVault(&services)));
        return kResultOk;
      },
      {}, Throws::kMay);
  ULONG stored = 0;
  if (vault) {
    auto* v = vault->get();
    // An allocation failure while the vault grows passes to the caller.
    if (s.Step(
            "AddProperty", [&] { return v->AddProperty(p.get()); }, {}, Throws::kMay) == kResultOk) {
      ++stored;
    }
    if (target &&
        s.Step(
            "InsertProperty", [&] { return v->InsertProperty(0, target->get()); }, {}, Throws::kMay) == kResultOk) {
      ++stored;
    }
  }

  s.Disarm();
  // Everything works again once allocations succeed. A property once bound stays bound to its mediator, so
  // it is registered again for the changes below.
  CQPropertyMediator* m = mediator ? mediator->get() : nullptr;
  if (m != nullptr) {
    s.Succeeds(m->RegisterProperty(p.get()), "RegisterProperty afterwards");
    p->SetProperyMediator(m);
  }
  QRef<IQProperty> clone;
  s.Check(p->CloneProperty(clone.Put()) == kResultOk && Read(clone.get()) == Read(p.get()), "clone afterwards");
  s.Succeeds(change(2), "change afterwards");
  if constexpr (kSerializer) {
    std::array<WCHAR, 512> text{};
    ULONG length = text.size();
    const ValueBytes before = Read(p.get());
    ULONG size = 0;
    p->GetDataSize(&size);
    p->SetDataSize(size);
    s.Succeeds(p->GetPropertyDataToSave(text.data(), &length), "GetPropertyDataToSave afterwards");
    s.Succeeds(p->LoadDirectDataFromPreset(text.data(), length), "LoadDirectDataFromPreset afterwards");
    s.Check(!loadKeepsValue || Read(p.get()) == before, "preset text round trip afterwards");
  }
  if (vault) {
    ULONG count = 0;
    (*vault)->GetPropertyInfoCount(&count);
    s.Check(count == stored, "vault count afterwards");
    QRef<IQProperty> found;
    ULONG propertyId = 0;
    p->GetPropertyID(&propertyId);
    if (stored != 0) s.Check((*vault)->GetPropertyInfoByID(propertyId, found.Put()) == kResultOk, "vault lookup");
  }
  if (m != nullptr) s.Succeeds(m->UnRegisterProperty(p.get()), "UnRegisterProperty afterwards");
}

// RunSweep repeats `scenario` with allocation 1, 2, ... failing until a run reaches no failure; returns the
// number of failure points exercised.
std::size_t total = 0;

// TextEntrySteps adds entries by narrow and wide text, as the enum and ratio properties both offer it; an
// allocation failure in either answers out of memory.
template <class T>
void TextEntrySteps(Sweep& s, const QRef<T>& p, std::initializer_list<const char*> texts) {
  ULONG id = 1;
  for (const char* text : texts) {
    const WText wide = Wide(text);
    const bool narrow = id % 2 == 1;
    s.Step(
        narrow ? "AddEnumString(narrow)" : "AddEnumString(wide)",
        [&] { return narrow ? p->AddEnumString(text, id) : p->AddEnumString(wide.text, id); }, {kResultOutOfMemory},
        Throws::kNo);
    ++id;
  }
}

// SelectionSteps selects directly and then runs the common steps with the notifying selection, once two
// entries stand in the list.
template <class T>
void SelectionSteps(Sweep& s, CountingServicesManager& services, const QRef<T>& p) {
  ULONG count = 0;
  p->GetEnumCount(&count);
  if (count < 2) return;
  s.Change("SetDirectCurSel", p.get(), [&] { return p->SetDirectCurSel(1); }, {kResultStorageFailed});
  CommonSteps(s, services, p, [&](ULONG k) { return p->SetCurSel(k % 2); }, {}, {kResultStorageFailed});
}

template <class Scenario>
std::size_t RunSweep(const char* name, Scenario scenario) {
  std::size_t n = 1;
  for (;; ++n) {
    CountingServicesManager services;
    Sweep sweep(n);
    scenario(sweep, services);
    const bool reached = sweep.Finish(n);
    EXPECT_EQ(services.Count(), 0u) << "references on the services manager left with allocation " << n << " failing";
    if (!reached || ::testing::Test::HasFailure() || n > 20000) break;
  }
  const std::size_t points = n - 1;
  total += points;
  std::printf("[ sweep    ] %s: %zu allocation-failure points\n", name, points);
  return points;
}

// Construct runs a constructor as a step; a null holder means that it threw.
template <class T, class Make>
QRef<T> Construct(Sweep& s, const char* what, Make make) {
  QRef<T> p;
  s.Step(
      what,
      [&] {
        p = QRef<T>::Adopt(make());
        return kResultOk;
      },
      {}, Throws::kMay);
  return p;
}

TEST(AllocationSweep, LongProperty) {
  EXPECT_GT(
      RunSweep(
          "long",
          [](Sweep& s, CountingServicesManager& services) {
            auto p = Construct<CQLongProperty>(s, "constructor", [&] {
              return new CQLongProperty("Gain", "Input gain", 1, 10, kDataTypeInt32, 5, 5, 0, 100, &services, nullptr);
            });
            if (!p) return;
            s.Step(
                "SetRange", [&] { return p->SetRange(0, 200); }, {}, Throws::kNo);
            s.Change("SetDirectCurValue", p.get(), [&] { return p->SetDirectCurValue(7); }, {kResultStorageFailed});
            CommonSteps(s, services, p, [&](ULONG k) { return p->SetCurValue(20 + k); }, {}, {kResultStorageFailed});
          }),
      0u);
}

TEST(AllocationSweep, FloatProperty) {
  EXPECT_GT(
      RunSweep(
          "float",
          [](Sweep& s, CountingServicesManager& services) {
            auto p = Construct<CQFloatProperty>(s, "constructor", [&] {
              return new CQFloatProperty("Level", "Output level", 1, 11, kDataTypeDouble, 0.5, 0.5, 0.0, 10.0,
                                         &services, nullptr);
            });
            if (!p) return;
            s.Step(
                "SetSignificantDigitAfterPoint", [&] { return p->SetSignificantDigitAfterPoint(3); }, {}, Throws::kNo);
            s.Change("SetDirectCurValue", p.get(), [&] { return p->SetDirectCurValue(0.25); }, {kResultStorageFailed});
            CommonSteps(s, services, p, [&](ULONG k) { return p->SetCurValue(1.0 + k); }, {}, {kResultStorageFailed});
          }),
      0u);
}

TEST(AllocationSweep, BoolProperty) {
  EXPECT_GT(RunSweep("bool",
                     [](Sweep& s, CountingServicesManager& services) {
                       auto p = Construct<CQBoolProperty>(s, "constructor", [&] {
                         return new CQBoolProperty("Mute", "Mutes the output", 1, 12, 0, 0, &services, nullptr);
                       });
                       if (!p) return;
                       s.Change("SetDirectCurValue", p.get(), [&] { return p->SetDirectCurValue(1); },
                                {kResultStorageFailed});
                       CommonSteps(s, services, p,
                                   [&](ULONG) {
                                     unsigned char value = 0;
                                     p->GetCurValue(&value);
                                     return p->SetCurValue(value == 0 ? 1 : 0);
                                   },
                                   {}, {kResultStorageFailed});
                     }),
            0u);
}

TEST(AllocationSweep, WStringProperty) {
  EXPECT_GT(RunSweep("wstring",
                     [](Sweep& s, CountingServicesManager& services) {
                       const WText initial = Wide("untitled");
                       auto p = Construct<CQWStringProperty>(s, "constructor", [&] {
                         return new CQWStringProperty("Title", "Window title", 1, 13, initial.text, initial.text,
                                                      &services, nullptr);
                       });
                       if (!p) return;
                       WText direct = Wide("direct text");
                       s.Change(
                           "SetDirectCurString", p.get(), [&] { return p->SetDirectCurString(direct.text); },
                           {kResultStorageFailed}, Throws::kMay);
                       CommonSteps(s, services, p,
                                   [&](ULONG k) {
                                     WText text = Wide("changed 0");
                                     text.text[8] = static_cast<WCHAR>('0' + k);
                                     return p->SetCurString(text.text);
                                   },
                                   {}, {kResultStorageFailed});
                     }),
            0u);
}

TEST(AllocationSweep, EnumProperty) {
  EXPECT_GT(RunSweep("enum",
                     [](Sweep& s, CountingServicesManager& services) {
                       auto p = Construct<CQEnumProperty>(s, "constructor", [&] {
                         return new CQEnumProperty("Mode", "Work mode", 1, 14, &services, nullptr, kDataTypeUInt32);
                       });
                       if (!p) return;
                       TextEntrySteps(s, p, {"First", "Second", "Third"});
                       SelectionSteps(s, services, p);
                     }),
            0u);
}

TEST(AllocationSweep, EnumLongProperty) {
  EXPECT_GT(RunSweep("enum-long",
                     [](Sweep& s, CountingServicesManager& services) {
                       auto p = Construct<CQEnumLongProperty>(s, "constructor", [&] {
                         return new CQEnumLongProperty("Rate", "Sample rate", 1, 15, &services, nullptr);
                       });
                       if (!p) return;
                       for (ULONG value : {44100u, 48000u, 96000u}) {
                         s.Step(
                             "AddEnumLongValue", [&] { return p->AddEnumLongValue(value); }, {kResultStorageFailed},
                             Throws::kNo);
                       }
                       ULONG count = 0;
                       p->GetEnumCount(&count);
                       if (count < 2) return;
                       s.Change("SetDirectCurSelIndex", p.get(), [&] { return p->SetDirectCurSelIndex(1); },
                                {kResultStorageFailed});
                       CommonSteps(s, services, p, [&](ULONG k) { return p->SetCurSelIndex(k % 2); }, {},
                                   {kResultStorageFailed});
                     }),
            0u);
}

TEST(AllocationSweep, ExEnumProperty) {
  EXPECT_GT(
      RunSweep(
          "extended enum",
          [](Sweep& s, CountingServicesManager& services) {
            auto p = Construct<CQExEnumProperty>(s, "constructor", [&] {
              return new CQExEnumProperty("Curve", "Response curve", 1, 16, 99, kDataTypeUInt32, &services, nullptr);
            });
            if (!p) return;
            unsigned char sub[4] = {1, 2, 3, 4};
            const WText linear = Wide("Linear");
            s.Step(
                "AddEnumStringAndSubData(narrow)", [&] { return p->AddEnumStringAndSubData("Flat", 1, sub, 4); },
                {kResultOutOfMemory}, Throws::kNo);
            s.Step(
                "AddEnumStringAndSubData(wide)", [&] { return p->AddEnumStringAndSubData(linear.text, 2, sub, 4); },
                {kResultOutOfMemory}, Throws::kNo);
            s.Step(
                "AddEnumStringAndSubData(custom)", [&] { return p->AddEnumStringAndSubData("Own", 99, sub, 4); },
                {kResultOutOfMemory}, Throws::kNo);
            ULONG count = 0;
            p->GetEnumCount(&count);
            if (count < 3) return;
            s.Change(
                "SetDirectCurSel", p.get(), [&] { return p->SetDirectCurSel(1); },
                {kResultStorageFailed, kResultOutOfMemory}, Throws::kMay);
            unsigned char custom[4] = {9, 8, 7, 6};
            s.Step(
                "SetCustomData", [&] { return p->SetCustomData(custom, 4); }, {kResultStorageFailed}, Throws::kNo);
            s.Step(
                "SetDirectCustomData", [&] { return p->SetDirectCustomData(sub, 4); }, {kResultStorageFailed},
                Throws::kNo);
            std::array<unsigned char, 4> subOut{};
            ULONG size = 4;
            s.Step(
                "GetCurSelSubData", [&] { return p->GetCurSelSubData(subOut.data(), &size); }, {kResultStorageFailed},
                Throws::kNo);
            // Selecting reads the stored record, and an allocation failure there passes to the caller.
            // Loading a preset empties the entry list and rebuilds it from the record (left empty when the
            // rebuilding fails), and renumbers the selection, so the change picks among what is there and a
            // load need not give back the same bytes.
            CommonSteps(
                s, services, p,
                [&](ULONG k) {
                  ULONG entries = 0;
                  p->GetEnumCount(&entries);
                  if (entries == 0) {
                    const ULONG added = p->AddEnumStringAndSubData("Again", 5, sub, 4);
                    if (added != kResultOk) return added;
                    entries = 1;
                  }
                  return p->SetCurSel(k % entries);
                },
                {}, {kResultStorageFailed, kResultOutOfMemory}, false, Throws::kMay);
          }),
      0u);
}

TEST(AllocationSweep, RatioProperty) {
  EXPECT_GT(RunSweep("ratio",
                     [](Sweep& s, CountingServicesManager& services) {
                       auto p = Construct<CQRatioProperty>(s, "constructor", [&] {
                         return new CQRatioProperty("Shape", "Frame shape", 1, 17, &services, nullptr);
                       });
                       if (!p) return;
                       TextEntrySteps(s, p, {"4:3", "16:9"});
                       s.Step(
                           "SetCustomEnumId", [&] { return p->SetCustomEnumId(3); }, {}, Throws::kNo);
                       s.Step(
                           "SetCustomRatio", [&] { return p->SetCustomRatio(21, 9); }, {}, Throws::kNo);
                       SelectionSteps(s, services, p);
                     }),
            0u);
}

TEST(AllocationSweep, GroupProperty) {
  EXPECT_GT(RunSweep("group",
                     [](Sweep& s, CountingServicesManager& services) {
                       auto p = Construct<CQGroupProperty>(s, "constructor", [&] {
                         return new CQGroupProperty("Panel", "Panel group", 1, 18, 1, 0, &services, nullptr);
                       });
                       if (!p) return;
                       s.Change("SetDirectGroupState", p.get(), [&] { return p->SetDirectGroupState(5); },
                                {kResultStorageFailed});
                       CommonSteps(s, services, p, [&](ULONG k) { return p->SetGroupState(10 + k); },
                                   {kResultStorageFailed}, {kResultStorageFailed});
                     }),
            0u);
}

TEST(AllocationSweep, CmdButtonProperty) {
  EXPECT_GT(RunSweep("command button",
                     [](Sweep& s, CountingServicesManager& services) {
                       auto p = Construct<CQCmdButtonProperty>(s, "constructor", [&] {
                         return new CQCmdButtonProperty("Apply", "Applies the changes", 1, 19, kDataTypeUInt32,
                                                        &services, nullptr);
                       });
                       if (!p) return;
                       const WText caption = Wide("Go");
                       s.Step(
                           "SetButtonCaption", [&] { return p->SetButtonCaption(caption.text); }, {kResultOutOfMemory},
                           Throws::kNo);
                       s.Step(
                           "SetDescriptionText", [&] { return p->SetDescriptionText("Runs it"); }, {kResultOutOfMemory},
                           Throws::kNo);
                       CommonSteps(s, services, p, [&](ULONG k) { return p->SetPropertyData(100 + k); }, {}, {});
                     }),
            0u);
}

// The sweeps prove something only if a failure reaches the allocations the library makes itself. A replaced
// operator new in the program does not reach a DLL's on Windows; this catches a build that links the sweeps so.
TEST(AllocationSweep, FailuresReachTheLibrarysOwnAllocations) {
  CountingServicesManager services;
  auto p = QRef<CQLongProperty>::Adopt(
      new CQLongProperty("Gain", "Input gain", 1, 10, kDataTypeInt32, 5, 5, 0, 100, &services, nullptr));
  QRef<IQProperty> clone;
  {
    AllocationFailure fail(1);
    EXPECT_EQ(p->CloneProperty(clone.Put()), kResultOutOfMemory);
    EXPECT_TRUE(fail.Triggered());
  }
  EXPECT_EQ(clone.get(), nullptr);
  EXPECT_EQ(p->CloneProperty(clone.Put()), kResultOk);
}

// The total is printed when the run ends, so that a log shows how many failure points the sweeps exercised.
class TotalReport : public ::testing::Environment {
 public:
  void TearDown() override { std::printf("[ sweep    ] total: %zu allocation-failure points\n", total); }
};
[[maybe_unused]] ::testing::Environment* const kTotalReport = ::testing::AddGlobalTestEnvironment(new TotalReport);

}  // namespace
}  // namespace Quenneth
