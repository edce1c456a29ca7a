#include "ServerLog.h"

#include <QDateTime>

#include <cstdio>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {
std::mutex logLock;
std::FILE *logFile = nullptr; // null: standard output
} // namespace

void ServerLog::SetFile(const QString &fileName)
{
    std::lock_guard lock(logLock);
    if (logFile)
        std::fclose(logFile);
    logFile = fileName.isEmpty() ? nullptr : std::fopen(fileName.toLocal8Bit().constData(), "a");
}

void ServerLog::Line(const QString &text)
{
    const QByteArray line = (QDateTime::currentDateTime().toString(u"yyyy-MM-dd hh:mm:ss.zzz "_s) + text).toUtf8() + '\n';
    std::lock_guard lock(logLock);
    std::FILE *out = logFile ? logFile : stdout;
    std::fwrite(line.constData(), 1, size_t(line.size()), out);
    std::fflush(out);
}
