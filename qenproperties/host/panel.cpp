#include "qenproperties/host/panel.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <utility>

#include <nlohmann/json.hpp>

#include "qenproperties/enum/enum_long_property.h"
#include "qenproperties/enum/enum_property.h"
#include "qenproperties/enum/ex_enum_property.h"
#include "qenproperties/enum/ratio_property.h"
#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/qref.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/group/cmd_button_property.h"
#include "qenproperties/group/group_property.h"
#include "qenproperties/host/property_text.h"
#include "qenproperties/mediator/modified_prop_iterator_interface.h"
#include "qenproperties/mediator/property_mediator.h"
#include "qenproperties/scalar/bool_property.h"
#include "qenproperties/scalar/float_property.h"
#include "qenproperties/scalar/long_property.h"
#include "qenproperties/scalar/wstring_property.h"
#include "qenproperties/vault/property_vault.h"

namespace Quenneth {
namespace host {

enum class RuleKind { kCap, kSet, kLimit, kKeep };

namespace {

using Json = nlohmann::json;

// DescriptionError: a description that parses but does not fit; caught in FromJson.
struct DescriptionError {
  std::string pointer;
  std::string message;
};

[[noreturn]] void Fail(const std::string& pointer, const std::string& message) {
  throw DescriptionError{pointer, message};
}

std::string Joined(const std::vector<std::string>& list, const char* separator) {
  std::string out;
  for (const std::string& s : list) out += (out.empty() ? "" : separator) + s;
  return out;
}

// Matches: the value's text is one of `list`; an ex-enum's "VP9 (30000)" matches "VP9".
bool Matches(IQProperty* property, const std::vector<std::string>& list) {
  const std::string text = ValueText(property);
  for (const std::string& s : list) {
    if (text == s || text.compare(0, s.size() + 2, s + " (") == 0) return true;
  }
  return false;
}

// FindChoiceText: the position of the choice whose text is `text` in a property's limits, or -1.
long FindChoiceText(IQProperty* property, const std::string& text) {
  const std::string limits = LimitsText(property);
  long position = 0;
  std::size_t start = 0;
  while (start <= limits.size()) {
    std::size_t end = limits.find(" | ", start);
    if (end == std::string::npos) end = limits.size();
    const std::string choice = limits.substr(start, end - start);
    if (choice == text || choice.compare(0, text.size() + 2, text + " (") == 0) return position;
    start = end + 3;
    ++position;
  }
  return -1;
}

std::string WholeNumber(double value) { return std::to_string(static_cast<long long>(std::llround(value))); }

long long EvenRound(double value) { return 2 * std::llround(value / 2); }

}  // namespace

// PanelItem: one property of the panel and what the description said about it.
struct PanelItem {
  std::string name;
  ULONG id = 0;
  PropertyKind kind = PropertyKind::kPlain;
  QRef<IQProperty> property;
  std::string defaultText;
  std::vector<unsigned char> customDefault;
  std::string action;
  std::vector<PanelItem*> sum;
  Panel::Impl* owner = nullptr;
};

using Item = PanelItem;

// PanelRule: one dependency rule; a, b and c are the properties it names (see panel.h).
struct PanelRule {
  RuleKind kind = RuleKind::kCap;
  Item* a = nullptr;
  Item* b = nullptr;
  Item* c = nullptr;
  std::vector<std::string> is;
  std::vector<std::string> unless;
  std::vector<std::string> in;
  std::string to;
};
using Rule = PanelRule;

class Panel::Impl {
 public:
  struct Planned {
    Item* item;
    std::string text;
  };

  ~Impl() {
    if (mediator_) {
      for (ULONG handle : handles_) mediator_->UnRegisterDependency(handle);
      mediator_->RegisterDependencyNotifyCallback(nullptr, nullptr);
      for (const auto& item : items_) mediator_->UnRegisterProperty(item->property.get());
    }
    if (vault_) vault_->ResetPropertyVault();
  }

  void Build(const Json& description);
  Item* Find(const std::string& name) const;
  void ResetItem(Item* item);
  std::vector<std::string> Snapshot() const;
  std::vector<Change> Diff(const std::vector<std::string>& before) const;
  Outcome Set(Item* item, const std::string& value);
  std::string Explain(Item* item, const std::string& value, ULONG code) const;

