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

// QEN_LOCAL keeps a private member of an exported class (a nested helper type, a member template) out of the
// export table: on Linux such members would inherit the class's visibility, on Windows they are not exported.
#if defined(_WIN32)
#define QEN_LOCAL
#else
#define QEN_LOCAL __attribute__((visibility("hidden")))
#endif

#endif  // QENPROPERTIES_FRAME_EXPORT_H_
