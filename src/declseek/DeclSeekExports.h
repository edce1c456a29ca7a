#pragma once

#include <QtGui/qwindowdefs.h>

// The calling convention of the library's exports: stdcall where the platform has one.
#if defined(Q_OS_WIN)
#define DECLSEEK_STDCALL __stdcall
#else
#define DECLSEEK_STDCALL
#endif

// What a host looks up by name ("ShowDllModalForm", "ShowDllForm") and calls on its user-interface
// thread with the native handle of its application window.
using TShowDllFormProc = void(DECLSEEK_STDCALL *)(WId AppHandle);
