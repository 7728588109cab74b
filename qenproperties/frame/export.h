// export.h: QEN_API marks what the shared library exports.
//
// The library is built with hidden visibility; only the classes, interfaces, free functions and constants a
// host uses carry QEN_API. QENPROPERTIES_BUILDING is defined while the library itself is compiled.
#ifndef QENPROPERTIES_FRAME_EXPORT_H_
#define QENPROPERTIES_FRAME_EXPORT_H_

#if defined(_WIN32)
#if defined(QENPROPERTIES_BUILDING)
#define QEN_API __declspec(dllexport)
#else
#define QEN_API __declspec(dllimport)
#endif
#else
#define QEN_API __attribute__((visibility("default")))
#endif

#endif  // QENPROPERTIES_FRAME_EXPORT_H_
