#include "uQuestionData.h"

#include "DataLink.h"
#include "LogUnit.h"
#include "ProgramDir.h"
#include "ProtocolPostQuestionUnit.h"
#include "QuestionDataSchema.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>
#include <stdexcept>
#include <vector>

using namespace Qt::StringLiterals;
namespace Sql = QuestionDataStatements;

TQuestionData *QuestionData = nullptr;

namespace {

// Pending messages are processed between rows only this often: processing them after every row
// repaints a shown list once per row.
constexpr qint64 MessageIntervalMs = 16;

[[noreturn]] void Fail(const QSqlError &error)
{
    throw std::runtime_error(error.text().toStdString());
}

// Runs one operation; a failure is logged under the label and reported as false.
template <typename Body>
bool Guarded(const QString &label, Body &&body)
{
    try {
        body();
        return true;
    } catch (const std::exception &error) {
        WriteLog(label, QString::fromUtf8(error.what()));
    } catch (...) {
        WriteLog(label, u"unknown failure"_s);
    }
    return false;
}

} // namespace

// The connection of one operation: opened when it starts, closed when it ends, also on failure.
// Queries must be declared after the session, so that they are gone before the connection is.
class TQuestionData::TSession {
public:
    explicit TSession(TQuestionData &owner) : FOwner(owner), FDb(owner.GetConnectAdo()) {}
    ~TSession()
    {
        FDb = QSqlDatabase();
        FOwner.CloseConnectAdo();
    }

    QSqlQuery Run(const TStatement &statement)
    {
        const bool fast = !statement.FastTable.isEmpty() && QuestionDataSchema::HasTable(FDb, statement.FastTable);
        const QVariantMap &values = fast ? statement.FastValues : statement.Values;
        QSqlQuery query(FDb);
        query.setForwardOnly(true);
        if (!query.prepare(fast ? statement.FastText : statement.Text))
            Fail(query.lastError());
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            query.bindValue(it.key(), it.value());
        if (!query.exec())
            Fail(query.lastError());
        return query;
    }

private:
    TQuestionData &FOwner;
    QSqlDatabase FDb;
};

namespace {

// next() ends a result both at its end and on a failure; only the error tells them apart.
void CheckEnd(const QSqlQuery &query)
{
    if (query.lastError().isValid())
        Fail(query.lastError());
}

} // namespace

TQuestionData::TQuestionData()
{
    static std::atomic<int> instances{0};
    FAdoCon = u"TQuestionData."_s + QString::number(++instances);
}

TQuestionData::~TQuestionData()
{
    CloseConnectAdo();
}

QSqlDatabase TQuestionData::GetConnectAdo()
{
    try {
        QSqlDatabase db = DataLink::Open(ProgramDir::Path() + u"QuestionData.udl"_s, FAdoCon);
        // Sorts and row sets of a listing stay in memory: on a file without indexes a deep page
        // sorts the whole table, three times faster than through a temporary file.
        QSqlQuery(db).exec(u"PRAGMA temp_store = MEMORY"_s);
        return db;
    } catch (const std::exception &error) {
        WriteLog(u"TQuestionData.GetConnectAdo"_s, QString::fromUtf8(error.what()));
        CloseConnectAdo();
        throw;
    }
}

void TQuestionData::CloseConnectAdo()
{
    DataLink::Close(FAdoCon);
}

int TQuestionData::GetPageCount() const
{
    return FDataCount / Sql::PageSize + (FDataCount % Sql::PageSize != 0 ? 1 : 0);
}

QVariant TQuestionData::ReadValue(const TStatement &Statement)
{
    TSession session(*this);
    QSqlQuery query = session.Run(Statement);
    if (query.next())
        return query.value(0);
    CheckEnd(query);
    return {};
}

int TQuestionData::GetNowDataCount(Sql::TFilter Filter, const QVariantMap &Values)
{
    const TStatement statement{Sql::Count(Filter), Values, QuestionDataSchema::CountTable(),
                               Sql::CountFromTable(Filter), Values};
    int count = 0;
    Guarded(u"TQuestionData.GetNowDataCount"_s, [&] { count = ReadValue(statement).toInt(); });
    return count;
}

void TQuestionData::ProcessMessages(bool Always)
{
    if (!Always && FLastMessages.isValid() && FLastMessages.elapsed() < MessageIntervalMs)
        return;
    QCoreApplication::processEvents();
    FLastMessages.start();
}

std::vector<std::unique_ptr<TQuestionDataItem>> TQuestionData::ReadRows(const TStatement &Statement)
{
    std::vector<std::unique_ptr<TQuestionDataItem>> rows;
    TSession session(*this);
    QSqlQuery query = session.Run(Statement);
    while (query.next()) {
        auto item = std::make_unique<TQuestionDataItem>();
        item->Title = query.value(Sql::ColTitle).toString();
        item->User = query.value(Sql::ColUser).toString();
        item->QTypeId = query.value(Sql::ColTypeId).toInt();
        item->URL = query.value(Sql::ColURL).toString();
        item->Date = query.value(Sql::ColDate).toString();
        item->QTypeName = query.value(Sql::ColTypeName).toString();
        item->QuestionID = query.value(Sql::ColQuestionID).toInt();
        rows.push_back(std::move(item));
    }
    CheckEnd(query);
    return rows;
}

