#pragma once

#include <QString>

// The statements of the question database in SQLite's dialect, with named parameters. Every
// paged listing orders by date, newest first, then by identifier, so the pages of one listing
// together hold every row once; the title search lists in identifier order.
namespace QuestionDataStatements {

constexpr int PageSize = 100;

// Which rows a paged listing takes: all, one member's (":user") or one classification's (":typeId").
enum class TFilter { All, User, Type };

// Columns of every listing, in this order.
enum TColumn { ColTitle, ColUser, ColTypeId, ColURL, ColDate, ColQuestionID, ColTypeName };

QString Count(TFilter filter);               // one column NowDataCount
QString CountFromTable(TFilter filter);      // the same from the count table
QString Page(TFilter filter);                // ":skip" rows left out; the Type page names its rows ":typeName"
qint64 Skip(int pageIndex);                  // rows before the page; page numbers start at 1

QString FindByScan();                        // ":pattern"
QString FindByTitleIndex();                  // ":phrase" narrows through the title index, ":pattern" decides
QString TitlePattern(const QString &keyword); // LIKE pattern: the titles that contain the keyword as it stands
QString TitlePhrase(const QString &keyword);  // FTS5 phrase of the keyword
bool TitleIndexServes(const QString &keyword); // trigrams need three characters

QString LoadTypes();
QString TypeIdToName();                      // ":id"
QString TypeNameToId();                      // ":name"
QString Insert();                            // ":a" … ":g"
QString UpdateState();                       // ":url", ":questionId", ":localId"

} // namespace QuestionDataStatements
