#include "md5.h"

#include "AnsiCodePage.h"
#include "MappedFile.h"

#include <algorithm>

QString Md5ToHex(const TMD5Digest &Digest)
{
    static const char16_t hex[] = u"0123456789abcdef";
    QString text(32, Qt::Uninitialized);
    for (int i = 0; i < 16; ++i) {
        text[2 * i] = QChar(hex[Digest[i] >> 4]);
        text[2 * i + 1] = QChar(hex[Digest[i] & 0xF]);
    }
    return text;
}

QString Md5Text(const QString &Value, int Bits)
{
    const QByteArray bytes = AnsiCodePage::FromUnicode(Value);
    Md5Hasher hasher;
    hasher.Update(bytes.constData(), std::size_t(bytes.size()));
    const QString digits = Md5ToHex(hasher.Final());
    return Bits == 16 ? digits.mid(8, 16) : digits;
}

TMD5Digest Md5OfFile(const QString &FileName)
{
    Md5Hasher hasher;
    const MappedFile file(FileName);
    // Fed in slices so the sequential read-ahead stays just ahead of the digest.
    constexpr qint64 slice = 8 << 20;
    for (qint64 offset = 0; offset < file.Size(); offset += slice)
        hasher.Update(file.Data() + offset, std::size_t(std::min(slice, file.Size() - offset)));
    return hasher.Final();
}
