#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/qref.h"
#include "qenproperties/group/cmd_button_property.h"
#include "qenproperties/testing/property_values.h"
#include "qenproperties/testing/reference_balance_fixture.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::ReadText;
using testing::Wide;

// What the on-click procedure and the callback saw, in order.
struct ClickLog {
  std::vector<std::string> events;
  void* procUser = nullptr;
  void* callbackUser = nullptr;
  ULONG status = 0;
  ULONG answer = 3;
};

ULONG OnClick(void* user) {
  auto* log = static_cast<ClickLog*>(user);
  log->events.push_back("proc");
  log->procUser = user;
  return log->answer;
}

void AfterClick(enumButtonClickStatus status, void* user) {
  auto* log = static_cast<ClickLog*>(user);
  log->events.push_back("callback");
  log->callbackUser = user;
  log->status = status;
}

class CmdButtonPropertyTest : public testing::ReferenceBalanceTest {
 protected:
  QRef<CQCmdButtonProperty> Make(IQPropertyMediator* mediator = nullptr) {
    return QRef<CQCmdButtonProperty>::Adopt(
        new CQCmdButtonProperty("Apply", "Applies the changes", 2, 40, kDataTypeUInt32, &host_, mediator));
  }
  static std::string Caption(IQCmdButtonProperty* button) {
    return ReadText([button](WCHAR* b, ULONG* l) { return button->GetButtonCaption(b, l); });
  }
  static std::string Description(IQCmdButtonProperty* button) {
    return ReadText([button](WCHAR* b, ULONG* l) { return button->GetDescriptionText(b, l); });
  }
  static ULONG Word(IQCmdButtonProperty* button) {
    ULONG value = 0;
    static_cast<CQCmdButtonProperty*>(button)->GetPropertyData(&value);
    return value;
  }

  ClickLog log_;
  ClickLog callbackLog_;
};

TEST_F(CmdButtonPropertyTest, ValueStartsEmptyAndIsExactlyFourBytes) {
  auto button = Make(&mediator_);
  ULONG length = 99;
  button->GetPropertyData(nullptr, &length);
  EXPECT_EQ(0u, length);
  ULONG value = 0xABCD;
  EXPECT_RESULT(kResultOk, button->GetPropertyData(&value));
  EXPECT_EQ(0xABCDu, value) << "an empty value leaves the output unchanged";
  EXPECT_TRUE(mediator_.calls.empty());

  const unsigned char two[2] = {1, 2};
  EXPECT_RESULT(kResultInvalidArgument, button->SetPropertyData(two, 2));
  EXPECT_RESULT(kResultInvalidArgument, button->SetPropertyData(two, 8));
  EXPECT_TRUE(mediator_.calls.empty());
  EXPECT_RESULT(kResultOk, button->SetPropertyData(7u));
  EXPECT_RESULT(kResultOk, button->GetPropertyData(&value));
  EXPECT_EQ(7u, value);
  EXPECT_EQ(1u, mediator_.calls.size());
  EXPECT_RESULT(kResultNullPointer, button->GetPropertyData(static_cast<ULONG*>(nullptr)));

  const ULONG raw = 11;
  EXPECT_RESULT(kResultOk, button->SetPropertyData(&raw, sizeof(raw)));
  EXPECT_EQ(11u, Word(button.get()));
  EXPECT_EQ(2u, mediator_.calls.size());
}

TEST_F(CmdButtonPropertyTest, ClickRunsProcedureThenCallbackWithItsResult) {
  auto button = Make(&mediator_);
  log_.answer = 0x80000001u;
  ASSERT_RESULT(kResultOk, button->SetOnClickProc(&OnClick, &log_));
  EXPECT_RESULT(kResultOk, button->ButtonClicked(&AfterClick, &callbackLog_));
  EXPECT_EQ((std::vector<std::string>{"proc"}), log_.events);
  EXPECT_EQ((std::vector<std::string>{"callback"}), callbackLog_.events);
  EXPECT_EQ(&log_, log_.procUser);
  EXPECT_EQ(&callbackLog_, callbackLog_.callbackUser);
  EXPECT_EQ(0x80000001u, callbackLog_.status) << "the procedure's result is passed on unchanged";
  EXPECT_TRUE(mediator_.calls.empty()) << "a click is no change of the value";

  log_.events.clear();
  EXPECT_RESULT(kResultOk, button->ButtonClicked(nullptr, &callbackLog_));
  EXPECT_EQ((std::vector<std::string>{"proc"}), log_.events);
  EXPECT_EQ(1u, callbackLog_.events.size());

  ASSERT_RESULT(kResultOk, button->SetOnClickProc(nullptr, nullptr));
  EXPECT_RESULT(kResultNullPointer, button->ButtonClicked(&AfterClick, &callbackLog_));
  EXPECT_EQ(1u, callbackLog_.events.size()) << "without a procedure nothing is called";
}

