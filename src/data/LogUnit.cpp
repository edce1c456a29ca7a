#include "LogUnit.h"

#include "AnsiCodePage.h"
#include "ProgramDir.h"

#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

QString LogFileName()
{
    return ProgramDir::Path() + u"Log.txt"_s;
}

void WriteLog(const QString &Label, const QString &Message)
{
    static QMutex writeLock;
    try {
        static const QRegularExpression lineBreak(u"\r\n|\r|\n"_s);
        QString message = Message;
        message.replace(lineBreak, u"\r\n"_s); // every line of the file ends in CR LF
        const QString entry = QDateTime::currentDateTime().toString(u"yyyy-MM-dd hh:mm:ss"_s)
                              + u"------------------------------\r\n["_s + Label + u"]:"_s + message + u"\r\n"_s;
        const QByteArray bytes = AnsiCodePage::FromUnicode(entry);

        QMutexLocker locker(&writeLock);
        QFile file(LogFileName());
        if (file.open(QIODevice::WriteOnly | QIODevice::Append))
            file.write(bytes);
    } catch (...) {
    }
}
