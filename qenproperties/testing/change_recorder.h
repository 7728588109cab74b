// change_recorder.h: a mediator with long properties bound to it, and callbacks that record what every change
// hands them, for the tests of changes.
//
// A Recorder registered as a dependency record (Listen) or as the notify callback (ListenToNotify) appends one
// Call per call to the fixture's log, with the values read while the call runs (snapshots may die with the
// change), then runs `during` and answers as it is told. The values are read without allocating, so a test may
// count the library's allocations with recorders in place (reserve the log first). Sequence() writes the log as
// letter-digit pairs: the recorder's letter, then the status of a dependency call (2 preview, 0 apply,
// 1 cancel) or the stage of a notify call (0, 1).
//
//   Listen(kLevelId, a_);
//   EXPECT_RESULT(kResultOk, level->SetCurValue(9));
//   EXPECT_EQ("A2A0", Sequence());
#ifndef QENPROPERTIES_TESTING_CHANGE_RECORDER_H_
#define QENPROPERTIES_TESTING_CHANGE_RECORDER_H_

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qenproperties/qenproperties.h"
#include "qenproperties/testing/counting_services_manager.h"
#include "qenproperties/testing/property_values.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace testing {

struct Call {
  char who;
  ULONG step;  // the status of a dependency call, the stage of a notify call
  IQProperty* previous;
  IQProperty* current;
  CModifiedPropIterator* iterator;
  ULONG previousValue;
  ULONG currentValue;
};

struct Recorder {
  Recorder(char letter, std::vector<Call>* calls) : who(letter), log(calls) {}
  char who;
  std::vector<Call>* log;
  ULONG previewAnswer = kResultOk;
  ULONG applyAnswer = kResultOk;
  unsigned char allow = 1;  // the notify callback's answer at stage 0
  std::function<void(const Call&)> during;

  // OnPreview: `action` runs during the preview calls only.
  void OnPreview(std::function<void(const Call&)> action) {
    during = [action](const Call& call) {
      if (call.step == ePropChangePreview) action(call);
    };
  }
};

// WordOf: the four value bytes of a long snapshot (0 for none), read without allocating.
inline ULONG WordOf(IQProperty* property) {
  ULONG value = 0;
  ULONG length = sizeof(value);
  if (property != nullptr) property->GetPropertyData(&value, &length);
  return value;
}

// CountItems walks the plain list of an iterator, as a host does before it allows a change.
inline int CountItems(CModifiedPropIterator* iterator) {
  QRef<IQProperty> first;
  QRef<IQProperty> second;
  ULONG status = 0;
  int items = 0;
  for (ULONG rc = iterator->GetFirstModifiedProperty(first.Put(), second.Put(), &status); rc == kResultOk;
       rc = iterator->GetNextModifiedProperty(first.Put(), second.Put(), &status)) {
    ++items;
  }
  return items;
}

inline Call Record(Recorder* recorder, ULONG step, IQProperty* previous, IQProperty* current,
                   CModifiedPropIterator* iterator) {
  const Call call{recorder->who, step, previous, current, iterator, WordOf(previous), WordOf(current)};
  recorder->log->push_back(call);
  if (recorder->during) recorder->during(call);
  return call;
}

inline ULONG RecordDependency(IQProperty* previous, IQProperty* current, CModifiedPropIterator* iterator, void* user,
                              enumPropChangeStatus status) {
  auto* recorder = static_cast<Recorder*>(user);
  Record(recorder, static_cast<ULONG>(status), previous, current, iterator);
  if (status == ePropChangePreview) return recorder->previewAnswer;
  if (status == ePropChangeApply) return recorder->applyAnswer;
  return 0xC0FFEE01;  // a cancel answer is ignored, whatever it says
}

inline unsigned char RecordNotify(IQProperty* previous, IQProperty* current, CModifiedPropIterator* iterator,
                                  void* user, ULONG stage) {
  auto* recorder = static_cast<Recorder*>(user);
  Record(recorder, stage, previous, current, iterator);
  return stage == 0 ? recorder->allow : 0;
}

// MediatorTest: a mediator on a counting services manager. TearDown unregisters every property Long made and
// checks that the test's own references are all that is left, on them, on the mediator and on the host.
class MediatorTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const QRef<CQLongProperty>& property : made_) {
      mediator_->UnRegisterProperty(property.get());
      EXPECT_EQ(1u, RefCount(property.get())) << "a property reference leaked";
    }
    made_.clear();
    EXPECT_EQ(1u, RefCount(mediator_.get())) << "a mediator reference leaked";
    mediator_.reset();
    EXPECT_EQ(0u, host_.Count()) << "services manager references leaked";
  }

  // Long: a long property of ID `id` bound to the mediator, holding 5, registered unless told otherwise.
  CQLongProperty* Long(ULONG id, bool registered = true, const char* name = "Level") {
    made_.push_back(QRef<CQLongProperty>::Adopt(
        new CQLongProperty(name, "A level", 1, id, kDataTypeUInt32, 5, 5, 0, 0, &host_, mediator_.get())));
    if (registered) {
      EXPECT_RESULT(kResultOk, mediator_->RegisterProperty(made_.back().get()));
    }
    made_.back()->SetDirectCurValue(5);  // the constructor's value was refused: it was not registered yet
    return made_.back().get();
  }
  ULONG Listen(ULONG propertyId, Recorder& recorder) {
    ULONG handle = 0;
    EXPECT_RESULT(kResultOk, mediator_->RegisterDependency(propertyId, &RecordDependency, &recorder, &handle));
    return handle;
  }
  void ListenToNotify() {
    EXPECT_RESULT(kResultOk, mediator_->RegisterDependencyNotifyCallback(&RecordNotify, &notify_));
  }
  std::string Sequence() const {
    std::string sequence;
    for (const Call& call : log_) sequence += {call.who, static_cast<char>('0' + call.step)};
    return sequence;
  }
  // Previews: the preview calls of one recorder, in order.
  std::vector<Call> Previews(char who) const {
    std::vector<Call> calls;
    for (const Call& call : log_) {
      if (call.who == who && call.step == ePropChangePreview) calls.push_back(call);
    }
    return calls;
  }

  CountingServicesManager host_;
  QRef<CQPropertyMediator> mediator_ = QRef<CQPropertyMediator>::Adopt(new CQPropertyMediator(&host_));
  std::vector<QRef<CQLongProperty>> made_;
  std::vector<Call> log_;
  Recorder a_{'A', &log_};
  Recorder b_{'B', &log_};
  Recorder c_{'C', &log_};
  Recorder notify_{'N', &log_};
};

}  // namespace testing
}  // namespace Quenneth

#endif  // QENPROPERTIES_TESTING_CHANGE_RECORDER_H_
