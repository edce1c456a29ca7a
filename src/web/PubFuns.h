#pragma once

#include <QString>

// HTML escaping of member-typed text for the community's pages.
QString HtmlEncode(const QString &Text);
QString TextToHtml(const QString &Text, bool MakeLink);
// A server notice wrapped in a small page (red 宋体, 12 pixels); the text itself may hold HTML.
QString MessageHtml(const QString &Text);
// Opens an address with the system's default handler (browser, mail program).
void ShellOpen(const QString &Address);
// The time of day of a count of seconds since 1970-01-01 00:00, as "hh:mm:ss".
QString SecondsToTimeStr(int Seconds);
