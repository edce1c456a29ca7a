#include "Store.h"

#include <QDateTime>
#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace {
const QString QuestionColumns = u"q.id, q.type_id, t.name, q.title, q.content, q.nickname, q.created, q.marks, "
                                "q.recommended, (SELECT COUNT(*) FROM answers a WHERE a.question_id = q.id) "
                                "FROM questions q LEFT JOIN question_types t ON t.id = q.type_id "_s;

TMember ReadMember(const QSqlQuery &q)
{
    TMember m;
    m.Id = q.value(0).toLongLong();
    m.UserName = q.value(1).toString();
    m.NickName = q.value(2).toString();
    m.PassHash = q.value(3).toString();
    m.Email = q.value(4).toString();
    m.Sex = q.value(5).toString();
    m.IsManage = q.value(6).toBool();
    m.Locked = q.value(7).toBool();
    m.JiFen = q.value(8).toInt();
    m.Created = q.value(9).toString();
    m.LastLogin = q.value(10).toString();
    m.SystemSet = q.value(11).toString();
    return m;
}

TQuestion ReadQuestion(const QSqlQuery &q)
{
    TQuestion r;
    r.Id = q.value(0).toLongLong();
    r.TypeId = q.value(1).toInt();
    r.TypeName = q.value(2).toString();
    r.Title = q.value(3).toString();
    r.Content = q.value(4).toString();
    r.NickName = q.value(5).toString();
    r.Date = q.value(6).toString();
    r.Marks = q.value(7).toInt();
    r.Recommended = q.value(8).toBool();
    r.AnswerCount = q.value(9).toInt();
    return r;
}

template <typename Row, typename Reader>
QList<Row> ReadAll(QSqlQuery &q, Reader read)
{
    QList<Row> rows;
    while (q.next())
        rows.append(read(q));
    return rows;
}
} // namespace

TStore::TStore(const QString &dataDir)
    : FConnectionName(u"talvik-store-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    if (!QDir().mkpath(dataDir))
        throw EStoreError("cannot create the data directory " + dataDir.toStdString());
    FDb = QSqlDatabase::addDatabase(u"QSQLITE"_s, FConnectionName);
    FDb.setDatabaseName(QDir(dataDir).filePath(u"talvik.db"_s));
    // Admin commands write from another process; wait for them rather than fail.
    FDb.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=5000"_s);
    if (!FDb.open())
        throw EStoreError("cannot open the store: " + FDb.lastError().text().toStdString());
    Run(u"PRAGMA journal_mode=WAL"_s);
    Run(u"PRAGMA synchronous=NORMAL"_s);
    Run(u"PRAGMA foreign_keys=ON"_s);
    CreateSchema();
    EnsureQuestionTypes();
}

QList<TQuestionType> TStore::ReferenceTypes()
{
    return {{54, u"语言基础(pascal)"_s}, {56, u"VCL控件开发/使用"_s}, {57, u"图形图像处理"_s}, {58, u"多媒体/音频视频"_s},
            {59, u"数据库相关"_s}, {60, u"多线程编程"_s}, {61, u"网络通讯"_s}, {63, u"程序算法"_s},
            {55, u"函数使用"_s}, {62, u"Windows API相关"_s}, {64, u"打印与报表技术"_s}, {65, u"其他"_s}};
}

// A new store starts with the community's reference classifications.
void TStore::EnsureQuestionTypes()
{
    QSqlQuery q = Run(u"SELECT COUNT(*) FROM question_types"_s);
    if (q.next() && q.value(0).toInt() > 0)
        return;
    InTransaction([&] {
        for (const TQuestionType &type : ReferenceTypes())
            AddQuestionType(type);
    });
}

TStore::~TStore()
{
    FDb.close();
    FDb = QSqlDatabase();
    QSqlDatabase::removeDatabase(FConnectionName);
}

QString TStore::Now()
{
    return QDateTime::currentDateTime().toString(u"yyyy-MM-dd hh:mm:ss"_s);
}

QSqlQuery TStore::Run(const QString &sql, const QVariantList &values)
{
    QSqlQuery q(FDb);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw EStoreError(QString(u"cannot prepare: "_s + q.lastError().text() + u" in "_s + sql).toStdString());
    for (const QVariant &value : values)
        q.addBindValue(value);
    if (!q.exec())
        throw EStoreError(QString(u"statement failed: "_s + q.lastError().text()).toStdString());
    return q;
}

