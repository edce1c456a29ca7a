#include "PasswordHash.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {
// About 5 ms here: slow enough to hurt a guesser, cheap enough for a burst of logins.
constexpr int Iterations = 4096;
constexpr int KeyLength = 32;

QByteArray Derive(const QString &digest, const QByteArray &salt, int iterations)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, digest.toLatin1(), salt, iterations, KeyLength);
}

bool SameBytes(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}
} // namespace

QString PasswordHash::Make(const QString &digest)
{
    QByteArray salt(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(salt.data()), salt.size() / 4);
    return u"pbkdf2-sha256$%1$%2$%3"_s.arg(Iterations)
        .arg(QString::fromLatin1(salt.toHex()), QString::fromLatin1(Derive(digest.toLower(), salt, Iterations).toHex()));
}

bool PasswordHash::Matches(const QString &stored, const QString &digest)
{
    const QStringList parts = stored.split(u'$');
    if (parts.size() != 4 || parts[0] != u"pbkdf2-sha256"_s)
        return false;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    if (!ok || iterations <= 0)
        return false;
    const QByteArray salt = QByteArray::fromHex(parts[2].toLatin1());
    return SameBytes(Derive(digest.toLower(), salt, iterations), QByteArray::fromHex(parts[3].toLatin1()));
}

bool PasswordHash::IsDigest(const QString &text)
{
    if (text.size() != 16)
        return false;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (!(c >= u'0' && c <= u'9') && !(c >= u'a' && c <= u'f') && !(c >= u'A' && c <= u'F'))
            return false;
    }
    return true;
}
