#include "Publisher.h"

#include "QuestionDataSchema.h"
#include "ServerLog.h"
#include "md5.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QUuid>

#include <chrono>
#include <filesystem>

using namespace Qt::StringLiterals;

namespace {
constexpr auto MinimumGap = std::chrono::milliseconds(300);

void Exec(QSqlQuery &q)
{
    if (!q.exec())
        throw std::runtime_error(q.lastError().text().toStdString());
}

void Fill(QSqlDatabase &db, const TPublishSource &source)
{
    QuestionDataSchema::Create(db);
    if (!db.transaction())
        throw std::runtime_error("cannot start a transaction");
    QSqlQuery type(db);
    type.prepare(u"INSERT INTO T_QuestionType (F_QTypeID, F_QTypeName) VALUES (?, ?)"_s);
    for (const TQuestionType &t : source.Types) {
        type.addBindValue(t.Id);
        type.addBindValue(t.Name);
        Exec(type);
    }
    QSqlQuery question(db);
    question.prepare(u"INSERT INTO T_LocalQuestion (F_Title, F_TypeId, F_URL, F_User, F_Date, F_IsPost, F_QuestionID) "
                     "VALUES (?, ?, ?, ?, ?, 1, ?)"_s);
    for (const TQuestion &q : source.Questions) {
        question.addBindValue(q.Title);
        question.addBindValue(q.TypeId);
        question.addBindValue(QString(QString::number(q.Id) + u".html"_s));
        question.addBindValue(q.NickName);
        question.addBindValue(q.Date);
        question.addBindValue(q.Id);
        Exec(question);
    }
    if (!db.commit())
        throw std::runtime_error("cannot commit");
}
} // namespace

TPublisher::TPublisher(const QString &dataDir, TSourceReader reader)
    : FFilePath(QDir(dataDir).filePath(u"published/DataFile.dat"_s)), FReader(std::move(reader))
{
    QDir().mkpath(QDir(dataDir).filePath(u"published"_s));
}

TPublisher::~TPublisher()
{
    Stop();
}

void TPublisher::Build(const QString &path, const TPublishSource &source)
{
    QFile::remove(path);
    const QString name = u"talvik-publish-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(path);
        try {
            if (!db.open())
                throw std::runtime_error("cannot create " + path.toStdString());
            Fill(db, source);
        } catch (...) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            throw;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

void TPublisher::PublishNow()
{
    std::lock_guard build(FBuildLock);
    const TPublishSource source = FReader();
    const QString temporary = FFilePath + u".new"_s;
    Build(temporary, source);
    QFile file(temporary);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + temporary.toStdString());
    TPublishedFile published;
    published.Bytes = std::make_shared<const QByteArray>(file.readAll());
    file.close();
    published.Md5 = Md5ToHex(Md5OfFile(temporary));
    published.QuestionCount = int(source.Questions.size());
    std::filesystem::rename(temporary.toStdString(), FFilePath.toStdString()); // atomic replacement
    {
        std::lock_guard lock(FLock);
        FCurrent = published;
    }
    ServerLog::Line(u"published %1 questions, %2 bytes, md5 %3"_s.arg(published.QuestionCount)
                        .arg(published.Bytes->size())
                        .arg(published.Md5));
}

void TPublisher::Start()
{
    std::lock_guard lock(FLock);
    FStopping = false;
    if (!FThread.joinable())
        FThread = std::thread([this] { Run(); });
}

void TPublisher::MarkDirty()
{
    std::lock_guard lock(FLock);
    FDirty = true;
    FWake.notify_one();
}

void TPublisher::Stop()
{
    {
        std::lock_guard lock(FLock);
        FStopping = true;
        FWake.notify_one();
    }
    if (FThread.joinable())
        FThread.join();
}

TPublishedFile TPublisher::Current() const
{
    std::lock_guard lock(FLock);
    return FCurrent;
}

void TPublisher::Run()
{
    std::unique_lock lock(FLock);
    for (;;) {
        FWake.wait(lock, [this] { return FDirty || FStopping; });
        if (!FDirty)
            return;
        FDirty = false;
        lock.unlock();
        bool failed = false;
        try {
            PublishNow();
        } catch (const std::exception &error) {
            failed = true;
            ServerLog::Line(u"publishing failed: %1"_s.arg(QString::fromLocal8Bit(error.what())));
        }
        lock.lock();
        if (failed && FStopping)
            return;
        FDirty = FDirty || failed; // try again after the pause
        if (!FStopping) // let changes gather before the next build
            FWake.wait_for(lock, MinimumGap, [this] { return FStopping; });
    }
}