void TStore::CreateSchema()
{
    const QStringList statements = {
        u"CREATE TABLE IF NOT EXISTS members (id INTEGER PRIMARY KEY, username TEXT NOT NULL UNIQUE COLLATE NOCASE, "
        "nickname TEXT NOT NULL UNIQUE COLLATE NOCASE, pass_hash TEXT NOT NULL, email TEXT NOT NULL DEFAULT '', "
        "sex TEXT NOT NULL DEFAULT '', is_manage INTEGER NOT NULL DEFAULT 0, locked INTEGER NOT NULL DEFAULT 0, "
        "jifen INTEGER NOT NULL DEFAULT 0, created TEXT NOT NULL, last_login TEXT NOT NULL DEFAULT '', "
        "systemset TEXT NOT NULL DEFAULT '')"_s,
        u"CREATE TABLE IF NOT EXISTS settings (key TEXT PRIMARY KEY, value TEXT NOT NULL)"_s,
        u"CREATE TABLE IF NOT EXISTS question_types (id INTEGER PRIMARY KEY, name TEXT NOT NULL, "
        "sort INTEGER NOT NULL)"_s,
        u"CREATE TABLE IF NOT EXISTS questions (id INTEGER PRIMARY KEY AUTOINCREMENT, member_id INTEGER, "
        "nickname TEXT NOT NULL, type_id INTEGER NOT NULL, title TEXT NOT NULL, content TEXT NOT NULL, "
        "marks INTEGER NOT NULL DEFAULT 0, recommended INTEGER NOT NULL DEFAULT 0, created TEXT NOT NULL)"_s,
        u"CREATE TABLE IF NOT EXISTS answers (id INTEGER PRIMARY KEY AUTOINCREMENT, "
        "question_id INTEGER NOT NULL REFERENCES questions(id), member_id INTEGER, nickname TEXT NOT NULL, "
        "content TEXT NOT NULL, reference TEXT NOT NULL DEFAULT '', created TEXT NOT NULL)"_s,
        u"CREATE INDEX IF NOT EXISTS ix_answers_question ON answers(question_id, id)"_s,
        u"CREATE TABLE IF NOT EXISTS shared_urls (id INTEGER PRIMARY KEY AUTOINCREMENT, nickname TEXT NOT NULL, "
        "title TEXT NOT NULL, url TEXT NOT NULL, type_id INTEGER NOT NULL, date TEXT NOT NULL, created TEXT NOT NULL)"_s,
        u"CREATE TABLE IF NOT EXISTS reports (id INTEGER PRIMARY KEY AUTOINCREMENT, reporter TEXT NOT NULL, "
        "nickname TEXT NOT NULL, qqnum TEXT NOT NULL, reason TEXT NOT NULL, date TEXT NOT NULL, created TEXT NOT NULL)"_s,
        u"CREATE TABLE IF NOT EXISTS notices (id INTEGER PRIMARY KEY AUTOINCREMENT, title TEXT NOT NULL, "
        "content TEXT NOT NULL, created TEXT NOT NULL)"_s,
        u"CREATE TABLE IF NOT EXISTS file_requests (id INTEGER PRIMARY KEY AUTOINCREMENT, user TEXT NOT NULL, "
        "filename TEXT NOT NULL, filesize INTEGER NOT NULL, depict TEXT NOT NULL, type_id INTEGER NOT NULL, "
        "created TEXT NOT NULL)"_s,
        u"CREATE TABLE IF NOT EXISTS shared_files (id INTEGER PRIMARY KEY AUTOINCREMENT, user TEXT NOT NULL, "
        "filename TEXT NOT NULL, filesize INTEGER NOT NULL, created TEXT NOT NULL, UNIQUE(user, filename))"_s,
        u"CREATE TABLE IF NOT EXISTS password_requests (id INTEGER PRIMARY KEY AUTOINCREMENT, "
        "username TEXT NOT NULL, email TEXT NOT NULL, created TEXT NOT NULL)"_s,
    };
    for (const QString &statement : statements)
        Run(statement);
}

