#include "ProgramDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QMutex>

namespace {
QMutex overrideLock;
QString overrideDir;

QString WithSlash(QString dir)
{
    dir = QDir::fromNativeSeparators(dir);
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}
} // namespace

QString ProgramDir::Path()
{
    {
        QMutexLocker locker(&overrideLock);
        if (!overrideDir.isEmpty())
            return overrideDir;
    }
    return WithSlash(QCoreApplication::applicationDirPath());
}

void ProgramDir::SetOverride(const QString &dir)
{
    QMutexLocker locker(&overrideLock);
    overrideDir = dir.isEmpty() ? QString() : WithSlash(dir);
}
