#include "QuestionDataGenerator.h"

#include "QuestionDataSchema.h"
#include "QuestionDataStatements.h"

#include <QDateTime>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <random>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace QuestionDataGenerator {

namespace {

const QString GeneratorConnection = u"QuestionDataGenerator"_s;
constexpr int FinishedVersion = 2; // user_version, written last

const QStringList Words = {
    u"如何"_s,   u"使用"_s,   u"控件"_s,      u"数据库"_s, u"线程"_s, u"问题"_s,     u"窗体"_s,   u"字符串"_s,
    u"内存"_s,   u"报表"_s,   u"打印"_s,      u"网络"_s,   u"Socket"_s, u"TStringList"_s, u"DBGrid"_s, u"ADO"_s,
    u"查询"_s,   u"排序"_s,   u"错误"_s,      u"异常"_s,   u"编译"_s, u"Delphi7"_s,  u"XE"_s,     u"指针"_s,
    u"数组"_s,   u"记录"_s,   u"接口"_s,      u"消息"_s,   u"图像"_s, u"音频"_s,     u"TListView"_s, u"注册表"_s,
};

void Check(bool ok, const QSqlQuery &query)
{
    if (!ok)
        throw std::runtime_error(query.lastError().text().toStdString());
}

QString Title(std::mt19937 &random, int i)
{
    std::uniform_int_distribution<int> word(0, int(Words.size()) - 1);
    QString title = Words[word(random)];
    for (int n = 0; n < 4; ++n)
        title += u' ' + Words[word(random)];
    if (i % 100 == 7)
        title += u' ' + KeywordOnePercent;
    if (i % 10 == 3)
        title += u' ' + KeywordTenPercent;
    return title;
}

void Fill(QSqlDatabase &db, const TOptions &options)
{
    QuestionDataSchema::CreateTables(db);
    db.transaction();
    QSqlQuery insert(db);
    Check(insert.prepare(QuestionDataStatements::Insert()), insert);
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> typeOf(0, int(ReferenceClassifications.size()) - 1);
    std::uniform_int_distribution<int> authorOf(1, options.Authors);
    const qint64 first = QDateTime(QDate(2010, 1, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
    std::uniform_int_distribution<qint64> secondOf(0, 15LL * 365 * 24 * 3600);
    for (int i = 0; i < options.Questions; ++i) {
        insert.bindValue(u":a"_s, Title(random, i));
        insert.bindValue(u":b"_s, ReferenceClassifications[size_t(typeOf(random))].Id);
        insert.bindValue(u":c"_s, u"q%1.html"_s.arg(i + 1));
        insert.bindValue(u":d"_s, AuthorName(authorOf(random)));
        insert.bindValue(u":e"_s, QDateTime::fromSecsSinceEpoch(first + secondOf(random), Qt::UTC)
                                       .toString(u"yyyy-MM-dd hh:mm:ss"_s));
        insert.bindValue(u":f"_s, 1);
        insert.bindValue(u":g"_s, i + 1);
        Check(insert.exec(), insert);
    }
    db.commit();
    if (options.Indexes)
        QuestionDataSchema::Create(db);
    QuestionDataSchema::Exec(db, u"PRAGMA user_version = %1"_s.arg(FinishedVersion));
}

int FileVersion(const QString &file)
{
    int version = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, GeneratorConnection);
        db.setDatabaseName(file);
        db.setConnectOptions(u"QSQLITE_OPEN_READONLY"_s);
        QSqlQuery query(db);
        if (db.open() && query.exec(u"PRAGMA user_version"_s) && query.next())
            version = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(GeneratorConnection);
    return version;
}

} // namespace

QString AuthorName(int author)
{
    return u"会员%1"_s.arg(author, 4, 10, QChar(u'0'));
}

void Generate(const QString &file, const TOptions &options)
{
    QFile::remove(file);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, GeneratorConnection);
        db.setDatabaseName(file);
        if (db.open()) {
            QuestionDataSchema::Exec(db, u"PRAGMA journal_mode = OFF"_s);
            QuestionDataSchema::Exec(db, u"PRAGMA synchronous = OFF"_s);
            Fill(db, options);
            ok = true;
        }
    }
    QSqlDatabase::removeDatabase(GeneratorConnection);
    if (!ok)
        throw std::runtime_error("cannot create " + file.toStdString());
}

void EnsureGenerated(const QString &file, const TOptions &options)
{
    if (!QFile::exists(file) || FileVersion(file) != FinishedVersion)
        Generate(file, options);
}

} // namespace QuestionDataGenerator
