#include "SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

QString SingleInstance::LockFilePath(const QString &name)
{
    QString file = name;
    for (QChar &c : file)
        if (!c.isLetterOrNumber() && c != u'-' && c != u'.')
            c = u'_';
    const bool global = name.startsWith(u"Global\\"_s, Qt::CaseInsensitive);
    QString dir = global ? u"/tmp"_s : QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + u"/"_s + file + u".lock"_s;
}

#ifdef _WIN32

SingleInstance::SingleInstance(const QString &name)
{
    FHandle = CreateMutexW(nullptr, FALSE, reinterpret_cast<const wchar_t *>(name.utf16()));
    if (!FHandle)
        FState = TState::Failed;
    else
        FState = GetLastError() == ERROR_ALREADY_EXISTS ? TState::AlreadyExists : TState::Created;
}

SingleInstance::~SingleInstance()
{
    if (FHandle)
        CloseHandle(FHandle);
}

#else

SingleInstance::SingleInstance(const QString &name)
{
    const QByteArray path = QFile::encodeName(LockFilePath(name));
    // Opening an existing file first: a sticky /tmp may refuse O_CREAT on another user's file.
    FDescriptor = ::open(path.constData(), O_RDWR | O_CLOEXEC);
    if (FDescriptor < 0) {
        FDescriptor = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (FDescriptor < 0)
            return;
        ::fchmod(FDescriptor, 0666); // every user's copy must be able to open it, whatever the umask
    }
    if (::flock(FDescriptor, LOCK_EX | LOCK_NB) == 0) {
        FState = TState::Created;
        return;
    }
    FState = errno == EWOULDBLOCK ? TState::AlreadyExists : TState::Failed;
    ::close(FDescriptor);
    FDescriptor = -1;
}

SingleInstance::~SingleInstance()
{
    if (FDescriptor >= 0)
        ::close(FDescriptor); // closing releases the lock
}

#endif
