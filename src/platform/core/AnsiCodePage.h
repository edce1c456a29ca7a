#pragma once

#include <QByteArray>
#include <QString>

// The system's ANSI code page, both directions, named by one setting (environment variable
// TALVIK_ANSI_CODEPAGE, or SetName): by default on Windows "System", the code page Windows uses
// for non-Unicode text, and elsewhere GBK (CP936). Characters the code page cannot represent
// become its replacement character "?"; bytes it cannot read become U+FFFD, except an incomplete
// multi-byte sequence at the very end of a text, which is dropped.
namespace AnsiCodePage {
QByteArray Name();
void SetName(const QByteArray &name); // empty restores the default
bool IsAvailable();                   // the named code page can be converted on this build
QByteArray FromUnicode(const QString &text);
QString ToUnicode(const QByteArray &bytes);
} // namespace AnsiCodePage
