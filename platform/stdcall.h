// Calling convention and export markers of the host's binary interface.
// The host calls 32-bit Windows libraries with stdcall; on POSIX there is
// one convention and the markers only set symbol visibility.
#pragma once

#if defined(_WIN32) && !defined(_WIN64)
#define DT_STDCALL __stdcall
#else
#define DT_STDCALL
#endif

#if defined(_WIN32)
#define DT_EXPORT __declspec(dllexport)
#else
#define DT_EXPORT __attribute__((visibility("default")))
#endif

// The OLE strings library's own functions: exported while it is built,
// imported by everyone else.
#if defined(DT_BUILDING_OLEAUT)
#define DT_OLE_API DT_EXPORT
#elif defined(_WIN32)
#define DT_OLE_API __declspec(dllimport)
#else
#define DT_OLE_API
#endif
