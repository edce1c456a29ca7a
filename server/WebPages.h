#pragma once

#include "Store.h"

#include <QMap>
#include <QString>
#include <QStringList>

// The community's pages, UTF-8 HTML that works without scripts (the client's panels may run with
// scripts off). Members' texts pass through HtmlText::MemberText, everything else is escaped.
namespace WebPages {

enum class TQuestionListKind { Recommended, Latest };

struct TRegisterForm {
    QMap<QString, QString> Values; // the fields as typed, shown again after an error
    QStringList Errors;
};

QString Home(int questionCount);
QString QuestionList(TQuestionListKind kind, const QList<TQuestion> &questions);
QString Question(const TQuestion &question, const QList<TAnswer> &answers);
QString SharedUrls(const QList<TSharedUrl> &urls);
QString SharedFiles(const QList<TSharedFile> &files);
QString GroupLog(const QList<TReport> &reports);
QString Register(const TRegisterForm &form);
QString Registered(const QString &userName, const QString &nickName);
QString SendPass(bool sent);
QString Forum();
QString Banner(bool login);
QString Message(const QString &title, const QString &text); // errors and other short answers

} // namespace WebPages
