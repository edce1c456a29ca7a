#include "HtmlText.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {
void AppendEscaped(QString &out, QChar ch)
{
    switch (ch.unicode()) {
    case u'&': out += u"&amp;"_s; break;
    case u'<': out += u"&lt;"_s; break;
    case u'>': out += u"&gt;"_s; break;
    case u'"': out += u"&quot;"_s; break;
    case u'\'': out += u"&#39;"_s; break;
    default: out += ch; break;
    }
}

// The length of the allowed construct starting at `at`, or 0.
qsizetype AllowedAt(const QString &text, qsizetype at)
{
    static const QRegularExpression allowed(
        u"(?:&(?:amp|lt|gt|quot|nbsp|#[0-9]{1,7}|#[xX][0-9a-fA-F]{1,6});|<br\\s*/?>)"_s,
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = allowed.match(text, at, QRegularExpression::NormalMatch,
                                                        QRegularExpression::AnchorAtOffsetMatchOption);
    return match.hasMatch() ? match.capturedLength() : 0;
}
} // namespace

QString HtmlText::Escape(const QString &plain)
{
    QString out;
    out.reserve(plain.size() + plain.size() / 8);
    for (const QChar ch : plain)
        AppendEscaped(out, ch);
    return out;
}

QString HtmlText::MemberText(const QString &escaped)
{
    QString out;
    out.reserve(escaped.size() + escaped.size() / 8);
    for (qsizetype i = 0; i < escaped.size();) {
        const QChar ch = escaped.at(i);
        const qsizetype length = (ch == u'&' || ch == u'<') ? AllowedAt(escaped, i) : 0;
        if (length > 0) {
            out += escaped.mid(i, length);
            i += length;
        } else {
            AppendEscaped(out, ch);
            ++i;
        }
    }
    return out;
}
