#pragma once

#include <QSqlDatabase>
#include <QString>

#include <stdexcept>

class EDataLinkError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An OLE DB data link file (".udl") naming a database: UTF-16LE with a byte-order mark as Windows
// writes it, or UTF-8; an "[oledb]" header line, comment lines starting with ";", and one line
// "Provider=...;Data Source=...". The provider we support is SQLite ("SQLite" or "SQLite3");
// a relative data source is resolved against the program directory.
class DataLink {
public:
    struct TInfo {
        QString Provider;
        QString DataSource; // absolute path
    };

    static TInfo Read(const QString &linkFileName); // throws EDataLinkError

    // Opens the database the link names under the given connection name. A database file that
    // does not exist is an error unless createIfMissing is set. Throws EDataLinkError.
    static QSqlDatabase Open(const QString &linkFileName, const QString &connectionName,
                             bool createIfMissing = false);
    // The same for a database file named directly (absolute or relative to the working directory).
    static QSqlDatabase OpenFile(const QString &databaseFileName, const QString &connectionName,
                                 bool createIfMissing = false);
    static void Close(const QString &connectionName); // after every query on it is gone
};
