// interface_ids.h: the identifiers that QueryInterface compares against.
#ifndef QENPROPERTIES_FRAME_INTERFACE_IDS_H_
#define QENPROPERTIES_FRAME_INTERFACE_IDS_H_

#include "qenproperties/frame/export.h"
#include "qenproperties/frame/types.h"

namespace Quenneth {

QEN_API extern const _QGUID IID_IQUnknown;
QEN_API extern const _QGUID IID_IQProperty;
QEN_API extern const _QGUID IID_IQPropertySerializer;
QEN_API extern const _QGUID IID_IQPropertyAdvanced;
QEN_API extern const _QGUID IID_IQOptionalProperty;
QEN_API extern const _QGUID IID_IQLongProperty;
QEN_API extern const _QGUID IID_IQFloatProperty;
QEN_API extern const _QGUID IID_IQBoolProperty;
QEN_API extern const _QGUID IID_IQWStringProperty;
QEN_API extern const _QGUID IID_IQEnumProperty;
QEN_API extern const _QGUID IID_IQEnumLongProperty;
QEN_API extern const _QGUID IID_IQExEnumProperty;
QEN_API extern const _QGUID IID_IQRatioProperty;
QEN_API extern const _QGUID IID_IQGroupProperty;
QEN_API extern const _QGUID IID_IQCmdButtonProperty;
QEN_API extern const _QGUID IID_IQPropertyVault;
QEN_API extern const _QGUID IID_IQPropertyMediator;

}  // namespace Quenneth

#endif  // QENPROPERTIES_FRAME_INTERFACE_IDS_H_
