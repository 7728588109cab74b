#include "qenproperties/frame/result_codes.h"

namespace Quenneth {

const char* ResultName(ULONG code) {
  switch (code) {
    case kResultOk: return "kResultOk";
    case kResultCapabilityUnknown: return "kResultCapabilityUnknown";
    case kResultNullPointer: return "kResultNullPointer";
    case kResultIndexOutOfRange: return "kResultIndexOutOfRange";
    case kResultInvalidArgument: return "kResultInvalidArgument";
    case kResultOutOfMemory: return "kResultOutOfMemory";
    case kResultStorageFailed: return "kResultStorageFailed";
    case kResultNotFound: return "kResultNotFound";
    case kResultNoInterface: return "kResultNoInterface";
    case kResultNoSelection: return "kResultNoSelection";
    case kResultOutOfRange: return "kResultOutOfRange";
    case kResultNotAvailable: return "kResultNotAvailable";
    case kResultPropertyMismatch: return "kResultPropertyMismatch";
    case kResultChangeRefused: return "kResultChangeRefused";
    case kResultAlreadyRegistered: return "kResultAlreadyRegistered";
    case kResultNotRegistered: return "kResultNotRegistered";
    case kResultUnreadablePreset: return "kResultUnreadablePreset";
    default: return "unknown result";
  }
}

}  // namespace Quenneth
