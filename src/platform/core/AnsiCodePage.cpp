#include "AnsiCodePage.h"

#include <QMutex>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {
QMutex nameLock;
QByteArray chosenName;

QByteArray DefaultName()
{
    const QByteArray fromEnvironment = qgetenv("TALVIK_ANSI_CODEPAGE");
    return fromEnvironment.isEmpty() ? QByteArrayLiteral("GBK") : fromEnvironment;
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
    return QStringEncoder(Name().constData()).isValid();
}

// A converter is cheap to make (well under a microsecond), and a fresh one per call keeps every
// thread free of shared converter state.
QByteArray AnsiCodePage::FromUnicode(const QString &text)
{
    QStringEncoder encoder(Name().constData());
    if (!encoder.isValid())
        return text.toLatin1();
    return encoder(text);
}

QString AnsiCodePage::ToUnicode(const QByteArray &bytes)
{
    QStringDecoder decoder(Name().constData());
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder(bytes);
}
