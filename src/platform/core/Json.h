#pragma once

#include <QString>

#include <memory>
#include <stdexcept>

// JSON as the wire wants it.
//
// Writer: compact; only the quotation mark, the reverse solidus and the solidus are escaped;
// control and non-ASCII characters are written raw; a string ends at its first NUL; keys keep
// their insertion order.
//
// Reader: keys looked up by name; values converted leniently (an integer, a boolean or a string
// can be read from any JSON value, and a missing key reads as 0, false or ""). It accepts
// everything the writer writes, raw control characters inside strings included.
class EJsonError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TJsonObject {
public:
    TJsonObject(); // an empty object
    TJsonObject(const TJsonObject &other);
    TJsonObject &operator=(const TJsonObject &other);
    TJsonObject(TJsonObject &&) noexcept;
    TJsonObject &operator=(TJsonObject &&) noexcept;
    ~TJsonObject();

    // Parses any JSON value; throws EJsonError when the text is not JSON.
    static TJsonObject Parse(const QString &text);
    static bool TryParse(const QString &text, TJsonObject &out);

    bool IsObject() const; // lookups on anything else find no key
    bool Has(const QString &key) const;

    void Put(const QString &key, qint64 value);
    void Put(const QString &key, int value) { Put(key, qint64(value)); }
    void Put(const QString &key, bool value);
    void Put(const QString &key, const QString &value);
    void Put(const QString &key, const TJsonObject &value);
    void Put(const QString &key, const char16_t *value) { Put(key, QString::fromUtf16(value)); }
    // Appends to an array (an empty object becomes an empty array first).
    void Append(const TJsonObject &value);

    qint64 GetInt(const QString &key) const;
    bool GetBool(const QString &key) const;
    QString GetStr(const QString &key) const;
    TJsonObject GetObject(const QString &key) const; // null when missing

    int Count() const; // elements of an array, members of an object
    TJsonObject At(int index) const;

    QString ToText() const;

private:
    struct TValue;
    explicit TJsonObject(std::unique_ptr<TValue> value);
    std::unique_ptr<TValue> FValue;
};
