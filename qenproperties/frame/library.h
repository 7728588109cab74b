// library.h: start-up and shut-down of the library.
#ifndef QENPROPERTIES_FRAME_LIBRARY_H_
#define QENPROPERTIES_FRAME_LIBRARY_H_

#include "qenproperties/frame/export.h"
#include "qenproperties/frame/services_manager.h"

namespace Quenneth {

// InitializeQENProperties acquires the host's "Quen Memory Service" once, before any object is created.
// Returns AcquireService's result; returns kResultOk and does nothing when `servicesManager` is null or the
// service is already held. Call it while no other thread uses the library.
QEN_API ULONG InitializeQENProperties(IQServicesManager* servicesManager);

// TerminateQENProperties gives the memory service back through ReleaseService (whose result is ignored) after
// the last object is released. Does nothing when `servicesManager` is null or no service is held; the services
// manager is expected to clear the service pointer.
QEN_API void TerminateQENProperties(IQServicesManager* servicesManager);

}  // namespace Quenneth

#endif  // QENPROPERTIES_FRAME_LIBRARY_H_