void TStore::Begin() { Run(u"BEGIN IMMEDIATE"_s); }
void TStore::Commit() { Run(u"COMMIT"_s); }
void TStore::Rollback()
{
    QSqlQuery q(FDb);
    q.exec(u"ROLLBACK"_s);
}

std::optional<TMember> TStore::FindMember(const QString &userName)
{
    QSqlQuery q = Run(u"SELECT id, username, nickname, pass_hash, email, sex, is_manage, locked, jifen, created, "
                      "last_login, systemset FROM members WHERE username = ?"_s, {userName});
    if (!q.next())
        return std::nullopt;
    return ReadMember(q);
}

std::optional<TMember> TStore::FindMemberById(qint64 id)
{
    QSqlQuery q = Run(u"SELECT username FROM members WHERE id = ?"_s, {id});
    if (!q.next())
        return std::nullopt;
    return FindMember(q.value(0).toString());
}

bool TStore::NickNameTaken(const QString &nickName)
{
    QSqlQuery q = Run(u"SELECT 1 FROM members WHERE nickname = ?"_s, {nickName});
    return q.next();
}

qint64 TStore::AddMember(const TMember &m)
{
    QSqlQuery q = Run(u"INSERT INTO members (username, nickname, pass_hash, email, sex, is_manage, locked, jifen, created) "
                      "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
                      {m.UserName, m.NickName, m.PassHash, m.Email, m.Sex, int(m.IsManage), int(m.Locked), m.JiFen, Now()});
    return q.lastInsertId().toLongLong();
}

bool TStore::SetPassHash(const QString &userName, const QString &passHash)
{
    return Run(u"UPDATE members SET pass_hash = ? WHERE username = ?"_s, {passHash, userName}).numRowsAffected() > 0;
}

bool TStore::SetLocked(const QString &userName, bool locked)
{
    return Run(u"UPDATE members SET locked = ? WHERE username = ?"_s, {int(locked), userName}).numRowsAffected() > 0;
}

bool TStore::SetModerator(const QString &userName, bool isManage)
{
    return Run(u"UPDATE members SET is_manage = ? WHERE username = ?"_s, {int(isManage), userName}).numRowsAffected() > 0;
}

void TStore::RecordLogin(qint64 memberId)
{
    Run(u"UPDATE members SET last_login = ? WHERE id = ?"_s, {Now(), memberId});
}

void TStore::AddPoints(qint64 memberId, int points)
{
    Run(u"UPDATE members SET jifen = jifen + ? WHERE id = ?"_s, {points, memberId});
}

QString TStore::Setting(const QString &key, const QString &fallback)
{
    QSqlQuery q = Run(u"SELECT value FROM settings WHERE key = ?"_s, {key});
    return q.next() ? q.value(0).toString() : fallback;
}

void TStore::SetSetting(const QString &key, const QString &value)
{
    Run(u"INSERT INTO settings (key, value) VALUES (?, ?) ON CONFLICT(key) DO UPDATE SET value = excluded.value"_s,
        {key, value});
}

QList<TQuestionType> TStore::QuestionTypes()
{
    QSqlQuery q = Run(u"SELECT id, name FROM question_types ORDER BY sort, id"_s);
    return ReadAll<TQuestionType>(q, [](const QSqlQuery &r) { return TQuestionType{r.value(0).toInt(), r.value(1).toString()}; });
}

bool TStore::HasQuestionType(int id)
{
    return Run(u"SELECT 1 FROM question_types WHERE id = ?"_s, {id}).next();
}

void TStore::AddQuestionType(const TQuestionType &type)
{
    Run(u"INSERT OR IGNORE INTO question_types (id, name, sort) "
        "VALUES (?, ?, (SELECT COALESCE(MAX(sort), 0) + 1 FROM question_types))"_s, {type.Id, type.Name});
}

qint64 TStore::AddQuestion(TQuestion &question)
{
    if (question.Date.isEmpty())
        question.Date = Now();
    QSqlQuery q = Run(u"INSERT INTO questions (nickname, type_id, title, content, marks, recommended, created) "
                      "VALUES (?, ?, ?, ?, ?, ?, ?)"_s,
                      {question.NickName, question.TypeId, question.Title, question.Content, question.Marks,
                       int(question.Recommended), question.Date});
    question.Id = q.lastInsertId().toLongLong();
    return question.Id;
}

