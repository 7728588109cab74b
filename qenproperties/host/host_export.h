// host_export.h: QEN_HOST_API marks what the host kit's shared library exports.
//
// The host kit is built with hidden visibility; QENPROPERTIES_HOST_BUILDING is defined while it is compiled.
#ifndef QENPROPERTIES_HOST_HOST_EXPORT_H_
#define QENPROPERTIES_HOST_HOST_EXPORT_H_

#if defined(_WIN32)
#if defined(QENPROPERTIES_HOST_BUILDING)
#define QEN_HOST_API __declspec(dllexport)
#else
#define QEN_HOST_API __declspec(dllimport)
#endif
#else
#define QEN_HOST_API __attribute__((visibility("default")))
#endif

#endif  // QENPROPERTIES_HOST_HOST_EXPORT_H_