// The caption and the description text: each falls back to the base property's text, is read by the length
// protocol, which refuses a length without a buffer, and loses its old text whether a null text is taken or not.
TEST_F(CmdButtonPropertyTest, CaptionAndDescriptionFallBackToNameAndDescription) {
  struct Slot {
    std::string fallback;
    ULONG (CQCmdButtonProperty::*get)(WCHAR*, ULONG*);
    ULONG (CQCmdButtonProperty::*set)(const WCHAR*);
    ULONG nullResult;
  };
  const Slot slots[] = {
      {"Apply", &CQCmdButtonProperty::GetButtonCaption, &CQCmdButtonProperty::SetButtonCaption, kResultOk},
      {"Applies the changes", &CQCmdButtonProperty::GetDescriptionText, &CQCmdButtonProperty::SetDescriptionText,
       kResultNullPointer}};
  for (const Slot& slot : slots) {
    SCOPED_TRACE(slot.fallback);
    auto button = Make();
    const auto get = [&](WCHAR* buffer, ULONG* length) { return (button.get()->*slot.get)(buffer, length); };
    EXPECT_EQ(slot.fallback, ReadText(get));
    ASSERT_RESULT(kResultOk, (button.get()->*slot.set)(Wide("OK").data()));
    EXPECT_EQ("OK", ReadText(get));
    ULONG length = 5;
    EXPECT_RESULT(kResultNullPointer, get(nullptr, &length));
    EXPECT_RESULT(kResultNullPointer, get(nullptr, nullptr));
    EXPECT_RESULT(slot.nullResult, (button.get()->*slot.set)(nullptr));
    length = 0;
    EXPECT_RESULT(kResultOk, get(nullptr, &length));
    EXPECT_EQ(slot.fallback.size(), length) << "the fallback is read by the same protocol";

    const WCHAR empty[] = {0};
    (button.get()->*slot.set)(empty);
    WCHAR buffer[4] = {0x41, 0x41, 0x41, 0x41};
    length = 4;
    EXPECT_RESULT(kResultOk, get(buffer, &length));
    EXPECT_EQ(0u, length);
    EXPECT_EQ(0x41, buffer[0]) << "an empty text writes nothing";
  }
  auto button = Make();
  ASSERT_RESULT(kResultOk, button->SetDescriptionText("Narrow text"));
  EXPECT_EQ("Narrow text", Description(button.get()));
  EXPECT_RESULT(kResultOk, button->SetDescriptionText(static_cast<const char*>(nullptr)));
  EXPECT_EQ("Applies the changes", Description(button.get()));
}

// The caption, the description text and the procedure belong to the object: a clone or a fresh copy starts
// without them, an assigned-to button keeps its own; the value travels with the base property.
TEST_F(CmdButtonPropertyTest, CopiesTakeTheValueButNotTheExtras) {
  auto button = Make(&mediator_);
  button->SetButtonCaption(Wide("Go").data());
  button->SetDescriptionText("Starts");
  button->SetOnClickProc(&OnClick, &log_);
  button->SetPropertyData(5u);
  auto typed = testing::CloneAs<IQCmdButtonProperty>(button.get(), IID_IQCmdButtonProperty);
  ASSERT_TRUE(typed);
  EXPECT_RESULT(kResultNullPointer, typed->ButtonClicked(&AfterClick, &log_));
  EXPECT_TRUE(log_.events.empty());
  EXPECT_EQ("Apply", Caption(typed.get()));
  EXPECT_EQ("Applies the changes", Description(typed.get()));
  EXPECT_EQ(5u, Word(typed.get()));

  auto target = QRef<CQCmdButtonProperty>::Adopt(new CQCmdButtonProperty(&host_, nullptr));
  target->SetButtonCaption(Wide("Target").data());
  target->SetOnClickProc(&OnClick, &log_);
  button->SetPropertyData(9u);
  *target = *button;
  EXPECT_EQ("Target", Caption(target.get()));
  EXPECT_RESULT(kResultOk, target->ButtonClicked(nullptr, nullptr));
  EXPECT_EQ(9u, Word(target.get()));
  auto copy = QRef<CQCmdButtonProperty>::Adopt(new CQCmdButtonProperty(*target));
  EXPECT_EQ("Apply", Caption(copy.get())) << "a fresh copy starts without a caption";
}

TEST_F(CmdButtonPropertyTest, ConcurrentCaptionChangesAndReadsAreSafe) {
  auto button = Make();
  button->SetOnClickProc(&OnClick, &log_);
  const auto first = Wide("First caption");
  const auto second = Wide("Second");
  std::thread writer([&] {
    for (int i = 0; i < 500; ++i) {
      button->SetButtonCaption((i % 2) != 0 ? first.data() : second.data());
      button->SetDescriptionText((i % 2) != 0 ? "one" : "two");
    }
  });
  for (int i = 0; i < 500; ++i) {
    WCHAR buffer[64] = {};
    ULONG length = 63;
    ASSERT_RESULT(kResultOk, button->GetButtonCaption(buffer, &length));
    EXPECT_TRUE(length == 13 || length == 6 || length == 5);
    length = 63;
    button->GetDescriptionText(buffer, &length);
  }
  writer.join();
}

}  // namespace
}  // namespace Quenneth
