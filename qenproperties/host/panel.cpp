#include "qenproperties/host/panel.h"

#include <cstdio>
#include <map>
#include <new>
#include <utility>

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/group/cmd_button_property.h"
#include "qenproperties/host/internal/kind_support.h"
#include "qenproperties/host/internal/panel_impl.h"
#include "qenproperties/host/internal/value_grammar.h"
#include "qenproperties/host/query_as.h"
#include "qenproperties/host/text.h"
#include "qenproperties/mediator/modified_prop_iterator_interface.h"
#include "qenproperties/property/property_serializer.h"

namespace Quenneth {
namespace host {

using detail::Exact;
using detail::Fail;
using detail::Quoted;

namespace {

std::string NoProperty(const std::string& name) { return "no property is named " + Quoted(name); }

}  // namespace

// ---- building ---------------------------------------------------------------------------------------------

Panel::Impl::~Impl() {
  if (mediator_) {
    for (ULONG handle : handles_) mediator_->UnRegisterDependency(handle);
    mediator_->RegisterDependencyNotifyCallback(nullptr, nullptr);
    for (const auto& item : items_) mediator_->UnRegisterProperty(item->property.get());
  }
  if (vault_) vault_->ResetPropertyVault();
}

bool Panel::Impl::Build(detail::PanelDecl& decl, DocumentError* error) {
  title_ = decl.title;
  version_ = decl.version;
  mediator_ = QRef<CQPropertyMediator>::Adopt(new CQPropertyMediator(nullptr));
  vault_ = QRef<CQPropertyVault>::Adopt(new CQPropertyVault(nullptr));
  std::vector<WCHAR> version;
  if (!ToUtf16(version_, &version)) return Fail(error, "/version", "the version is no UTF-8 text");
  vault_->SetVersion(version.data());
  const PropertyKind* groupKind = KindNamed("group");
  std::vector<std::pair<Item*, PropertyDecl>> buttons;
  // Sized once: growing the indexes would place every name again and again, touching all of them each time.
  items_.reserve(decl.properties.size());
  byName_.Reserve(decl.properties.size());
  if (mediator_->Reserve(decl.properties.size()) != kResultOk) throw std::bad_alloc();
  std::vector<ULONG> ids;
  ids.reserve(decl.properties.size());
  for (std::size_t i = 0; i < decl.properties.size(); ++i) ids.push_back(decl.properties[i].id);
  const std::size_t sameId = byId_.Build(ids);
  for (std::size_t i = 0; i < decl.properties.size(); ++i) {
    PropertyDecl& property = decl.properties[i];
    const std::string& at = property.pointer;
    if (Item* same = Find(property.name)) {
      return Fail(error, at + "/name",
                  "the name " + Quoted(property.name) + " is already the name of " +
                      (same->name == property.name ? "" : "(but for letter case) ") + "/properties/" +
                      std::to_string(same->index));
    }
    if (i == sameId) {
      return Fail(error, at + "/id",
                  "the property ID " + std::to_string(property.id) + " is already the ID of /properties/" +
                      std::to_string(byId_.Find(property.id)));
    }
    if (!decl.groupNames[i].empty()) {
      const Item* group = Find(decl.groupNames[i]);
      if (group == nullptr || group->name != decl.groupNames[i] || group->kind != groupKind) {
        return Fail(error, at + "/group", Quoted(decl.groupNames[i]) + " is no group declared before this property");
      }
      property.group = group->id;
    }
    const PropertyKind* kind = KindNamed(property.kind);
    Built built;
    if (!kind->build(property, &built, error)) return false;
    auto item = std::make_unique<Item>();
    item->name = property.name;
    item->id = property.id;
    item->index = items_.size();
    item->kind = kind;
    item->property = built.property;
    item->range = built.range;
    item->owner = this;
    IQProperty* p = item->property.get();
    // The default counts as no value set by the user, as after the library's Reset.
    QRef<IQPropertySerializer> serializer = QueryAs<IQPropertySerializer>(p, IID_IQPropertySerializer);
    if (serializer) serializer->SetPropertyFlag(FlagsOf(p) & ~kFlagValueSet);
    item->defaultText = kind->valueText(p);
    item->defaultValue = item->Read();
    vault_->AddProperty(p);
    p->SetProperyMediator(mediator_.get());
    // Registered while the property's memory is still at hand: a second pass would find each one again.
    mediator_->RegisterProperty(p);
    byName_.Add(&item->name, item->index);
    if (auto* button = dynamic_cast<CQCmdButtonProperty*>(p)) {
      button->SetOnClickProc(&Impl::OnClick, item.get());
      buttons.emplace_back(item.get(), std::move(property));
    }
    items_.push_back(std::move(item));
    // The declarations read are freed as the build goes, so the properties made next take their memory.
    decl.properties.DropBefore(i + 1);
  }
  for (const auto& [button, declared] : buttons) {
    const PropertyDecl* property = &declared;
    const std::string at = property->pointer;
    button->action = property->action.value_or("");
    if (button->action != "reset" && button->action != "estimate") {
      return Fail(error, at + (property->action ? "/action" : ""),
                  "a button's \"action\" is \"reset\" or \"estimate\"");
    }
    if (property->sum && button->action != "estimate") return Fail(error, at + "/sum", "only an estimate sums");
    const std::vector<std::string> sum = property->sum.value_or(std::vector<std::string>());
    for (std::size_t k = 0; k < sum.size(); ++k) {
      Item* summed = Find(sum[k]);
      if (summed == nullptr || summed->name != sum[k] || summed->kind->number == nullptr) {
        return Fail(error, at + "/sum/" + std::to_string(k), Quoted(sum[k]) + " is no property with a number");
      }
      button->sum.push_back(summed);
    }
  }
  if (!rules_.Build(
          decl.rules, [this](const std::string& name) { return Find(name); }, error)) {
    return false;
  }
  for (Item* driver : rules_.Drivers()) {
    ULONG handle = 0;
    mediator_->RegisterDependency(driver->id, &Impl::OnDependency, driver, &handle);
    handles_.push_back(handle);
  }
  mediator_->RegisterDependencyNotifyCallback(&Impl::OnNotify, this);
  return true;
}

Panel::Impl::Item* Panel::Impl::Find(const std::string& name) const {
  const std::size_t at = byName_.Find(name);
  return at != detail::NameIndex::kNone ? items_[at].get() : nullptr;
}

// ---- the road of a change ---------------------------------------------------------------------------------

Panel::Change Panel::Impl::Record(const Item& item, const Exact& before, const Exact& after) {
  return Change{item.name, false, before.text, after.text, before.preset, after.preset, before.flags, after.flags};
}

ULONG Panel::Impl::Preview(Item* item, IQProperty* proposed, CModifiedPropIterator* iterator) {
  pending_.clear();
  std::vector<detail::Planned> plan;
  rules_.Plan(item, proposed, &plan);
  for (const detail::Planned& planned : plan) {
    // The iterator records the live property and a copy holding the value it would take.
    QRef<IQProperty> copy;
    std::string refusal;
    ULONG rc = planned.item->property->CloneProperty(copy.Put());
    if (rc == kResultOk) {
      rc = planned.item->kind->setText(copy.get(), planned.text, Store::kDirect, planned.item->Range(), &refusal);
    }
    if (rc != kResultOk) {
      message_ = "it would set " + planned.item->name + " to " + planned.text + ": " + refusal;
      pending_.clear();
      return rc;
    }
    iterator->AddToList(planned.item->property.get(), copy.get(), 0);
    pending_.push_back(planned);
  }
  return kResultOk;
}

ULONG Panel::Impl::Apply() {
  std::vector<detail::Planned> pending = std::move(pending_);
  pending_.clear();
  for (const detail::Planned& planned : pending) {
    const Exact before = planned.item->Read();
    std::string refusal;
    const ULONG rc = planned.item->kind->setText(planned.item->property.get(), planned.text, Store::kDirect,
                                                 planned.item->Range(), &refusal);
    if (rc != kResultOk) return rc;
    applied_.push_back(Record(*planned.item, before, planned.item->Read()));
    applied_.back().dependent = true;
  }
  return kResultOk;
}

ULONG Panel::Impl::OnDependency(IQProperty* /*previous*/, IQProperty* current, CModifiedPropIterator* iterator,
                                void* user, enumPropChangeStatus status) {
  auto* item = static_cast<Item*>(user);
  auto* self = static_cast<Impl*>(item->owner);
  switch (status) {
    case ePropChangePreview: return self->Preview(item, current, iterator);
    case ePropChangeApply: return self->Apply();
    case ePropChangeCancel: self->pending_.clear(); return kResultOk;
  }
  return kResultOk;
}

bool Panel::Impl::Allowed(CModifiedPropIterator* iterator) {
  // The state the edit would make: the changed property already holds its new value; the dependent values are
  // the copies the preview recorded in the iterator.
  std::map<IQProperty*, QRef<IQProperty>> proposed;
  QRef<IQProperty> live;
  QRef<IQProperty> copy;
  ULONG status = 0;
  for (ULONG rc = iterator->GetFirstModifiedProperty(live.Put(), copy.Put(), &status); rc == kResultOk;
       rc = iterator->GetNextModifiedProperty(live.Put(), copy.Put(), &status)) {
    proposed[live.get()] = copy;
  }
  std::string why;
  const int broken = rules_.Broken(
      [&proposed](const Item* item) {
        const auto it = proposed.find(item->property.get());
        return it != proposed.end() ? it->second.get() : item->property.get();
      },
      &why);
  if (broken < 0) return true;
  message_ = why;
  return false;
}

unsigned char Panel::Impl::OnNotify(IQProperty* /*previous*/, IQProperty* /*current*/, CModifiedPropIterator* iterator,
                                    void* user, ULONG stage) {
  if (stage != 0 || iterator == nullptr) return 1;
  return static_cast<Impl*>(user)->Allowed(iterator) ? 1 : 0;
}

Panel::Outcome Panel::Impl::SetItem(Item* item, const std::string& value) {
  Outcome outcome;
  pending_.clear();
  applied_.clear();
  message_.clear();
  const Exact before = item->Read();
  std::string refusal;
  outcome.code = item->kind->setText(item->property.get(), value, Store::kNotify, item->Range(), &refusal);
  if (outcome.code != kResultOk) {
    outcome.message = !refusal.empty() ? refusal : !message_.empty() ? message_ : "the change was refused";
    applied_.clear();
    return outcome;
  }
  outcome.changes.push_back(Record(*item, before, item->Read()));
  for (Change& change : applied_) outcome.changes.push_back(std::move(change));
  applied_.clear();
  return outcome;
}

// ---- buttons and resets -----------------------------------------------------------------------------------

std::vector<Exact> Panel::Impl::ReadAll() const {
  std::vector<Exact> values;
  values.reserve(items_.size());
  for (const auto& item : items_) values.push_back(item->Read());
  return values;
}

std::vector<Panel::Change> Panel::Impl::Diff(const std::vector<Exact>& before) const {
  std::vector<Change> changes;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const Exact after = items_[i]->Read();
    if (after.preset != before[i].preset || after.flags != before[i].flags) {
      changes.push_back(Record(*items_[i], before[i], after));
    }
  }
  return changes;
}

void Panel::Impl::ResetEverything() {
  for (const auto& item : items_) {
    std::string refusal;
    item->Put(item->defaultValue, &refusal);
  }
}

ULONG Panel::Impl::OnClick(void* user) {
  const auto* item = static_cast<const Item*>(user);
  static_cast<Impl*>(item->owner)->RunAction(*item);
  return kResultOk;
}

void Panel::Impl::RunAction(const Item& button) {
  if (button.action == "reset") {
    ResetEverything();
    message_ = "every setting is back to its default";
    return;
  }
  double kbits = 0;
  std::string parts;
  for (const Item* summed : button.sum) {
    double number = 0;
    if (!summed->kind->number(summed->property.get(), &number)) continue;
    kbits += number;
    parts += (parts.empty() ? "" : " + ") + summed->name + " " + detail::FormatShortest(number);
  }
  char minute[64];
  std::snprintf(minute, sizeof minute, "%.1f", kbits * 60.0 / 8.0 / 1000.0);
  message_ = std::string("about ") + minute + " MB per minute (" + parts + " kbit/s)";
}

// ---- Panel ------------------------------------------------------------------------------------------------

Panel::Panel(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Panel::~Panel() = default;

std::unique_ptr<Panel> Panel::FromJson(const std::string& text, DocumentError* error) {
  detail::PanelDecl decl;
  if (!detail::ReadPanelDescription(text, detail::JsonBounds{}, &decl, error)) return nullptr;
  auto impl = std::make_unique<Impl>();
  if (!impl->Build(decl, error)) return nullptr;
  return std::unique_ptr<Panel>(new Panel(std::move(impl)));
}

const std::string& Panel::Title() const { return impl_->title_; }
const std::string& Panel::Version() const { return impl_->version_; }
IQPropertyVault* Panel::Vault() const { return impl_->vault_.get(); }
std::size_t Panel::Count() const { return impl_->items_.size(); }
IQProperty* Panel::At(std::size_t index) const { return impl_->items_.at(index)->property.get(); }

IQProperty* Panel::Find(const std::string& name) const {
  Impl::Item* item = impl_->Find(name);
  return item != nullptr ? item->property.get() : nullptr;
}

std::string Panel::GroupName(ULONG groupId) const {
  const std::size_t at = impl_->byId_.Find(groupId);
  if (groupId == 0 || at == detail::IdIndex::kNone || impl_->items_[at]->kind != KindNamed("group")) return "";
  return impl_->items_[at]->name;
}

Limits Panel::LimitsAt(std::size_t index) const {
  const Impl::Item& item = *impl_->items_.at(index);
  return item.kind->limits(item.property.get(), item.Range());
}

const std::string& Panel::DefaultAt(std::size_t index) const { return impl_->items_.at(index)->defaultText; }

Panel::Outcome Panel::Set(const std::string& name, const std::string& value) {
  Impl::Item* item = impl_->Find(name);
  if (item == nullptr) return Outcome{kResultInvalidArgument, {}, NoProperty(name)};
  return impl_->Remember(impl_->SetItem(item, value));
}

Panel::Outcome Panel::Set(const std::vector<Assignment>& assignments) {
  Outcome done;
  for (const Assignment& assignment : assignments) {
    Impl::Item* item = impl_->Find(assignment.name);
    Outcome outcome = item != nullptr ? impl_->SetItem(item, assignment.value)
                                      : Outcome{kResultInvalidArgument, {}, NoProperty(assignment.name)};
    if (outcome.code != kResultOk) {
      Restore(done.changes, true);
      outcome.message = assignment.name + "=" + assignment.value + ": " + outcome.message +
                        (done.changes.empty() ? "" : "; nothing was applied");
      return outcome;
    }
    for (Change& change : outcome.changes) done.changes.push_back(std::move(change));
  }
  return impl_->Remember(std::move(done));
}

Panel::Outcome Panel::Reset(const std::string& name) {
  Impl::Item* item = impl_->Find(name);
  if (item == nullptr) return Outcome{kResultInvalidArgument, {}, NoProperty(name)};
  Outcome outcome = impl_->SetItem(item, item->defaultText);
  if (outcome.code == kResultOk) {
    // Back at its default, the value counts as not set by the user again.
    QRef<IQPropertySerializer> serializer = QueryAs<IQPropertySerializer>(item->property, IID_IQPropertySerializer);
    const ULONG flags = FlagsOf(item->property.get());
    if (serializer) serializer->SetPropertyFlag((flags & ~kFlagValueSet) | (item->defaultValue.flags & kFlagValueSet));
    outcome.changes.front().afterFlags = FlagsOf(item->property.get());
  }
  return impl_->Remember(std::move(outcome));
}

Panel::Outcome Panel::ResetAll() {
  const std::vector<Exact> before = impl_->ReadAll();
  impl_->ResetEverything();
  return impl_->Remember(Outcome{kResultOk, impl_->Diff(before), ""});
}

Panel::Outcome Panel::Click(const std::string& name) {
  Impl::Item* item = impl_->Find(name);
  auto* button = item != nullptr ? dynamic_cast<CQCmdButtonProperty*>(item->property.get()) : nullptr;
  if (button == nullptr) return Outcome{kResultInvalidArgument, {}, "no button is named " + Quoted(name)};
  impl_->message_.clear();
  const std::vector<Exact> before = impl_->ReadAll();
  Outcome outcome;
  outcome.code = button->ButtonClicked(nullptr, nullptr);
  outcome.changes = impl_->Diff(before);
  outcome.message = impl_->message_;
  return impl_->Remember(std::move(outcome));
}

Panel::Outcome Panel::Restore(const std::vector<Change>& changes, bool before) {
  Outcome outcome;
  for (std::size_t k = 0; k < changes.size(); ++k) {
    const Change& change = changes[before ? changes.size() - 1 - k : k];
    Impl::Item* item = impl_->Find(change.name);
    if (item == nullptr || item->name != change.name) {
      return Outcome{kResultInvalidArgument, std::move(outcome.changes), NoProperty(change.name)};
    }
    const Exact current = item->Read();
    const Exact target = before ? Exact{change.before, change.beforePreset, change.beforeFlags}
                                : Exact{change.after, change.afterPreset, change.afterFlags};
    std::string refusal;
    const ULONG rc = item->Put(target, &refusal);
    if (rc != kResultOk) return Outcome{rc, std::move(outcome.changes), refusal};
    outcome.changes.push_back(Impl::Record(*item, current, item->Read()));
    outcome.changes.back().dependent = change.dependent;
  }
  return outcome;
}

}  // namespace host
}  // namespace Quenneth
