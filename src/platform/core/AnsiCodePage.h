#pragma once

#include <QByteArray>
#include <QString>

// The system's ANSI code page, both directions. On Windows it is the code page Windows uses for
// non-Unicode text; elsewhere it is named by one setting (environment variable
// TALVIK_ANSI_CODEPAGE, or SetName), GBK (CP936) by default. Characters the code page cannot
// represent become its replacement character "?"; bytes it cannot read become U+FFFD.
namespace AnsiCodePage {
QByteArray Name();
void SetName(const QByteArray &name); // empty restores the default
bool IsAvailable();                   // the named code page can be converted on this build
QByteArray FromUnicode(const QString &text);
QString ToUnicode(const QByteArray &bytes);
} // namespace AnsiCodePage
