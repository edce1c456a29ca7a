#pragma once

#include "QuestionDataStatements.h"
#include "TObject.h"

#include <QElapsedTimer>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <vector>

class QSqlDatabase;
class TProtocolPostQuestion;

// One listed question.
class TQuestionDataItem {
public:
    QString Title;
    QString User;
    int QTypeId = 0;
    QString QTypeName;
    QString URL;
    QString Date;
    bool IsPost = false; // not filled
    int QuestionID = 0;
};

// The handler owns the row from then on.
using TOnAddDataItem = std::function<void(TObject *Sender, std::unique_ptr<TQuestionDataItem> QuestionDataItem)>;
using TOnAddQTypeList = std::function<void(TObject *Sender, int TypeID, const QString &TypeName)>;
using TOnViewBegin = std::function<void(TObject *Sender)>;
using TOnViewEnd = std::function<void(TObject *Sender)>;

// The local question database, reached through "QuestionData.udl" in the program directory.
// The file is open only inside one operation, so it can be replaced between operations. Failures
// are written to the activity log and end in the operation's failure value; nothing escapes.
//
// A listing raises OnViewBegin, reads its rows and closes the file, then hands the rows out one
// by one, letting the user interface process its pending messages in between, and raises
// OnViewEnd, also after a failure. A listing started meanwhile (from a handler or a message
// processed in between) takes over: the older one hands out no further rows.
class TQuestionData : public TObject {
public:
    TQuestionData();
    ~TQuestionData() override;

    void ShowData(int APageIndex);
    void ShowMyQuestion(const QString &AUserName, int APageIndex);
    void ShowTypeQuestion(const QString &ATypeName, int APageIndex);
    void FindData(const QString &AKeyWord);
    void LoadQType();
    QString QTypeIdToName(int QTypeId);
    int QTypeNameToId(const QString &QTypeName);
    bool AddQuestion(const TProtocolPostQuestion &AProtocolPostQuestion, int &QUestionID, bool IsRecId);
    bool UpdateQuestionState(int ALocalID, int AQuestionID, const QString &URL);

    QString DataFileName() const { return FDataFileName; }
    void SetDataFileName(const QString &Value) { FDataFileName = Value; }
    int DataCount() const { return FDataCount; }
    int PageCount() const { return GetPageCount(); }
    int SearchDataCount() const { return FSearchDataCount; }

    TALVIK_EVENT(TOnAddDataItem, AddDataItem)
    TALVIK_EVENT(TOnAddQTypeList, AddQTypeList)
    TALVIK_EVENT(TOnViewBegin, ViewBegin)
    TALVIK_EVENT(TOnViewEnd, ViewEnd)

private:
    class TSession;
    // A statement, and a faster one that runs instead on a file that carries the table it reads.
    struct TStatement {
        QString Text;
        QVariantMap Values;
        QString FastTable = {};
        QString FastText = {};
        QVariantMap FastValues = {};
    };

    QSqlDatabase GetConnectAdo();
    void CloseConnectAdo();
    int GetPageCount() const;
    int GetNowDataCount(QuestionDataStatements::TFilter Filter, const QVariantMap &Values);
    QVariant ReadValue(const TStatement &Statement); // first column of the first row, null without one
    void ShowPage(int Listing, QuestionDataStatements::TFilter Filter, const QVariantMap &FilterValues,
                  QVariantMap PageValues, int APageIndex);
    std::vector<std::unique_ptr<TQuestionDataItem>> ReadRows(const TStatement &Statement);
    void ViewData(int Listing, const TStatement &Statement, bool SetSearchCount);
    void ProcessMessages(bool Always);

    QString FAdoCon; // the connection's name; QtSql holds it only while an operation runs
    QString FDataFileName;
    int FSearchDataCount = 0;
    int FDataCount = 0;
    int FListing = 0;           // the newest listing; an older one still handing out rows stops
    QElapsedTimer FLastMessages; // when pending messages were last processed
};

// The program's question database, created and freed by the main window.
extern TQuestionData *QuestionData;
