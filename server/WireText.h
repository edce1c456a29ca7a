#pragma once

#include <QByteArray>
#include <QString>

class TJsonObject;

// Turns a message into the bytes of one server-to-client frame. The client reads frames in its
// ANSI code page, so text goes out in that code page; a character the code page lacks is written
// as a \u escape instead of being lost (every non-ASCII character sits inside a JSON string, so an
// escape is always valid there). In ASCII mode every non-ASCII UTF-16 unit is escaped.
class TWireText {
public:
    explicit TWireText(bool asciiOnly) : FAsciiOnly(asciiOnly) {}

    QByteArray Frame(int code, const TJsonObject &body) const; // envelope, encoded, zero byte
    QByteArray Encode(const QString &text) const;

    static QString EscapeNonAscii(const QString &text);

private:
    bool FAsciiOnly;
};