void TQuestionData::ViewData(int Listing, const TStatement &Statement, bool SetSearchCount)
{
    Raise(FOnViewBegin, this);
    ProcessMessages(true);
    if (Listing == FListing) {
        // Rows are read first and the file closed, so that no handler and no message processed in
        // between runs while the file is open.
        std::vector<std::unique_ptr<TQuestionDataItem>> rows;
        Guarded(u"TQuestionData.ShowData"_s, [&] { rows = ReadRows(Statement); });
        if (SetSearchCount)
            FSearchDataCount = int(rows.size());
        for (auto &row : rows) {
            ProcessMessages(false);
            if (Listing != FListing)
                break; // a newer listing has taken over
            Raise(FOnAddDataItem, this, std::move(row));
        }
    }
    Raise(FOnViewEnd, this);
}

void TQuestionData::ShowPage(int Listing, Sql::TFilter Filter, const QVariantMap &FilterValues,
                             QVariantMap PageValues, int APageIndex)
{
    FDataCount = GetNowDataCount(Filter, FilterValues);
    PageValues.insert(FilterValues);
    PageValues.insert(u":skip"_s, Sql::Skip(APageIndex));
    ViewData(Listing, {Sql::Page(Filter), PageValues}, false);
}

void TQuestionData::ShowData(int APageIndex)
{
    ShowPage(++FListing, Sql::TFilter::All, {}, {}, APageIndex);
}

void TQuestionData::ShowMyQuestion(const QString &AUserName, int APageIndex)
{
    ShowPage(++FListing, Sql::TFilter::User, {{u":user"_s, AUserName}}, {}, APageIndex);
}

void TQuestionData::ShowTypeQuestion(const QString &ATypeName, int APageIndex)
{
    const int listing = ++FListing;
    const int typeId = QTypeNameToId(ATypeName);
    const QVariantMap filter{{u":typeId"_s, typeId}};
    if (typeId == 0) {
        FDataCount = GetNowDataCount(Sql::TFilter::Type, filter);
        return;
    }
    ShowPage(listing, Sql::TFilter::Type, filter, {{u":typeName"_s, ATypeName}}, APageIndex);
}

void TQuestionData::FindData(const QString &AKeyWord)
{
    const int listing = ++FListing;
    const QVariantMap scan{{u":pattern"_s, Sql::TitlePattern(AKeyWord)}};
    TStatement statement{Sql::FindByScan(), scan};
    if (Sql::TitleIndexServes(AKeyWord)) {
        statement.FastTable = QuestionDataSchema::TitleIndexTable();
        statement.FastText = Sql::FindByTitleIndex();
        statement.FastValues = scan;
        statement.FastValues.insert(u":phrase"_s, Sql::TitlePhrase(AKeyWord));
    }
    ViewData(listing, statement, true);
}

void TQuestionData::LoadQType()
{
    std::vector<std::pair<int, QString>> types;
    Guarded(u"TQuestionData.LoadQType"_s, [&] {
        TSession session(*this);
        QSqlQuery query = session.Run({Sql::LoadTypes(), {}});
        while (FOnAddQTypeList && query.next())
            types.emplace_back(query.value(0).toInt(), query.value(1).toString());
        CheckEnd(query);
    });
    for (const auto &[id, name] : types)
        Raise(FOnAddQTypeList, this, id, name);
}

QString TQuestionData::QTypeIdToName(int QTypeId)
{
    QString name = u"未知分类"_s;
    Guarded(u"TQuestionData.QTypeIdToName"_s,
            [&] { name = ReadValue({Sql::TypeIdToName(), {{u":id"_s, QTypeId}}}).toString(); });
    return name;
}

int TQuestionData::QTypeNameToId(const QString &QTypeName)
{
    int id = 0;
    Guarded(u"TQuestionData.QTypeNameToId"_s,
            [&] { id = ReadValue({Sql::TypeNameToId(), {{u":name"_s, QTypeName}}}).toInt(); });
    return id;
}

bool TQuestionData::AddQuestion(const TProtocolPostQuestion &AProtocolPostQuestion, int &QUestionID, bool IsRecId)
{
    const TProtocolPostQuestion &q = AProtocolPostQuestion;
    const bool added = Guarded(u"TQuestionData.AddQuestion"_s, [&] {
        TSession session(*this);
        const QSqlQuery query = session.Run({Sql::Insert(),
                                             {{u":a"_s, q.Title()},
                                              {u":b"_s, q.Classification()},
                                              {u":c"_s, q.URL()},
                                              {u":d"_s, q.NickName()},
                                              {u":e"_s, q.Date()},
                                              {u":f"_s, 1},
                                              {u":g"_s, q.QuestionID()}}});
        QUestionID = IsRecId ? query.lastInsertId().toInt() : 0;
    });
    if (!added)
        QUestionID = -1;
    return added;
}

bool TQuestionData::UpdateQuestionState(int ALocalID, int AQuestionID, const QString &URL)
{
    return Guarded(u"TQuestionData.UpdateQuestionState"_s, [&] {
        TSession session(*this);
        session.Run({Sql::UpdateState(), {{u":url"_s, URL}, {u":questionId"_s, AQuestionID}, {u":localId"_s, ALocalID}}});
    });
}