std::optional<TQuestion> TStore::Question(qint64 id)
{
    QSqlQuery q = Run(u"SELECT "_s + QuestionColumns + u"WHERE q.id = ?"_s, {id});
    if (!q.next())
        return std::nullopt;
    return ReadQuestion(q);
}

QList<TQuestion> TStore::Questions(bool recommendedOnly, int limit)
{
    QSqlQuery q = Run(u"SELECT "_s + QuestionColumns + (recommendedOnly ? u"WHERE q.recommended <> 0 "_s : QString())
                          + u"ORDER BY q.created DESC, q.id DESC LIMIT ?"_s,
                      {limit});
    return ReadAll<TQuestion>(q, ReadQuestion);
}

QList<TQuestion> TStore::QuestionIndex()
{
    QSqlQuery q = Run(u"SELECT id, type_id, title, nickname, created FROM questions ORDER BY id"_s);
    return ReadAll<TQuestion>(q, [](const QSqlQuery &r) {
        TQuestion question;
        question.Id = r.value(0).toLongLong();
        question.TypeId = r.value(1).toInt();
        question.Title = r.value(2).toString();
        question.NickName = r.value(3).toString();
        question.Date = r.value(4).toString();
        return question;
    });
}

int TStore::QuestionCount()
{
    QSqlQuery q = Run(u"SELECT COUNT(*) FROM questions"_s);
    return q.next() ? q.value(0).toInt() : 0;
}

bool TStore::SetRecommended(qint64 id, bool recommended)
{
    return Run(u"UPDATE questions SET recommended = ? WHERE id = ?"_s, {int(recommended), id}).numRowsAffected() > 0;
}

qint64 TStore::AddAnswer(TAnswer &answer)
{
    if (answer.Date.isEmpty())
        answer.Date = Now();
    QSqlQuery q = Run(u"INSERT INTO answers (question_id, nickname, content, created) VALUES (?, ?, ?, ?)"_s,
                      {answer.QuestionId, answer.NickName, answer.Content, answer.Date});
    answer.Id = q.lastInsertId().toLongLong();
    return answer.Id;
}

QList<TAnswer> TStore::Answers(qint64 questionId)
{
    QSqlQuery q = Run(u"SELECT id, question_id, nickname, content, created FROM answers WHERE question_id = ? ORDER BY id"_s,
                      {questionId});
    return ReadAll<TAnswer>(q, [](const QSqlQuery &r) {
        return TAnswer{r.value(0).toLongLong(), r.value(1).toLongLong(), r.value(2).toString(), r.value(3).toString(),
                       r.value(4).toString()};
    });
}

void TStore::AddSharedUrl(TSharedUrl &url)
{
    url.Id = Run(u"INSERT INTO shared_urls (nickname, title, url, type_id, date, created) VALUES (?, ?, ?, ?, ?, ?)"_s,
                 {url.NickName, url.Title, url.Url, url.TypeId, url.Date, Now()})
                 .lastInsertId()
                 .toLongLong();
}

QList<TSharedUrl> TStore::SharedUrls(int limit)
{
    QSqlQuery q = Run(u"SELECT s.id, s.nickname, s.title, s.url, s.type_id, COALESCE(t.name, ''), s.created "
                      "FROM shared_urls s LEFT JOIN question_types t ON t.id = s.type_id ORDER BY s.id DESC LIMIT ?"_s,
                      {limit});
    return ReadAll<TSharedUrl>(q, [](const QSqlQuery &r) {
        return TSharedUrl{r.value(0).toLongLong(), r.value(1).toString(), r.value(2).toString(), r.value(3).toString(),
                          r.value(4).toInt(), r.value(5).toString(), r.value(6).toString()};
    });
}

void TStore::AddReport(TReport &report)
{
    report.Id = Run(u"INSERT INTO reports (reporter, nickname, qqnum, reason, date, created) VALUES (?, ?, ?, ?, ?, ?)"_s,
                    {report.Reporter, report.NickName, report.QQNum, report.Reason, report.Date, Now()})
                    .lastInsertId()
                    .toLongLong();
}

