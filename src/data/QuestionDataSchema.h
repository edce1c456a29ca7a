#pragma once

#include "ReferenceClassifications.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <stdexcept>

// The layout of the question database file: the server publishes it, the client reads it and adds
// the questions the server announces. Every listing orders by date, newest first, then by
// identifier, so the indexes below serve the whole listing, filter and order alike. Two more
// structures are kept in step with T_LocalQuestion by triggers: an FTS5 trigram index over F_Title
// for the title search, and the row counts of the listings (all rows "*", one member's
// "u" || quote(F_User), one classification's "t" || quote(F_TypeId)), so that a count reads one row
// instead of a whole index. The client checks for each, so a file with the two tables alone still
// lists and searches correctly.
namespace QuestionDataSchema {

inline QString TitleIndexTable()
{
    return QStringLiteral("T_LocalQuestionTitle");
}

inline QString CountTable()
{
    return QStringLiteral("T_LocalQuestionCount");
}

// The twelve reference classifications, identifiers 54 to 65 in this order: what a new file's
// T_QuestionType holds.

inline QStringList TableStatements()
{
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS T_QuestionType ("
                       "F_QTypeID INTEGER PRIMARY KEY, F_QTypeName TEXT NOT NULL)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS T_LocalQuestion ("
                       "F_Id INTEGER PRIMARY KEY AUTOINCREMENT, F_Title TEXT, F_TypeId INTEGER, F_URL TEXT, "
                       "F_User TEXT, F_Date TEXT, F_IsPost INTEGER, F_QuestionID INTEGER)"),
    };
}

inline QStringList IndexStatements()
{
    return {
        QStringLiteral("CREATE INDEX IF NOT EXISTS IX_LocalQuestion_Date ON T_LocalQuestion(F_Date DESC, F_Id DESC)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS IX_LocalQuestion_User ON T_LocalQuestion(F_User, F_Date DESC, F_Id DESC)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS IX_LocalQuestion_Type ON T_LocalQuestion(F_TypeId, F_Date DESC, F_Id DESC)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS IX_QuestionType_Name ON T_QuestionType(F_QTypeName)"),
        QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS T_LocalQuestionTitle USING fts5("
                       "F_Title, content='T_LocalQuestion', content_rowid='F_Id', tokenize='trigram')"),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS TR_LocalQuestion_TitleInsert AFTER INSERT ON T_LocalQuestion BEGIN "
                       "INSERT INTO T_LocalQuestionTitle(rowid, F_Title) VALUES (new.F_Id, new.F_Title); END"),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS TR_LocalQuestion_TitleDelete AFTER DELETE ON T_LocalQuestion BEGIN "
                       "INSERT INTO T_LocalQuestionTitle(T_LocalQuestionTitle, rowid, F_Title) "
                       "VALUES ('delete', old.F_Id, old.F_Title); END"),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS TR_LocalQuestion_TitleUpdate AFTER UPDATE OF F_Title ON T_LocalQuestion BEGIN "
                       "INSERT INTO T_LocalQuestionTitle(T_LocalQuestionTitle, rowid, F_Title) "
                       "VALUES ('delete', old.F_Id, old.F_Title); "
                       "INSERT INTO T_LocalQuestionTitle(rowid, F_Title) VALUES (new.F_Id, new.F_Title); END"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS T_LocalQuestionCount ("
                       "F_Key TEXT PRIMARY KEY, F_Count INTEGER NOT NULL) WITHOUT ROWID"),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS TR_LocalQuestion_CountInsert AFTER INSERT ON T_LocalQuestion BEGIN "
                       "INSERT INTO T_LocalQuestionCount(F_Key, F_Count) "
                       "VALUES ('*', 1), ('u' || quote(new.F_User), 1), ('t' || quote(new.F_TypeId), 1) "
                       "ON CONFLICT(F_Key) DO UPDATE SET F_Count = F_Count + 1; END"),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS TR_LocalQuestion_CountDelete AFTER DELETE ON T_LocalQuestion BEGIN "
                       "UPDATE T_LocalQuestionCount SET F_Count = F_Count - 1 "
                       "WHERE F_Key IN ('*', 'u' || quote(old.F_User), 't' || quote(old.F_TypeId)); END"),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS TR_LocalQuestion_CountUpdate AFTER UPDATE OF F_User, F_TypeId "
                       "ON T_LocalQuestion BEGIN "
                       "UPDATE T_LocalQuestionCount SET F_Count = F_Count - 1 "
                       "WHERE F_Key IN ('u' || quote(old.F_User), 't' || quote(old.F_TypeId)); "
                       "INSERT INTO T_LocalQuestionCount(F_Key, F_Count) "
                       "VALUES ('u' || quote(new.F_User), 1), ('t' || quote(new.F_TypeId), 1) "
                       "ON CONFLICT(F_Key) DO UPDATE SET F_Count = F_Count + 1; END"),
    };
}

inline QStringList Statements()
{
    return TableStatements() + IndexStatements();
}

inline void Exec(QSqlDatabase &db, const QString &statement)
{
    QSqlQuery query(db);
    if (!query.exec(statement))
        throw std::runtime_error(query.lastError().text().toStdString());
}

inline bool HasTable(QSqlDatabase &db, const QString &name)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
    query.addBindValue(name);
    return query.exec() && query.next();
}

// Adds the reference classifications that T_QuestionType lacks.
inline void AddReferenceTypes(QSqlDatabase &db)
{
    QSqlQuery insert(db);
    bool ok = insert.prepare(QStringLiteral("INSERT OR IGNORE INTO T_QuestionType(F_QTypeID, F_QTypeName) VALUES (?, ?)"));
    for (auto it = ReferenceClassifications.begin(); ok && it != ReferenceClassifications.end(); ++it) {
        insert.addBindValue(it->Id);
        insert.addBindValue(QString::fromUtf16(it->Name));
        ok = insert.exec();
    }
    if (!ok)
        throw std::runtime_error(insert.lastError().text().toStdString());
}

// The two tables, with the reference classifications: a file every listing reads correctly.
inline void CreateTables(QSqlDatabase &db)
{
    for (const QString &statement : TableStatements())
        Exec(db, statement);
    AddReferenceTypes(db);
}

// Creates whatever of the layout is missing; a title index or count table created here is filled
// from the rows already in the table. Throws std::runtime_error when a statement fails.
inline void Create(QSqlDatabase &db)
{
    const bool titleIndexExisted = HasTable(db, TitleIndexTable());
    const bool countsExisted = HasTable(db, CountTable());
    for (const QString &statement : Statements())
        Exec(db, statement);
    if (!titleIndexExisted)
        Exec(db, QStringLiteral("INSERT INTO T_LocalQuestionTitle(T_LocalQuestionTitle) VALUES ('rebuild')"));
    if (!countsExisted)
        Exec(db, QStringLiteral("INSERT INTO T_LocalQuestionCount(F_Key, F_Count) "
                                "SELECT '*', count(*) FROM T_LocalQuestion "
                                "UNION ALL SELECT 'u' || quote(F_User), count(*) FROM T_LocalQuestion GROUP BY F_User "
                                "UNION ALL SELECT 't' || quote(F_TypeId), count(*) FROM T_LocalQuestion GROUP BY F_TypeId"));
}

} // namespace QuestionDataSchema
