#include "qenproperties/host/internal/panel_rules.h"

#include <cmath>

#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/internal/kind_support.h"
#include "qenproperties/host/internal/value_grammar.h"

namespace Quenneth {
namespace host {
namespace detail {
namespace {

// EvenRound rounds to the nearest even number, as video sizes are.
long long EvenRound(double value) { return 2 * std::llround(value / 2); }

double Number(const PanelItem* item, IQProperty* value, bool* has) {
  double number = 0;
  *has = item->kind->number != nullptr && item->kind->number(value, &number);
  return number;
}

}  // namespace

bool PanelRules::Matches(const PanelItem* item, IQProperty* value, const std::vector<std::string>& list) {
  const std::string text = item->kind->choiceText(value);
  for (const std::string& entry : list) {
    if (entry == text) return true;
  }
  return false;
}

bool PanelRules::Build(const std::vector<RuleDecl>& decls, const Lookup& lookup, DocumentError* error) {
  rules_.clear();
  for (const RuleDecl& decl : decls) {
    Rule rule;
    rule.type = decl.type;
    rule.pointer = decl.pointer;
    bool ok = true;
    auto item = [&](const char* key) -> PanelItem* {
      if (!ok) return nullptr;
      const std::string& name = decl.Named(key);
      PanelItem* found = lookup(name);
      if (found == nullptr || found->name != name) {
        ok = Fail(error, decl.pointer + "/" + key, "no property is named " + Quoted(name));
      } else if (!found->kind->keepsPreset) {
        ok = Fail(error, decl.pointer + "/" + key, Quoted(name) + " has no value for a rule to follow or set");
      }
      return ok ? found : nullptr;
    };
    // Canonical reads a value the rule names on a copy of its property: its choice text (or value text).
    auto canonical = [&](const PanelItem* owner, const std::string& text, const std::string& pointer,
                         bool choice) -> std::string {
      if (!ok) return "";
      QRef<IQProperty> copy;
      std::string refusal;
      ULONG rc = owner->property->CloneProperty(copy.Put());
      if (rc == kResultOk) rc = owner->kind->setText(copy.get(), text, Store::kDirect, owner->Range(), &refusal);
      if (rc != kResultOk) {
        ok = Fail(error, pointer, refusal.empty() ? Quoted(text) + " is no value of " + owner->name : refusal);
        return "";
      }
      return choice ? owner->kind->choiceText(copy.get()) : owner->kind->valueText(copy.get());
    };
    auto list = [&](const PanelItem* owner, const std::vector<std::string>& texts, const char* key) {
      std::vector<std::string> out;
      for (std::size_t i = 0; i < texts.size(); ++i) {
        out.push_back(canonical(owner, texts[i], decl.pointer + "/" + key + "/" + std::to_string(i), true));
      }
      return out;
    };
    auto number = [&](PanelItem* owner, const char* key, const char* what) {
      if (ok && owner->kind->number == nullptr) {
        ok = Fail(error, decl.pointer + "/" + key, Quoted(owner->name) + " has no number " + what);
      }
    };
    switch (decl.type) {
      case RuleDecl::Type::kCap:
        rule.a = item("when");
        rule.b = item("cap");
        if (rule.a != nullptr) number(rule.a, "when", "to cap another with");
        if (rule.b != nullptr) number(rule.b, "cap", "to cap");
        break;
      case RuleDecl::Type::kSet:
        rule.a = item("when");
        rule.b = item("set");
        if (rule.a != nullptr) rule.is = list(rule.a, decl.is, "is");
        if (rule.b != nullptr) {
          rule.unless = list(rule.b, decl.unless, "unless");
          rule.to = canonical(rule.b, *decl.to, decl.pointer + "/to", false);
        }
        break;
      case RuleDecl::Type::kLimit:
        rule.a = item("limit");
        rule.b = item("requires");
        if (rule.a != nullptr) rule.is = list(rule.a, decl.is, "is");
        if (rule.b != nullptr) rule.in = list(rule.b, decl.in, "in");
        break;
      case RuleDecl::Type::kKeep:
        rule.a = item("keep");
        rule.b = item("width");
        rule.c = item("height");
        if (ok && rule.a->kind->ratio == nullptr)
          ok = Fail(error, decl.pointer + "/keep", Quoted(rule.a->name) + " is no ratio");
        if (rule.b != nullptr) number(rule.b, "width", "for a width");
        if (rule.c != nullptr) number(rule.c, "height", "for a height");
        break;
    }
    if (!ok) return false;
    rules_.push_back(std::move(rule));
  }
  std::string why;
  const int broken = Broken([](const PanelItem* item) { return item->property.get(); }, &why);
  if (broken >= 0)
    return Fail(error, rules_[static_cast<std::size_t>(broken)].pointer, "the defaults break this rule: " + why);
  return true;
}

std::vector<PanelItem*> PanelRules::Drivers() const {
  std::vector<PanelItem*> drivers;
  auto add = [&drivers](PanelItem* item) {
    for (PanelItem* d : drivers) {
      if (d == item) return;
    }
    drivers.push_back(item);
  };
  for (const Rule& rule : rules_) {
    if (rule.type == RuleDecl::Type::kCap || rule.type == RuleDecl::Type::kSet) add(rule.a);
    if (rule.type == RuleDecl::Type::kKeep) {
      add(rule.a);
      add(rule.b);
      add(rule.c);
    }
  }
  return drivers;
}

void PanelRules::Plan(const PanelItem* item, IQProperty* proposed, std::vector<Planned>* plan) const {
  auto propose = [&](PanelItem* target, std::string text) {
    if (target == item) return;
    for (Planned& p : *plan) {
      if (p.item == target) {
        p.text = std::move(text);
        return;
      }
    }
    if (target->kind->valueText(target->property.get()) == text) return;
    plan->push_back(Planned{target, std::move(text)});
  };
  bool has = false;
  bool other = false;
  for (const Rule& rule : rules_) {
    switch (rule.type) {
      case RuleDecl::Type::kCap: {
        if (rule.a != item) break;
        const double cap = Number(rule.a, proposed, &has);
        const double value = Number(rule.b, rule.b->property.get(), &other);
        if (has && other && value > cap) propose(rule.b, FormatShortest(cap));
        break;
      }
      case RuleDecl::Type::kSet:
        if (rule.a == item && (rule.is.empty() || Matches(rule.a, proposed, rule.is)) &&
            !Matches(rule.b, rule.b->property.get(), rule.unless)) {
          propose(rule.b, rule.to);
        }
        break;
      case RuleDecl::Type::kLimit: break;
      case RuleDecl::Type::kKeep: {
        ULONG n = 0;
        ULONG d = 0;
        IQProperty* ratio = item == rule.a ? proposed : rule.a->property.get();
        if (item != rule.a && item != rule.b && item != rule.c) break;
        if (!rule.a->kind->ratio(ratio, &n, &d)) break;
        if (item == rule.a || item == rule.b) {
          const double width = Number(rule.b, item == rule.b ? proposed : rule.b->property.get(), &has);
          if (has) propose(rule.c, std::to_string(EvenRound(width * d / n)));
        } else {
          const double height = Number(rule.c, proposed, &has);
          if (has) propose(rule.b, std::to_string(EvenRound(height * n / d)));
        }
        break;
      }
    }
  }
}

std::string PanelRules::Why(const Rule& rule, const ValueOf& value) const {
  IQProperty* a = value(rule.a);
  IQProperty* b = value(rule.b);
  const std::string aText = rule.a->name + " " + rule.a->kind->valueText(a);
  if (rule.type == RuleDecl::Type::kCap) {
    bool has = false;
    const double cap = Number(rule.a, a, &has);
    return rule.b->name + " " + rule.b->kind->valueText(b) + " is above " + FormatShortest(cap) + ", the most " +
           aText + " allows";
  }
  return aText + " needs " + rule.b->name + " " + Joined(rule.in, " or ") + ", and " + rule.b->name + " is " +
         rule.b->kind->valueText(b);
}

int PanelRules::Broken(const ValueOf& value, std::string* why) const {
  for (std::size_t i = 0; i < rules_.size(); ++i) {
    const Rule& rule = rules_[i];
    bool broken = false;
    if (rule.type == RuleDecl::Type::kCap) {
      bool has = false;
      bool other = false;
      const double cap = Number(rule.a, value(rule.a), &has);
      const double number = Number(rule.b, value(rule.b), &other);
      broken = has && other && number > cap;
    } else if (rule.type == RuleDecl::Type::kLimit) {
      broken = Matches(rule.a, value(rule.a), rule.is) && !Matches(rule.b, value(rule.b), rule.in);
    }
    if (broken) {
      *why = Why(rule, value);
      return static_cast<int>(i);
    }
  }
  return -1;
}

bool PanelRules::Mend(int index, PanelItem** moved, std::string* how, std::vector<PanelItem*>* restore) const {
  const Rule& rule = rules_[static_cast<std::size_t>(index)];
  if (rule.type == RuleDecl::Type::kCap) {
    bool has = false;
    const std::string cap = FormatShortest(Number(rule.a, rule.a->property.get(), &has));
    std::string refusal;
    if (rule.b->kind->setText(rule.b->property.get(), cap, Store::kDirect, rule.b->Range(), &refusal) == kResultOk) {
      *moved = rule.b;
      *how = "lowered to " + rule.b->kind->valueText(rule.b->property.get());
      return true;
    }
    *restore = {rule.b, rule.a};
    return false;
  }
  *restore = {rule.a, rule.b};
  return false;
}

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
