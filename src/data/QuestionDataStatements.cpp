#include "QuestionDataStatements.h"

#include <QList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace QuestionDataStatements {

namespace {

const QString Columns = u"q.F_Title, q.F_User, q.F_TypeId, q.F_URL, q.F_Date, q.F_QuestionID, "_s;
const QString TypeNameColumn =
    u"(SELECT t.F_QTypeName FROM T_QuestionType t WHERE t.F_QTypeID = q.F_TypeId) AS F_TypeName"_s;
const QString Order = u" ORDER BY F_Date DESC, F_Id DESC"_s;

QString Where(TFilter filter)
{
    switch (filter) {
    case TFilter::User:
        return u" WHERE F_User = :user"_s;
    case TFilter::Type:
        return u" WHERE F_TypeId = :typeId"_s;
    case TFilter::All:
        break;
    }
    return {};
}

} // namespace

QString Count(TFilter filter)
{
    return u"SELECT count(*) AS NowDataCount FROM T_LocalQuestion"_s + Where(filter);
}

QString CountFromTable(TFilter filter)
{
    QString key = u"'*'"_s;
    if (filter == TFilter::User)
        key = u"'u' || quote(:user)"_s;
    else if (filter == TFilter::Type)
        key = u"'t' || quote(:typeId)"_s;
    return u"SELECT ifnull((SELECT F_Count FROM T_LocalQuestionCount WHERE F_Key = "_s + key + u"), 0) AS NowDataCount"_s;
}

// The rows to skip are found in the covering index alone; only the page's own rows are read.
QString Page(TFilter filter)
{
    const QString typeName = filter == TFilter::Type ? u":typeName AS F_TypeName"_s : TypeNameColumn;
    return u"SELECT "_s + Columns + typeName + u" FROM T_LocalQuestion q WHERE q.F_Id IN (SELECT F_Id FROM T_LocalQuestion"_s
           + Where(filter) + Order + u" LIMIT "_s + QString::number(PageSize) + u" OFFSET :skip)"_s + Order;
}

qint64 Skip(int pageIndex)
{
    return (std::max(pageIndex, 1) - qint64(1)) * PageSize;
}

QString FindByScan()
{
    return u"SELECT "_s + Columns + TypeNameColumn
           + u" FROM T_LocalQuestion q WHERE q.F_Title LIKE :pattern ESCAPE '\\' ORDER BY q.F_Id"_s;
}

// The trigram phrase finds every title that contains the keyword, folding case more widely than
// LIKE does; the LIKE then keeps exactly the rows the scan would find.
QString FindByTitleIndex()
{
    return u"SELECT "_s + Columns + TypeNameColumn
           + u" FROM T_LocalQuestion q WHERE q.F_Id IN (SELECT rowid FROM T_LocalQuestionTitle "
             u"WHERE T_LocalQuestionTitle MATCH :phrase) AND q.F_Title LIKE :pattern ESCAPE '\\' ORDER BY q.F_Id"_s;
}

QString TitlePattern(const QString &keyword)
{
    QString escaped;
    escaped.reserve(keyword.size() + 8);
    for (const QChar c : keyword) {
        if (c == u'\\' || c == u'%' || c == u'_')
            escaped += u'\\';
        escaped += c;
    }
    return u'%' + escaped + u'%';
}

QString TitlePhrase(const QString &keyword)
{
    QString phrase = keyword;
    phrase.replace(u'"', u"\"\""_s);
    return u'"' + phrase + u'"';
}

bool TitleIndexServes(const QString &keyword)
{
    return keyword.toUcs4().size() >= 3;
}

QString LoadTypes()
{
    return u"SELECT F_QTypeID, F_QTypeName FROM T_QuestionType ORDER BY F_QTypeID"_s;
}

QString TypeIdToName()
{
    return u"SELECT F_QTypeName FROM T_QuestionType WHERE F_QTypeID = :id LIMIT 1"_s;
}

QString TypeNameToId()
{
    return u"SELECT F_QTypeID FROM T_QuestionType WHERE F_QTypeName = :name ORDER BY F_QTypeID LIMIT 1"_s;
}

QString Insert()
{
    return u"Insert into T_LocalQuestion(F_Title,F_TypeId,F_URL,F_User,F_Date,F_IsPost,F_QuestionID) "
           u"values(:a,:b,:c,:d,:e,:f,:g)"_s;
}

QString UpdateState()
{
    return u"UPDATE T_LocalQuestion SET F_URL = :url, F_QuestionID = :questionId, F_IsPost = 1 WHERE F_Id = :localId"_s;
}

} // namespace QuestionDataStatements
