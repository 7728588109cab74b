// socket_options.h: the options of the server's listening socket.
#ifndef QENPROPERTIES_SERVER_INTERNAL_SOCKET_OPTIONS_H_
#define QENPROPERTIES_SERVER_INTERNAL_SOCKET_OPTIONS_H_

namespace Quenneth {
namespace server {
namespace detail {

// ExclusiveAddress sets SO_REUSEADDR (a restarted server binds its port again at once) but not SO_REUSEPORT,
// which the HTTP library sets by default and which lets a second server bind a port that is in use, silently
// sharing its connections. `socket` is the platform's socket handle.
void ExclusiveAddress(long long socket);

}  // namespace detail
}  // namespace server
}  // namespace Quenneth

#endif  // QENPROPERTIES_SERVER_INTERNAL_SOCKET_OPTIONS_H_
