#pragma once

#include <QString>

// The platform's file name of a shared library built from target BaseName: "DeclSeek.dll" on
// Windows, "libDeclSeek.dylib" on macOS, "libDeclSeek.so" elsewhere.
inline QString LibraryFileName(const QString &BaseName)
{
#if defined(Q_OS_WIN)
    return BaseName + QStringLiteral(".dll");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("lib") + BaseName + QStringLiteral(".dylib");
#else
    return QStringLiteral("lib") + BaseName + QStringLiteral(".so");
#endif
}
