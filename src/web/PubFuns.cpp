#include "PubFuns.h"

#include "MessageBox.h"

#include <initializer_list>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Replaces every occurrence of each character in turn; the order decides what is escaped again.
QString ReplaceInOrder(QString text, std::initializer_list<std::pair<QChar, QStringView>> replacements)
{
    for (const auto &[from, to] : replacements)
        text.replace(from, to.toString());
    return text;
}

QString MakeLinks(const QString &Text)
{
    static const QString scheme = u"http://"_s;
    static const QString blank = u"&nbsp;"_s;
    QString result;
    QString rest = Text;
    for (qsizetype p; (p = rest.indexOf(scheme, 0, Qt::CaseInsensitive)) >= 0;) {
        result += rest.left(p);
        rest = rest.mid(p);
        qsizetype q = rest.indexOf(blank);
        if (q < 0)
            q = rest.size();
        const QString link = rest.left(q);
        result += u"<a href=\""_s + link + u"\" target=\"_blank\"><font color=\"#0000ff\">"_s + link + u"</font></a>"_s;
        rest = rest.mid(q);
    }
    return result + rest;
}
} // namespace

QString HtmlEncode(const QString &Text)
{
    return ReplaceInOrder(Text, {{u'&', u"&amp;"}, {u'>', u"&gt;"}, {u'<', u"&lt;"}, {u'"', u"&quot;"},
                                 {u' ', u"&nbsp;"}, {u'\r', u"<br>"}});
}

QString TextToHtml(const QString &Text, bool MakeLink)
{
    const QString result = ReplaceInOrder(Text, {{u'&', u"&amp;"}, {u'<', u"&lt;"}, {u'>', u"&gt;"},
                                                 {u'\r', u"&nbsp;<br>"}, {u' ', u"&nbsp;"}});
    return MakeLink ? MakeLinks(result) : result;
}

QString MessageHtml(const QString &Text)
{
    return u"<HTML><HEAD>"_s
           u"<META name=GENERATOR content=\"MSHTML 8.00.7600.16700\"></HEAD>"_s
           u"<BODY><FONT color=#ff0000 face=宋体><SPAN style=\"FONT-SIZE: 12px\">"_s
           + Text + u"</SPAN></FONT></BODY></HTML>"_s;
}

void ShellOpen(const QString &Address)
{
    Shell::Open(Address);
}

QString SecondsToTimeStr(int Seconds)
{
    const qint64 day = 86400;
    const qint64 t = ((qint64(Seconds) % day) + day) % day;
    return u"%1:%2:%3"_s.arg(t / 3600, 2, 10, QChar(u'0')).arg(t / 60 % 60, 2, 10, QChar(u'0')).arg(t % 60, 2, 10, QChar(u'0'));
}
