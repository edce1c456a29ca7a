#include "TestSupport.h"

#include "ProgramDir.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>

TTempProgramDir::TTempProgramDir()
{
    ProgramDir::SetOverride(FDir.path());
    FObjects = std::make_unique<TProgramObjects>();
}

TTempProgramDir::~TTempProgramDir()
{
    FObjects.reset();
    ProgramDir::SetOverride({});
}

QString TTempProgramDir::Path() const
{
    return FDir.path() + QLatin1Char('/');
}

void TTempProgramDir::Write(const QString &relative, const QByteArray &bytes) const
{
    const QString path = File(relative);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QByteArray TTempProgramDir::Read(const QString &relative) const
{
    QFile file(File(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool PumpUntil(const std::function<bool()> &done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

TMessageRecorder::TMessageRecorder() : FWindow([this](TMessage &message) { FMessages.push_back(message); }) {}

std::vector<unsigned> TMessageRecorder::Numbers() const
{
    std::vector<unsigned> numbers;
    for (const TMessage &message : FMessages)
        numbers.push_back(message.Msg);
    return numbers;
}

bool TMessageRecorder::Has(unsigned msg) const
{
    return std::any_of(FMessages.begin(), FMessages.end(), [msg](const TMessage &m) { return m.Msg == msg; });
}
