#include "AnsiCodePage.h"

#include <QMutex>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {
QMutex nameLock;
QByteArray chosenName;

// "System" stands for the system's own 8-bit code page: on Windows the ANSI code page.
const QByteArray SystemName = QByteArrayLiteral("System");

QByteArray DefaultName()
{
    const QByteArray fromEnvironment = qgetenv("TALVIK_ANSI_CODEPAGE");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
#ifdef Q_OS_WIN
    return SystemName;
#else
    return QByteArrayLiteral("GBK");
#endif
}

template <typename Converter>
Converter Open(const QByteArray &name)
{
    return name == SystemName ? Converter(QStringConverter::System) : Converter(name.constData());
}
} // namespace

QByteArray AnsiCodePage::Name()
{
    QMutexLocker locker(&nameLock);
    return chosenName.isEmpty() ? DefaultName() : chosenName;
}

void AnsiCodePage::SetName(const QByteArray &name)
{
    QMutexLocker locker(&nameLock);
    chosenName = name;
}

bool AnsiCodePage::IsAvailable()
{
    return Open<QStringEncoder>(Name()).isValid();
}

namespace {
template <typename Converter>
struct TCachedConverter {
    QByteArray Name;
    Converter Value;
    bool KeepsAscii = false; // bytes 0x00-0x7F read as the same characters
};

bool KeepsAscii(QStringEncoder &) { return false; }

bool KeepsAscii(QStringDecoder &decoder)
{
    QByteArray ascii(128, Qt::Uninitialized);
    for (int i = 0; i < 128; ++i)
        ascii[i] = char(i);
    return decoder(ascii) == QString::fromLatin1(ascii);
}

bool IsAscii(const QByteArray &bytes)
{
    unsigned char any = 0;
    for (const char byte : bytes)
        any |= static_cast<unsigned char>(byte);
    return any < 0x80;
}

// Opening a converter looks its code page up by name, which costs more than converting a
// typical message; so each thread keeps its own (no converter state is shared between threads)
// and reopens it only when the name changes.
template <typename Converter>
TCachedConverter<Converter> &ThreadConverter()
{
    thread_local TCachedConverter<Converter> cached;
    const QByteArray wanted = AnsiCodePage::Name();
    if (wanted != cached.Name || !cached.Value.isValid()) {
        cached.Value = Open<Converter>(wanted);
        cached.Name = wanted;
        cached.KeepsAscii = cached.Value.isValid() && KeepsAscii(cached.Value);
    }
    cached.Value.resetState(); // nothing left over from an earlier text
    return cached;
}
} // namespace

QByteArray AnsiCodePage::FromUnicode(const QString &text)
{
    auto &encoder = ThreadConverter<QStringEncoder>();
    return encoder.Value.isValid() ? QByteArray(encoder.Value(text)) : text.toLatin1();
}

QString AnsiCodePage::ToUnicode(const QByteArray &bytes)
{
    auto &decoder = ThreadConverter<QStringDecoder>();
    if (!decoder.Value.isValid() || (decoder.KeepsAscii && IsAscii(bytes)))
        return QString::fromLatin1(bytes); // for ASCII the same characters, far cheaper
    return decoder.Value(bytes);
}
