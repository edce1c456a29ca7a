#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <optional>
#include <stdexcept>

class QSqlQuery;

class EStoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TMember {
    qint64 Id = 0;
    QString UserName;
    QString NickName;
    QString PassHash;
    QString Email;
    QString Sex;
    bool IsManage = false;
    bool Locked = false;
    int JiFen = 0;
    QString Created;
    QString LastLogin;
    QString SystemSet;
};

struct TQuestionType {
    int Id = 0;
    QString Name;
};

// Titles and contents are kept as the client sends them: already HTML-escaped.
struct TQuestion {
    qint64 Id = 0;
    int TypeId = 0;
    QString TypeName;
    QString Title;
    QString Content;
    QString NickName;
    QString Date;
    int Marks = 0;
    bool Recommended = false;
    int AnswerCount = 0;
};

struct TAnswer {
    qint64 Id = 0;
    qint64 QuestionId = 0;
    QString NickName;
    QString Content;
    QString Date;
};

struct TSharedUrl {
    qint64 Id = 0;
    QString NickName;
    QString Title;
    QString Url;
    int TypeId = 0;
    QString TypeName;
    QString Date;
};

struct TReport {
    qint64 Id = 0;
    QString Reporter;
    QString NickName;
    QString QQNum;
    QString Reason;
    QString Date;
};

struct TNotice {
    qint64 Id = 0;
    QString Title;
    QString Content;
    QString Date;
};

struct TSharedFile {
    qint64 Id = 0;
    QString User;
    QString FileName;
    qint64 FileSize = 0;
    QString Depict;
    QString Date;
};

struct TPasswordRequest {
    QString UserName;
    QString Email;
    QString Date;
};

// The server's one store: members, questions, answers, shared addresses, reports, notices,
// uploads and the operator's settings, in one SQLite file in the data directory. A TStore
// belongs to the thread that opened it. Every statement binds its values; failures throw
// EStoreError and leave the store as it was (one statement or one transaction at a time).
class TStore {
public:
    explicit TStore(const QString &dataDir);
    ~TStore();
    TStore(const TStore &) = delete;
    TStore &operator=(const TStore &) = delete;

    static QString Now(); // "yyyy-MM-dd hh:mm:ss", local time

    std::optional<TMember> FindMember(const QString &userName);
    std::optional<TMember> FindMemberById(qint64 id);
    bool NickNameTaken(const QString &nickName);
    qint64 AddMember(const TMember &member); // throws when the name or nickname is taken
    bool SetPassHash(const QString &userName, const QString &passHash);
    bool SetLocked(const QString &userName, bool locked);
    bool SetModerator(const QString &userName, bool isManage);
    void RecordLogin(qint64 memberId);
    void AddPoints(qint64 memberId, int points);

    QString Setting(const QString &key, const QString &fallback = {});
    void SetSetting(const QString &key, const QString &value);

    QList<TQuestionType> QuestionTypes();
    bool HasQuestionType(int id);
    void AddQuestionType(const TQuestionType &type);
    static QList<TQuestionType> ReferenceTypes();

    qint64 AddQuestion(TQuestion &question); // fills Id and Date
    std::optional<TQuestion> Question(qint64 id);
    QList<TQuestion> Questions(bool recommendedOnly, int limit);
    QList<TQuestion> QuestionIndex(); // oldest first; no contents, no answer counts
    int QuestionCount();
    bool SetRecommended(qint64 id, bool recommended);

    qint64 AddAnswer(TAnswer &answer); // fills Id and Date
    QList<TAnswer> Answers(qint64 questionId);

    void AddSharedUrl(TSharedUrl &url);
    QList<TSharedUrl> SharedUrls(int limit);
    void AddReport(TReport &report);
    QList<TReport> Reports(int limit);
    qint64 AddNotice(const QString &title, const QString &content);
    QList<TNotice> Notices(int limit);      // newest first
    QList<TNotice> NoticesAfter(qint64 id); // oldest first
    qint64 LastNoticeId();

    void AddFileRequest(const QString &user, const QString &fileName, qint64 size, const QString &depict, int typeId);
    void AddSharedFile(const QString &user, const QString &fileName, qint64 size);
    QList<TSharedFile> SharedFiles(int limit);
    std::optional<TSharedFile> SharedFile(qint64 id);

    void AddPasswordRequest(const QString &userName, const QString &email);
    QList<TPasswordRequest> PasswordRequests();

    // Runs `work` as one transaction: everything or nothing.
    template <typename Work>
    void InTransaction(Work work)
    {
        Begin();
        try {
            work();
            Commit();
        } catch (...) {
            Rollback(); // a failed commit leaves the transaction open
            throw;
        }
    }

private:
    QSqlQuery Run(const QString &sql, const QVariantList &values = {});
    void CreateSchema();
    void EnsureQuestionTypes();
    void Begin();
    void Commit();
    void Rollback();

    QString FConnectionName;
    QSqlDatabase FDb;
};
