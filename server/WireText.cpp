#include "WireText.h"

#include "AnsiCodePage.h"
#include "Json.h"
#include "JsonDataUnit.h"

namespace {
void AppendEscape(QString &out, char16_t unit)
{
    static const char16_t hex[] = u"0123456789abcdef";
    out += u"\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += QChar(hex[(unit >> shift) & 0xF]);
}

bool RoundTrips(const QString &text)
{
    return AnsiCodePage::ToUnicode(AnsiCodePage::FromUnicode(text)) == text;
}

// Keeps what the code page can carry, escapes the rest; a surrogate pair is judged as a whole.
QString EscapeUnrepresentable(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString piece = text.mid(i, length);
        if (piece.at(0).unicode() < 0x80 || RoundTrips(piece)) {
            out += piece;
        } else {
            for (const QChar unit : piece)
                AppendEscape(out, unit.unicode());
        }
        i += length - 1;
    }
    return out;
}
} // namespace

QString TWireText::EscapeNonAscii(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar unit : text) {
        if (unit.unicode() < 0x80)
            out += unit;
        else
            AppendEscape(out, unit.unicode());
    }
    return out;
}

QByteArray TWireText::Encode(const QString &text) const
{
    if (FAsciiOnly)
        return EscapeNonAscii(text).toLatin1();
    QByteArray bytes = AnsiCodePage::FromUnicode(text);
    if (AnsiCodePage::ToUnicode(bytes) != text)
        bytes = AnsiCodePage::FromUnicode(EscapeUnrepresentable(text));
    return bytes;
}

QByteArray TWireText::Frame(int code, const TJsonObject &body) const
{
    QByteArray frame = Encode(PackProtocol(code, body.ToText()));
    frame.append('\0');
    return frame;
}
