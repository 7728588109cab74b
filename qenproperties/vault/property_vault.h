// property_vault.h: CQPropertyVault, an ordered collection of properties with a version text.
//
// The vault holds one reference per element (the same object may stand in it more than once) and one on the
// services manager. It never reads the properties' values. Every look-up is a linear walk from the front, so
// the front-most of several matching elements is the one found.
//
//   QRef<CQPropertyVault> vault = QRef<CQPropertyVault>::Adopt(new CQPropertyVault(servicesManager));
//   vault->AddProperty(property);
//   QRef<IQProperty> found;
//   if (vault->GetPropertyInfoByID(5, found.Put()) == kResultOk) ...
//
// Locking: the changing operations hold the vault's recursive lock; look-ups, GetVersion and SetVersion take
// none, so a host must not change the vault on one thread while it looks it up on another.
#ifndef QENPROPERTIES_VAULT_PROPERTY_VAULT_H_
#define QENPROPERTIES_VAULT_PROPERTY_VAULT_H_

#include <vector>

#include "qenproperties/frame/export.h"
#include "qenproperties/frame/qref.h"
#include "qenproperties/frame/services_manager.h"
#include "qenproperties/internal/counted.h"
#include "qenproperties/internal/shared_text.h"
#include "qenproperties/vault/property_vault_interface.h"

namespace Quenneth {

class QEN_API CQPropertyVault : public detail::Counted<CQPropertyVault, IQPropertyVault> {
 public:
  // Empty, no version, count 1; one reference on a non-null services manager.
  explicit CQPropertyVault(IQServicesManager* servicesManager);
  CQPropertyVault(const CQPropertyVault&) = delete;
  CQPropertyVault& operator=(const CQPropertyVault&) = delete;

  // Answers IID_IQPropertyVault and IID_IQUnknown; anything else gives kResultNoInterface.
  ULONG QueryInterface(const _QGUID& iid, void** out) override;
  ULONG GetPropertyInfoCount(ULONG* count) override;
  ULONG GetPropertyInfoByIndex(ULONG index, IQProperty** out) override;
  ULONG GetPropertyInfoByID(ULONG id, IQProperty** out) override;
  ULONG GetPropertyInfoByName(const WCHAR* name, IQProperty** out) override;
  ULONG GetVersion(WCHAR* buffer, ULONG* length) override;

  virtual ~CQPropertyVault();
  // AddProperty appends with one reference; kResultInvalidArgument for null. When the sequence cannot grow,
  // std::bad_alloc passes to the caller (as from every allocation of the vault), with the vault unchanged and
  // no reference kept.
  virtual ULONG AddProperty(IQProperty* property);
  // RemovePropertyByID removes the front-most element with that ID; kResultOk whether or not one matched.
  virtual ULONG RemovePropertyByID(ULONG id);
  // RemovePropertyByIndex: kResultIndexOutOfRange for a position not less than the count.
  virtual ULONG RemovePropertyByIndex(ULONG index);
  // InsertProperty puts the property at `index`, or at the end when `index` is not less than the count;
  // kResultInvalidArgument for null.
  virtual ULONG InsertProperty(ULONG index, IQProperty* property);
  // ResetPropertyVault releases every element; the version stays.
  virtual ULONG ResetPropertyVault();
  // SetVersion copies a zero-terminated text (kResultNullPointer for null).
  virtual ULONG SetVersion(WCHAR* version);
  // As GetPropertyInfoByID, and `*index` gets the position found, or the element count on a miss. A null
  // `index` makes it exactly GetPropertyInfoByID.
  virtual ULONG GetPropertyInfoByIDWithIndex(ULONG id, IQProperty** out, ULONG* index);

  // The element at `index` without a reference added; null out of range.
  IQProperty* operator[](ULONG index);

 private:
  // FindByID gives the position of the front-most element with `id`, or the count.
  ULONG FindByID(ULONG id) const;
  // Place stands `property` at `index`, or at the end for an index not less than the count.
  ULONG Place(ULONG index, IQProperty* property);

  QRef<IQServicesManager> servicesManager_;
  std::vector<QRef<IQProperty>> properties_;
  // Null until SetVersion.
  detail::SharedText version_;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_VAULT_PROPERTY_VAULT_H_
