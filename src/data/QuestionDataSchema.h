#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <stdexcept>

// The layout of the question database file: the server publishes it, the client reads it and adds
// the questions the server announces. Every listing orders by date, newest first, then by
// identifier, so the indexes below serve the whole listing, filter and order alike. The title
// search uses an FTS5 trigram index over F_Title that triggers keep in step with the table; the
// client checks for it, so a file with the two tables alone still lists and searches correctly.
namespace QuestionDataSchema {

inline QString TitleIndexTable()
{
    return QStringLiteral("T_LocalQuestionTitle");
}

// The twelve reference classifications, identifiers 54 to 65 in this order: what a new file's
// T_QuestionType holds.
inline QStringList ReferenceTypes()
{
    return {
        QStringLiteral("语言基础(pascal)"), QStringLiteral("函数使用"),       QStringLiteral("VCL控件开发/使用"),
        QStringLiteral("图形图像处理"),     QStringLiteral("多媒体/音频视频"), QStringLiteral("数据库相关"),
        QStringLiteral("多线程编程"),       QStringLiteral("网络通讯"),       QStringLiteral("Windows API相关"),
        QStringLiteral("程序算法"),         QStringLiteral("打印与报表技术"),  QStringLiteral("其他"),
    };
}
constexpr int FirstReferenceTypeId = 54;

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

// Creates whatever of the layout is missing; a title index created here is filled from the rows
// already in the table. Throws std::runtime_error when a statement fails.
inline void Create(QSqlDatabase &db)
{
    const bool titleIndexExisted = HasTable(db, TitleIndexTable());
    for (const QString &statement : Statements())
        Exec(db, statement);
    if (!titleIndexExisted)
        Exec(db, QStringLiteral("INSERT INTO T_LocalQuestionTitle(T_LocalQuestionTitle) VALUES ('rebuild')"));
}

} // namespace QuestionDataSchema
