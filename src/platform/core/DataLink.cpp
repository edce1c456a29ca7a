#include "DataLink.h"

#include "ProgramDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace {

[[noreturn]] void Fail(const QString &message)
{
    throw EDataLinkError(message.toStdString());
}

QString DecodeLinkFile(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringConverter::Utf16LE)(bytes.mid(2));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    return QString::fromUtf8(bytes);
}

QString Unquote(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value;
}

} // namespace

DataLink::TInfo DataLink::Read(const QString &linkFileName)
{
    QFile file(linkFileName);
    if (!file.open(QIODevice::ReadOnly))
        Fail(u"cannot open the data link file "_s + linkFileName + u": "_s + file.errorString());
    const QStringList lines = DecodeLinkFile(file.readAll()).split(u'\n');

    bool headerSeen = false;
    QString initString;
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (!headerSeen) {
            if (line.compare(u"[oledb]"_s, Qt::CaseInsensitive) != 0)
                Fail(u"the data link file "_s + linkFileName + u" does not start with [oledb]"_s);
            headerSeen = true;
            continue;
        }
        initString = line;
        break;
    }
    if (initString.isEmpty())
        Fail(u"the data link file "_s + linkFileName + u" names no database"_s);

    TInfo info;
    for (const QString &part : initString.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(u'=');
        if (eq < 0)
            continue;
        const QString key = part.left(eq).trimmed();
        const QString value = Unquote(part.mid(eq + 1));
        if (key.compare(u"Provider"_s, Qt::CaseInsensitive) == 0)
            info.Provider = value;
        else if (key.compare(u"Data Source"_s, Qt::CaseInsensitive) == 0)
            info.DataSource = value;
    }
    if (info.Provider.compare(u"SQLite"_s, Qt::CaseInsensitive) != 0
        && info.Provider.compare(u"SQLite3"_s, Qt::CaseInsensitive) != 0)
        Fail(u"provider not supported: \""_s + info.Provider + u"\" (use Provider=SQLite)"_s);
    if (info.DataSource.isEmpty())
        Fail(u"the data link file "_s + linkFileName + u" names no Data Source"_s);

    QString source = QDir::fromNativeSeparators(info.DataSource);
    if (QFileInfo(source).isRelative())
        source = ProgramDir::Path() + source;
    info.DataSource = QDir::cleanPath(source);
    return info;
}

QSqlDatabase DataLink::Open(const QString &linkFileName, const QString &connectionName, bool createIfMissing)
{
    return OpenFile(Read(linkFileName).DataSource, connectionName, createIfMissing);
}

QSqlDatabase DataLink::OpenFile(const QString &databaseFileName, const QString &connectionName,
                                bool createIfMissing)
{
    if (!createIfMissing && !QFileInfo(databaseFileName).isFile())
        Fail(u"database file not found: "_s + databaseFileName);

    QSqlDatabase db = QSqlDatabase::contains(connectionName) ? QSqlDatabase::database(connectionName, false)
                                                             : QSqlDatabase::addDatabase(u"QSQLITE"_s, connectionName);
    if (!db.isValid())
        Fail(u"the SQLite driver is not available"_s);
    if (db.isOpen())
        db.close();
    db.setDatabaseName(databaseFileName);
    if (!db.open())
        Fail(u"cannot open "_s + databaseFileName + u": "_s + db.lastError().text());
    return db;
}

void DataLink::Close(const QString &connectionName)
{
    if (!QSqlDatabase::contains(connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}