  // The mediator's callbacks.
  static ULONG OnDependency(IQProperty* previous, IQProperty* current, CModifiedPropIterator* iterator, void* user,
                            enumPropChangeStatus status);
  static unsigned char OnNotify(IQProperty* previous, IQProperty* current, CModifiedPropIterator* iterator, void* user,
                                ULONG stage);
  static ULONG OnClick(void* user);

  ULONG Preview(Item* item, IQProperty* proposed, CModifiedPropIterator* iterator);
  void PlanFor(Item* item, IQProperty* proposed, std::vector<Planned>* plan);
  bool Allowed(CModifiedPropIterator* iterator);
  void RunAction(Item* item);

  std::string title_;
  std::string version_;
  QRef<CQPropertyMediator> mediator_;
  QRef<CQPropertyVault> vault_;
  std::vector<std::unique_ptr<Item>> items_;
  std::vector<Rule> rules_;
  std::vector<ULONG> handles_;
  std::vector<Planned> pending_;
  std::vector<Change> applied_;
  std::string message_;
};

namespace {

std::string Text(const Json& object, const char* key, const std::string& pointer, bool required,
                 const std::string& fallback = "") {
  auto it = object.find(key);
  if (it == object.end()) {
    if (required) Fail(pointer, std::string("\"") + key + "\" is missing");
    return fallback;
  }
  if (!it->is_string()) Fail(pointer + "/" + key, "expected a text");
  return it->get<std::string>();
}

double Number(const Json& object, const char* key, const std::string& pointer, double fallback) {
  auto it = object.find(key);
  if (it == object.end()) return fallback;
  if (!it->is_number()) Fail(pointer + "/" + key, "expected a number");
  return it->get<double>();
}

// LongWord gives the 32-bit word of a long property's bound or value, which may be read as signed or unsigned;
// anything outside both readings (or not a number at all) is refused rather than converted.
ULONG LongWord(double value, const std::string& pointer) {
  if (!(value >= -2147483648.0 && value <= 4294967295.0)) {
    Fail(pointer, "expected a whole number from -2147483648 to 4294967295");
  }
  return static_cast<ULONG>(static_cast<long long>(value));
}

ULONG Unsigned(const Json& value, const std::string& pointer) {
  if (!value.is_number_unsigned() || value.get<unsigned long long>() > 0xFFFFFFFFull) {
    Fail(pointer, "expected a whole number from 0 to 4294967295");
  }
  return static_cast<ULONG>(value.get<unsigned long long>());
}

std::vector<std::string> Texts(const Json& object, const char* key, const std::string& pointer) {
  std::vector<std::string> out;
  auto it = object.find(key);
  if (it == object.end()) return out;
  if (!it->is_array()) Fail(pointer + "/" + key, "expected an array of texts");
  for (std::size_t i = 0; i < it->size(); ++i) {
    if (!(*it)[i].is_string()) Fail(pointer + "/" + key + "/" + std::to_string(i), "expected a text");
    out.push_back((*it)[i].get<std::string>());
  }
  return out;
}

// Choice of an enum, ratio or ex-enum: a text, or {"text", "id", "data"}; ids default to the position + 1.
struct ChoiceSpec {
  std::string text;
  ULONG id = 0;
  std::int32_t data = 0;
};

ChoiceSpec ReadChoice(const Json& value, const std::string& pointer, ULONG position, bool withData) {
  ChoiceSpec choice;
  choice.id = position + 1;
  if (value.is_string()) {
    if (withData) Fail(pointer, "expected {\"text\", \"id\", \"data\"}");
    choice.text = value.get<std::string>();
    return choice;
  }
  if (!value.is_object()) Fail(pointer, "expected a text or an object");
  choice.text = Text(value, "text", pointer, true);
  auto id = value.find("id");
  if (id != value.end()) choice.id = Unsigned(*id, pointer + "/id");
  if (withData) {
    auto data = value.find("data");
    if (data == value.end() || !data->is_number_integer() || data->get<long long>() < INT32_MIN ||
        data->get<long long>() > INT32_MAX) {
      Fail(pointer + "/data", "expected a whole number (32-bit)");
    }
    choice.data = static_cast<std::int32_t>(data->get<long long>());
  }
  return choice;
}

std::vector<ChoiceSpec> ReadChoices(const Json& object, const std::string& pointer, bool withData) {
  auto it = object.find("choices");
  if (it == object.end() || !it->is_array() || it->empty()) Fail(pointer + "/choices", "expected a list of choices");
  std::vector<ChoiceSpec> out;
  for (std::size_t i = 0; i < it->size(); ++i) {
    out.push_back(ReadChoice((*it)[i], pointer + "/choices/" + std::to_string(i), static_cast<ULONG>(i), withData));
  }
  return out;
}

std::string DefaultText(const Json& object, const std::string& pointer) {
  auto it = object.find("default");
  if (it == object.end()) return "";
  if (it->is_string()) return it->get<std::string>();
  if (it->is_boolean()) return it->get<bool>() ? "TRUE" : "FALSE";
  if (it->is_number_integer()) return std::to_string(it->get<long long>());
  if (it->is_number()) {
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%.17g", it->get<double>());
    return buffer;
  }
  Fail(pointer + "/default", "expected a text, a number or true/false");
}

}  // namespace

Item* Panel::Impl::Find(const std::string& name) const {
  for (const auto& item : items_) {
    if (item->name == name) return item.get();
  }
  for (const auto& item : items_) {
    if (item->name.size() == name.size() &&
        std::equal(name.begin(), name.end(), item->name.begin(), [](char x, char y) {
          return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
        })) {
      return item.get();
    }
  }
  return nullptr;
}

void Panel::Impl::Build(const Json& d) {
  if (!d.is_object()) Fail("/", "a panel description is a JSON object");
  title_ = Text(d, "title", "", false, "Settings");
  version_ = Text(d, "version", "", false, "1");
  mediator_ = QRef<CQPropertyMediator>::Adopt(new CQPropertyMediator(nullptr));
  vault_ = QRef<CQPropertyVault>::Adopt(new CQPropertyVault(nullptr));
  std::vector<WCHAR> version = Utf16(version_);
  vault_->SetVersion(version.data());

  auto list = d.find("properties");
  if (list == d.end() || !list->is_array() || list->empty()) Fail("/properties", "expected a list of properties");
  std::set<ULONG> ids;
  std::map<Item*, std::vector<std::string>> sums;
  for (std::size_t i = 0; i < list->size(); ++i) {
    const Json& p = (*list)[i];
    const std::string at = "/properties/" + std::to_string(i);
    if (!p.is_object()) Fail(at, "expected an object");
    auto item = std::make_unique<Item>();
    item->owner = this;
    item->name = Text(p, "name", at, true);
    if (item->name.empty() || item->name.find('=') != std::string::npos) {
      Fail(at + "/name", "a name is not empty and holds no '='");
    }
    if (Find(item->name) != nullptr) Fail(at + "/name", "the name \"" + item->name + "\" is used twice");
    auto idIt = p.find("id");
    if (idIt == p.end()) Fail(at, "\"id\" is missing");
    item->id = Unsigned(*idIt, at + "/id");
    if (!ids.insert(item->id).second)
      Fail(at + "/id", "the property ID " + std::to_string(item->id) + " is used twice");
    const std::string kind = Text(p, "kind", at, true);
    const std::string description = Text(p, "description", at, false, item->name);
    ULONG group = 0;
    const std::string groupName = Text(p, "group", at, false);
    if (!groupName.empty()) {
      Item* g = Find(groupName);
      if (g == nullptr || g->kind != PropertyKind::kGroup) {
        Fail(at + "/group", "\"" + groupName + "\" is no group declared before this property");
      }
      group = g->id;
    }
    std::string def = DefaultText(p, at);
    const char* name = item->name.c_str();
    const char* desc = description.c_str();
    IQPropertyMediator* m = mediator_.get();
    if (kind == "long") {
      const double lo = Number(p, "min", at, 0);
      const double hi = Number(p, "max", at, 0);
      const bool isSigned = p.value("signed", false);
      const double dv = def.empty() ? lo : std::strtod(def.c_str(), nullptr);
      const ULONG min = LongWord(lo, at + "/min");
      const ULONG max = LongWord(hi, at + "/max");
      const ULONG value = LongWord(dv, at + "/default");
      item->property = QRef<IQProperty>::Adopt(new CQLongProperty(name, desc, group, item->id,
                                                                  isSigned ? kDataTypeInt32 : kDataTypeUInt32, value,
                                                                  value, min, max, nullptr, m));
    } else if (kind == "float") {
      const double lo = Number(p, "min", at, 0);
      const double hi = Number(p, "max", at, 0);
      const double dv = Number(p, "default", at, lo);
      auto f = QRef<CQFloatProperty>::Adopt(
          new CQFloatProperty(name, desc, group, item->id, kDataTypeDouble, dv, dv, lo, hi, nullptr, m));
      const double decimals = Number(p, "decimals", at, 2);
      if (!(decimals >= 0 && decimals <= 17)) Fail(at + "/decimals", "expected a whole number from 0 to 17");
      f->SetSignificantDigitAfterPoint(static_cast<ULONG>(decimals));
      item->property = f;
    } else if (kind == "bool") {
      const unsigned char dv = def == "TRUE" ? 1 : 0;
      item->property = QRef<IQProperty>::Adopt(new CQBoolProperty(name, desc, group, item->id, dv, dv, nullptr, m));
    } else if (kind == "text") {
      std::vector<WCHAR> dv = Utf16(def);
      item->property =
          QRef<IQProperty>::Adopt(new CQWStringProperty(name, desc, group, item->id, dv.data(), dv.data(), nullptr, m));
    } else if (kind == "group") {
      const ULONG state = def == "collapsed" ? 0 : 1;
      item->property = QRef<IQProperty>::Adopt(new CQGroupProperty(name, desc, group, item->id, 0, state, nullptr, m));
    } else if (kind == "enum" || kind == "ratio") {
      const std::vector<ChoiceSpec> choices = ReadChoices(p, at, false);
      long index = def.empty() ? 0 : -1;
      for (std::size_t k = 0; k < choices.size(); ++k) {
        if (choices[k].text == def) index = static_cast<long>(k);
      }
      if (index < 0) Fail(at + "/default", "\"" + def + "\" is none of the choices");
      if (kind == "enum") {
        auto e =
            QRef<CQEnumProperty>::Adopt(new CQEnumProperty(name, desc, group, item->id, nullptr, m, kDataTypeUInt32));
        for (const ChoiceSpec& c : choices) e->AddEnumString(c.text.c_str(), c.id);
        e->SetPropertyDefaultData(static_cast<ULONG>(index));
        item->property = e;
      } else {
        auto r = QRef<CQRatioProperty>::Adopt(new CQRatioProperty(name, desc, group, item->id, nullptr, m));
        for (const ChoiceSpec& c : choices) r->AddEnumString(c.text.c_str(), c.id);
        auto custom = p.find("custom");
        if (custom != p.end()) {
          const ChoiceSpec c = ReadChoice(*custom, at + "/custom", static_cast<ULONG>(choices.size()), false);
          r->AddEnumString(c.text.c_str(), c.id);
          r->SetCustomEnumId(c.id);
        }
        r->SetPropertyDefaultData(static_cast<ULONG>(index));
        item->property = r;
      }
    } else if (kind == "enum-long") {
      auto it = p.find("choices");
      if (it == p.end() || !it->is_array() || it->empty()) Fail(at + "/choices", "expected a list of numbers");
      auto e = QRef<CQEnumLongProperty>::Adopt(new CQEnumLongProperty(name, desc, group, item->id, nullptr, m));
      long index = def.empty() ? 0 : -1;
      for (std::size_t k = 0; k < it->size(); ++k) {
        const ULONG v = Unsigned((*it)[k], at + "/choices/" + std::to_string(k));
        e->AddEnumLongValue(v);
        if (std::to_string(v) == def) index = static_cast<long>(k);
      }
      if (index < 0) Fail(at + "/default", def + " is none of the choices");
      e->SetPropertyDefaultData(static_cast<ULONG>(index));
      item->property = e;
    } else if (kind == "ex-enum") {
      const std::vector<ChoiceSpec> choices = ReadChoices(p, at, true);
      ULONG customId = 0xFFFFFFFFu;
      ChoiceSpec custom;
      auto customIt = p.find("custom");
      if (customIt != p.end()) {
        custom = ReadChoice(*customIt, at + "/custom", static_cast<ULONG>(choices.size()), true);
        customId = custom.id;
      }
      auto x = QRef<CQExEnumProperty>::Adopt(
          new CQExEnumProperty(name, desc, group, item->id, customId, kDataTypeInt32, nullptr, m));
      auto add = [&x](const ChoiceSpec& c) {
        unsigned char bytes[4];
        std::memcpy(bytes, &c.data, sizeof(bytes));
        x->AddEnumStringAndSubData(c.text.c_str(), c.id, bytes, sizeof(bytes));
      };
      for (const ChoiceSpec& c : choices) add(c);
      if (customIt != p.end()) {
        add(custom);
        item->customDefault.resize(4);
        std::memcpy(item->customDefault.data(), &custom.data, 4);
      }
      if (def.empty()) def = choices.front().text;
      item->property = x;
    } else if (kind == "button") {
      auto b = QRef<CQCmdButtonProperty>::Adopt(
          new CQCmdButtonProperty(name, desc, group, item->id, kDataTypeUInt32, nullptr, m));
      item->action = Text(p, "action", at, true);
      if (item->action != "reset" && item->action != "estimate") {
        Fail(at + "/action", "expected \"reset\" or \"estimate\"");
      }
      sums[item.get()] = Texts(p, "sum", at);
      b->SetOnClickProc(&Impl::OnClick, item.get());
      item->property = b;
    } else {
      Fail(at + "/kind",
           "unknown kind \"" + kind + "\" (long, float, bool, text, enum, enum-long, ex-enum, ratio, group, button)");
    }
    item->kind = KindOf(item->property.get());
    item->defaultText = def;
    vault_->AddProperty(item->property.get());
    mediator_->RegisterProperty(item->property.get());
    items_.push_back(std::move(item));
    Item* added = items_.back().get();
    // Named constructors offered their first values to a mediator that did not know the property yet.
    if (added->kind == PropertyKind::kExEnum && FindChoiceText(added->property.get(), def) < 0) {
      Fail(at + "/default", "\"" + def + "\" is none of the choices");
    }
    ResetItem(added);
    // The default must be a value the property takes; a copy tries it, so the flags stay those of a reset.
    QRef<IQProperty> trial;
    if (!def.empty() && added->kind != PropertyKind::kButton &&
        (added->property->CloneProperty(trial.Put()) != kResultOk ||
         SetValueText(trial.get(), def, true) != kResultOk)) {
      Fail(at + "/default", "\"" + def + "\" is no value of this property (" + LimitsText(added->property.get()) + ")");
    }
    added->defaultText = ValueText(added->property.get());
  }
  for (auto& entry : sums) {
    for (const std::string& n : entry.second) {
      Item* s = Find(n);
      if (s == nullptr)
        Fail("/properties", "button \"" + entry.first->name + "\" sums an unknown property \"" + n + "\"");
      entry.first->sum.push_back(s);
    }
  }

  std::set<Item*> drivers;
  auto rules = d.find("rules");
  if (rules != d.end()) {
    if (!rules->is_array()) Fail("/rules", "expected a list of rules");
    for (std::size_t i = 0; i < rules->size(); ++i) {
      const Json& r = (*rules)[i];
      const std::string at = "/rules/" + std::to_string(i);
      if (!r.is_object()) Fail(at, "expected an object");
      auto item = [&](const char* key) {
        const std::string n = Text(r, key, at, true);
        Item* found = Find(n);
        if (found == nullptr) Fail(at + "/" + key, "no property is named \"" + n + "\"");
        return found;
      };
      Rule rule;
      if (r.contains("cap")) {
        rule.kind = RuleKind::kCap;
        rule.a = item("when");
        rule.b = item("cap");
        drivers.insert(rule.a);
      } else if (r.contains("set")) {
        rule.kind = RuleKind::kSet;
        rule.a = item("when");
        rule.b = item("set");
        rule.is = Texts(r, "is", at);
        rule.unless = Texts(r, "unless", at);
        rule.to = Text(r, "to", at, true);
        drivers.insert(rule.a);
      } else if (r.contains("limit")) {
        rule.kind = RuleKind::kLimit;
        rule.a = item("limit");
        rule.b = item("requires");
        rule.is = Texts(r, "is", at);
        rule.in = Texts(r, "in", at);
      } else if (r.contains("keep")) {
        rule.kind = RuleKind::kKeep;
        rule.a = item("keep");
        rule.b = item("width");
        rule.c = item("height");
        if (rule.a->kind != PropertyKind::kRatio) Fail(at + "/keep", "\"" + rule.a->name + "\" is no ratio");
        drivers.insert(rule.a);
        drivers.insert(rule.b);
        drivers.insert(rule.c);
      } else {
        Fail(at, "expected a rule with \"cap\", \"set\", \"limit\" or \"keep\"");
      }
      rules_.push_back(std::move(rule));
    }
  }
  for (Item* driver : drivers) {
    ULONG handle = 0;
    mediator_->RegisterDependency(driver->id, &Impl::OnDependency, driver, &handle);
    handles_.push_back(handle);
  }
  mediator_->RegisterDependencyNotifyCallback(&Impl::OnNotify, this);
}

void Panel::Impl::PlanFor(Item* item, IQProperty* proposed, std::vector<Planned>* plan) {
  auto current = [plan](Item* target) {
    for (const Planned& p : *plan) {
      if (p.item == target) return p.text;
    }
    return ValueText(target->property.get());
  };
  auto propose = [&](Item* target, const std::string& text) {
    if (target == item || current(target) == text) return;
    for (Planned& p : *plan) {
      if (p.item == target) {
        p.text = text;
        return;
      }
    }
    plan->push_back(Planned{target, text});
  };
  for (const Rule& rule : rules_) {
    switch (rule.kind) {
      case RuleKind::kCap: {
        double cap = 0;
        double value = 0;
        if (rule.a == item && NumberOf(proposed, &cap) && NumberOf(rule.b->property.get(), &value) && value > cap) {
          propose(rule.b, WholeNumber(cap));
        }
        break;
      }
      case RuleKind::kSet:
        if (rule.a == item && (rule.is.empty() || Matches(proposed, rule.is)) &&
            !Matches(rule.b->property.get(), rule.unless)) {
          propose(rule.b, rule.to);
        }
        break;
      case RuleKind::kLimit: break;
      case RuleKind::kKeep: {
        ULONG numerator = 0;
        ULONG denominator = 0;
        double width = 0;
        double height = 0;
        IQProperty* ratio = item == rule.a ? proposed : rule.a->property.get();
        if (!RatioOf(ratio, &numerator, &denominator)) break;
        if (item == rule.a || item == rule.b) {
          if (NumberOf(item == rule.b ? proposed : rule.b->property.get(), &width)) {
            propose(rule.c, std::to_string(EvenRound(width * denominator / numerator)));
          }
        } else if (item == rule.c && NumberOf(proposed, &height)) {
          propose(rule.b, std::to_string(EvenRound(height * numerator / denominator)));
        }
        break;
      }
    }
  }
}

ULONG Panel::Impl::Preview(Item* item, IQProperty* proposed, CModifiedPropIterator* iterator) {
  pending_.clear();
  std::vector<Planned> plan;
  PlanFor(item, proposed, &plan);
  for (const Planned& p : plan) {
    // The iterator records the live property and a copy holding the value it would take.
    QRef<IQProperty> copy;
    ULONG rc = p.item->property->CloneProperty(copy.Put());
    if (rc == kResultOk) rc = SetValueText(copy.get(), p.text, true);
    if (rc != kResultOk) {
      message_ = p.item->name + " would become " + p.text + " (" + LimitsText(p.item->property.get()) + ")";
      pending_.clear();
      return rc;
    }
    iterator->AddToList(p.item->property.get(), copy.get(), 0);
    pending_.push_back(p);
  }
  return kResultOk;
}

ULONG Panel::Impl::OnDependency(IQProperty* /*previous*/, IQProperty* current, CModifiedPropIterator* iterator,
                                void* user, enumPropChangeStatus status) {
  Item* item = static_cast<Item*>(user);
  Impl* self = item->owner;
  switch (status) {
    case ePropChangePreview: return self->Preview(item, current, iterator);
    case ePropChangeApply: {
      std::vector<Planned> pending = std::move(self->pending_);
      self->pending_.clear();
      for (const Planned& p : pending) {
        Change change{p.item->name, ValueText(p.item->property.get()), ""};
        const ULONG rc = SetValueText(p.item->property.get(), p.text, true);
        if (rc != kResultOk) return rc;
        change.after = ValueText(p.item->property.get());
        self->applied_.push_back(std::move(change));
      }
      return kResultOk;
    }
    case ePropChangeCancel: self->pending_.clear(); return kResultOk;
  }
  return kResultOk;
}

bool Panel::Impl::Allowed(CModifiedPropIterator* iterator) {
  // The proposed state: the changed property already holds its new value; the dependent values are the
  // copies recorded in the iterator during the preview.
  std::map<IQProperty*, QRef<IQProperty>> proposed;
  QRef<IQProperty> live;
  QRef<IQProperty> copy;
  ULONG status = 0;
  for (ULONG rc = iterator->GetFirstModifiedProperty(live.Put(), copy.Put(), &status); rc == kResultOk;
       rc = iterator->GetNextModifiedProperty(live.Put(), copy.Put(), &status)) {
    proposed[live.get()] = copy;
  }
  auto value = [&proposed](Item* item) {
    auto it = proposed.find(item->property.get());
    return it != proposed.end() ? it->second.get() : item->property.get();
  };
  for (const Rule& rule : rules_) {
    if (rule.kind == RuleKind::kCap) {
      double cap = 0;
      double number = 0;
      if (NumberOf(value(rule.a), &cap) && NumberOf(value(rule.b), &number) && number > cap) {
        message_ = rule.b->name + " " + ValueText(value(rule.b)) + " is above " + WholeNumber(cap) + ", the most " +
                   rule.a->name + " " + ValueText(value(rule.a)) + " allows";
        return false;
      }
    } else if (rule.kind == RuleKind::kLimit) {
      if (Matches(value(rule.a), rule.is) && !Matches(value(rule.b), rule.in)) {
        message_ = rule.a->name + " " + ValueText(value(rule.a)) + " needs " + rule.b->name + " " +
                   Joined(rule.in, " or ") + ", and " + rule.b->name + " is " + ValueText(value(rule.b));
        return false;
      }
    }
  }
  return true;
}

unsigned char Panel::Impl::OnNotify(IQProperty* /*previous*/, IQProperty* /*current*/, CModifiedPropIterator* iterator,
                                    void* user, ULONG stage) {
  if (stage != 0 || iterator == nullptr) return 1;
  return static_cast<Impl*>(user)->Allowed(iterator) ? 1 : 0;
}

ULONG Panel::Impl::OnClick(void* user) {
  Item* item = static_cast<Item*>(user);
  item->owner->RunAction(item);
  return kResultOk;
}

void Panel::Impl::RunAction(Item* item) {
  if (item->action == "reset") {
    for (const auto& each : items_) ResetItem(each.get());
    message_ = "every setting is back to its default";
    return;
  }
  double kbits = 0;
  std::vector<std::string> parts;
  for (PanelItem* s : item->sum) {
    double number = 0;
    if (NumberOf(s->property.get(), &number)) {
      kbits += number;
      parts.push_back(s->name + " " + WholeNumber(number));
    }
  }
  char buffer[160];
  std::snprintf(buffer, sizeof(buffer), "about %.1f MB per minute (%s kbit/s)", kbits * 60.0 / 8.0 / 1000.0,
                Joined(parts, " + ").c_str());
  message_ = buffer;
}

void Panel::Impl::ResetItem(Item* item) {
  if (item->kind == PropertyKind::kButton) return;
  if (item->kind == PropertyKind::kExEnum) {
    auto* x = static_cast<CQExEnumProperty*>(item->property.get());
    if (!item->customDefault.empty()) {
      x->SetDirectCustomData(item->customDefault.data(), static_cast<ULONG>(item->customDefault.size()));
    }
    SetValueText(x, item->defaultText, true);
    // As Reset does for the other classes: the value is the default, so it counts as not set.
    x->SetPropertyFlag(FlagsOf(x) & ~kFlagValueSet);
  } else {
    item->property->Reset();
  }
}

std::vector<std::string> Panel::Impl::Snapshot() const {
  std::vector<std::string> values;
  for (const auto& item : items_) values.push_back(ValueText(item->property.get()));
  return values;
}

std::vector<Panel::Change> Panel::Impl::Diff(const std::vector<std::string>& before) const {
  std::vector<Change> changes;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    std::string after = ValueText(items_[i]->property.get());
    if (after != before[i]) changes.push_back(Change{items_[i]->name, before[i], std::move(after)});
  }
  return changes;
}

std::string Panel::Impl::Explain(Item* item, const std::string& value, ULONG code) const {
  if (!message_.empty()) return message_;
  if (code == kResultInvalidArgument || code == kResultOutOfRange) {
    return "\"" + value + "\" is no value of " + item->name + " (" + LimitsText(item->property.get()) + ")";
  }
  return "";
}

Panel::Outcome Panel::Impl::Set(Item* item, const std::string& value) {
  Outcome outcome;
  pending_.clear();
  applied_.clear();
  message_.clear();
  const std::string before = ValueText(item->property.get());
  outcome.code =
      item->kind == PropertyKind::kButton ? kResultInvalidArgument : SetValueText(item->property.get(), value, false);
  if (outcome.code != kResultOk) {
    outcome.message = item->kind == PropertyKind::kButton ? item->name + " is a button: click it"
                                                          : Explain(item, value, outcome.code);
    return outcome;
  }
  outcome.changes.push_back(Change{item->name, before, ValueText(item->property.get())});
  for (Change& c : applied_) outcome.changes.push_back(std::move(c));
  applied_.clear();
  return outcome;
}

Panel::Panel(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Panel::~Panel() = default;

std::unique_ptr<Panel> Panel::FromJson(const std::string& text, DocumentError* error) {
  Json description;
  try {
    description = Json::parse(text);
  } catch (const Json::exception&) {
    *error = JsonErrorOf(text);
    return nullptr;
  }
  auto impl = std::make_unique<Impl>();
  try {
    impl->Build(description);
  } catch (const DescriptionError& e) {
    error->pointer = e.pointer.empty() ? "/" : e.pointer;
    error->message = e.message;
    return nullptr;
  } catch (const Json::exception& e) {
    error->pointer = "/";
    error->message = e.what();
    return nullptr;
  }
  return std::unique_ptr<Panel>(new Panel(std::move(impl)));
}

const std::string& Panel::Title() const { return impl_->title_; }
const std::string& Panel::Version() const { return impl_->version_; }
IQPropertyVault* Panel::Vault() const { return impl_->vault_.get(); }
std::size_t Panel::Count() const { return impl_->items_.size(); }
IQProperty* Panel::At(std::size_t index) const { return impl_->items_.at(index)->property.get(); }

IQProperty* Panel::Find(const std::string& name) const {
  Item* item = impl_->Find(name);
  return item != nullptr ? item->property.get() : nullptr;
}

std::string Panel::GroupName(ULONG groupId) const {
  if (groupId == 0) return "";
  for (const auto& item : impl_->items_) {
    if (item->kind == PropertyKind::kGroup && item->id == groupId) return item->name;
  }
  return "";
}

Panel::Outcome Panel::Set(const std::string& name, const std::string& value) {
  Item* item = impl_->Find(name);
  if (item == nullptr) return Outcome{kResultInvalidArgument, {}, "no property is named \"" + name + "\""};
  return impl_->Set(item, value);
}

Panel::Outcome Panel::Reset(const std::string& name) {
  Item* item = impl_->Find(name);
  if (item == nullptr) return Outcome{kResultInvalidArgument, {}, "no property is named \"" + name + "\""};
  return impl_->Set(item, item->defaultText);
}

std::vector<Panel::Change> Panel::ResetAll() {
  const std::vector<std::string> before = impl_->Snapshot();
  for (const auto& item : impl_->items_) impl_->ResetItem(item.get());
  return impl_->Diff(before);
}

Panel::Outcome Panel::Click(const std::string& name) {
  Item* item = impl_->Find(name);
  if (item == nullptr || item->kind != PropertyKind::kButton) {
    return Outcome{kResultInvalidArgument, {}, "no button is named \"" + name + "\""};
  }
  impl_->message_.clear();
  const std::vector<std::string> before = impl_->Snapshot();
  auto* button = static_cast<CQCmdButtonProperty*>(item->property.get());
  Outcome outcome;
  outcome.code = button->ButtonClicked(nullptr, nullptr);
  outcome.changes = impl_->Diff(before);
  outcome.message = impl_->message_;
  return outcome;
}

}  // namespace host
}  // namespace Quenneth