QList<TReport> TStore::Reports(int limit)
{
    QSqlQuery q = Run(u"SELECT id, reporter, nickname, qqnum, reason, date FROM reports ORDER BY id DESC LIMIT ?"_s, {limit});
    return ReadAll<TReport>(q, [](const QSqlQuery &r) {
        return TReport{r.value(0).toLongLong(), r.value(1).toString(), r.value(2).toString(), r.value(3).toString(),
                       r.value(4).toString(), r.value(5).toString()};
    });
}

qint64 TStore::AddNotice(const QString &title, const QString &content)
{
    return Run(u"INSERT INTO notices (title, content, created) VALUES (?, ?, ?)"_s, {title, content, Now()})
        .lastInsertId()
        .toLongLong();
}

namespace {
TNotice ReadNotice(const QSqlQuery &r)
{
    return TNotice{r.value(0).toLongLong(), r.value(1).toString(), r.value(2).toString(), r.value(3).toString()};
}
} // namespace

QList<TNotice> TStore::Notices(int limit)
{
    QSqlQuery q = Run(u"SELECT id, title, content, created FROM notices ORDER BY id DESC LIMIT ?"_s, {limit});
    return ReadAll<TNotice>(q, ReadNotice);
}

QList<TNotice> TStore::NoticesAfter(qint64 id)
{
    QSqlQuery q = Run(u"SELECT id, title, content, created FROM notices WHERE id > ? ORDER BY id"_s, {id});
    return ReadAll<TNotice>(q, ReadNotice);
}

qint64 TStore::LastNoticeId()
{
    QSqlQuery q = Run(u"SELECT COALESCE(MAX(id), 0) FROM notices"_s);
    return q.next() ? q.value(0).toLongLong() : 0;
}

void TStore::AddFileRequest(const QString &user, const QString &fileName, qint64 size, const QString &depict, int typeId)
{
    Run(u"INSERT INTO file_requests (user, filename, filesize, depict, type_id, created) VALUES (?, ?, ?, ?, ?, ?)"_s,
        {user, fileName, size, depict, typeId, Now()});
}

void TStore::AddSharedFile(const QString &user, const QString &fileName, qint64 size)
{
    Run(u"INSERT INTO shared_files (user, filename, filesize, created) VALUES (?, ?, ?, ?) "
        "ON CONFLICT(user, filename) DO UPDATE SET filesize = excluded.filesize, created = excluded.created"_s,
        {user, fileName, size, Now()});
}

namespace {
const QString SharedFileColumns =
    u"SELECT f.id, f.user, f.filename, f.filesize, COALESCE((SELECT r.depict FROM file_requests r "
    "WHERE r.filename = f.filename AND r.user = f.user COLLATE NOCASE ORDER BY r.id DESC LIMIT 1), ''), f.created FROM shared_files f "_s;

TSharedFile ReadSharedFile(const QSqlQuery &r)
{
    return TSharedFile{r.value(0).toLongLong(), r.value(1).toString(), r.value(2).toString(), r.value(3).toLongLong(),
                       r.value(4).toString(), r.value(5).toString()};
}
} // namespace

QList<TSharedFile> TStore::SharedFiles(int limit)
{
    QSqlQuery q = Run(SharedFileColumns + u"ORDER BY f.id DESC LIMIT ?"_s, {limit});
    return ReadAll<TSharedFile>(q, ReadSharedFile);
}

std::optional<TSharedFile> TStore::SharedFile(qint64 id)
{
    QSqlQuery q = Run(SharedFileColumns + u"WHERE f.id = ?"_s, {id});
    if (!q.next())
        return std::nullopt;
    return ReadSharedFile(q);
}

void TStore::AddPasswordRequest(const QString &userName, const QString &email)
{
    Run(u"INSERT INTO password_requests (username, email, created) VALUES (?, ?, ?)"_s, {userName, email, Now()});
}

QList<TPasswordRequest> TStore::PasswordRequests()
{
    QSqlQuery q = Run(u"SELECT username, email, created FROM password_requests ORDER BY id"_s);
    return ReadAll<TPasswordRequest>(q, [](const QSqlQuery &r) {
        return TPasswordRequest{r.value(0).toString(), r.value(1).toString(), r.value(2).toString()};
    });
}
