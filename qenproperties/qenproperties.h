// qenproperties.h: the umbrella header; declares everything public.
#ifndef QENPROPERTIES_QENPROPERTIES_H_
#define QENPROPERTIES_QENPROPERTIES_H_

// Frame: types, result codes, identifiers, host interfaces, start-up.
#include "qenproperties/frame/export.h"
#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/library.h"
#include "qenproperties/frame/optional_property.h"
#include "qenproperties/frame/property_mediator_interface.h"
#include "qenproperties/frame/qref.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/frame/services_manager.h"
#include "qenproperties/frame/types.h"
#include "qenproperties/frame/unknown.h"

// Base property and advanced attributes.
#include "qenproperties/property/property.h"
#include "qenproperties/property/property_advanced.h"
#include "qenproperties/property/property_advanced_interface.h"
#include "qenproperties/property/property_interface.h"
#include "qenproperties/property/property_serializer.h"

// Change propagation.
#include "qenproperties/mediator/modified_prop_iterator.h"
#include "qenproperties/mediator/modified_prop_iterator_interface.h"
#include "qenproperties/mediator/property_mediator.h"

// Property collection.
#include "qenproperties/vault/property_vault.h"
#include "qenproperties/vault/property_vault_interface.h"

// Scalar properties.
#include "qenproperties/scalar/bool_property.h"
#include "qenproperties/scalar/bool_property_interface.h"
#include "qenproperties/scalar/float_property.h"
#include "qenproperties/scalar/float_property_interface.h"
#include "qenproperties/scalar/long_property.h"
#include "qenproperties/scalar/long_property_interface.h"
#include "qenproperties/scalar/wstring_property.h"
#include "qenproperties/scalar/wstring_property_interface.h"

// Enumerated properties.
#include "qenproperties/enum/enum_long_property.h"
#include "qenproperties/enum/enum_long_property_interface.h"
#include "qenproperties/enum/enum_property.h"
#include "qenproperties/enum/enum_property_interface.h"
#include "qenproperties/enum/ex_enum_property.h"
#include "qenproperties/enum/ex_enum_property_interface.h"
#include "qenproperties/enum/ratio_property.h"
#include "qenproperties/enum/ratio_property_interface.h"

// Group and command properties.
#include "qenproperties/group/cmd_button_property.h"
#include "qenproperties/group/cmd_button_property_interface.h"
#include "qenproperties/group/group_property.h"
#include "qenproperties/group/group_property_interface.h"

#endif  // QENPROPERTIES_QENPROPERTIES_H_
