#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <stdexcept>

// The layout of the question database file: the server publishes it, the client reads it and adds
// the questions the server announces. Every listing orders by date, newest first, then by
// identifier, so the indexes below serve the whole listing, filter and order alike.
namespace QuestionDataSchema {

inline QStringList Statements()
{
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS T_QuestionType ("
                       "F_QTypeID INTEGER PRIMARY KEY, F_QTypeName TEXT NOT NULL)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS T_LocalQuestion ("
                       "F_Id INTEGER PRIMARY KEY AUTOINCREMENT, F_Title TEXT, F_TypeId INTEGER, F_URL TEXT, "
                       "F_User TEXT, F_Date TEXT, F_IsPost INTEGER, F_QuestionID INTEGER)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS IX_LocalQuestion_Date ON T_LocalQuestion(F_Date DESC, F_Id DESC)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS IX_LocalQuestion_User ON T_LocalQuestion(F_User, F_Date DESC, F_Id DESC)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS IX_LocalQuestion_Type ON T_LocalQuestion(F_TypeId, F_Date DESC, F_Id DESC)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS IX_QuestionType_Name ON T_QuestionType(F_QTypeName)"),
    };
}

// Creates whatever of the layout is missing; throws std::runtime_error when a statement fails.
inline void Create(QSqlDatabase &db)
{
    for (const QString &statement : Statements()) {
        QSqlQuery query(db);
        if (!query.exec(statement))
            throw std::runtime_error(query.lastError().text().toStdString());
    }
}

} // namespace QuestionDataSchema
