#include "qenproperties/server/internal/socket_options.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace Quenneth {
namespace server {
namespace detail {

void ExclusiveAddress(long long socket) {
#ifdef _WIN32
  // Windows has exclusive use as an option of its own; SO_REUSEADDR there would allow stealing the port.
  BOOL yes = TRUE;
  setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes),
             sizeof(yes));
#else
  int yes = 1;
  setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
#endif
}

}  // namespace detail
}  // namespace server
}  // namespace Quenneth
