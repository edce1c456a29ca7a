#pragma once

#include <QString>

// Text on the community's pages.
namespace HtmlText {
// Plain text (names, dates, file names) made safe for an element or a quoted attribute.
QString Escape(const QString &plain);
// A member's text as the client sends it, already HTML-escaped ("&amp;", "&lt;", "&gt;",
// "&quot;", "&nbsp;", "<br>"). Those pass unchanged, numeric character references too; every
// other "<", ">", "&", quote is escaped, so no markup from one member reaches another's page.
QString MemberText(const QString &escaped);
} // namespace HtmlText
