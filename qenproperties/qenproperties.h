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

// Scalar properties.
#include "qenproperties/scalar/long_property.h"
#include "qenproperties/scalar/long_property_interface.h"

#endif  // QENPROPERTIES_QENPROPERTIES_H_
