#include "QuestionDataFixture.h"

#include "LogUnit.h"
#include "ProgramDir.h"
#include "QuestionDataSchema.h"
#include "QuestionDataStatements.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

const QString FixtureConnection = u"QuestionDataFixture"_s;

void Check(bool ok, const QSqlQuery &query)
{
    if (!ok)
        throw std::runtime_error(query.lastError().text().toStdString());
}

void Fill(QSqlDatabase &db, TFixtureLayout layout, const std::vector<TFixtureQuestion> &questions)
{
    QuestionDataSchema::CreateTables(db);
    db.transaction();
    QSqlQuery insert(db);
    Check(insert.prepare(QuestionDataStatements::Insert()), insert);
    for (const TFixtureQuestion &q : questions) {
        const QVariantList values = {q.Title, q.TypeId, q.URL, q.User, q.Date, 1, q.QuestionID};
        for (int i = 0; i < values.size(); ++i)
            insert.bindValue(u':' + QChar(u'a' + i), values[i]);
        Check(insert.exec(), insert);
    }
    db.commit();
    if (layout == TFixtureLayout::Published)
        QuestionDataSchema::Create(db); // the title index and counts filled from the rows already there
}

// Runs the body on the file under a connection of its own, gone again afterwards.
template <typename Body>
void WithDatabase(const QString &file, Body &&body)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, FixtureConnection);
        db.setDatabaseName(file);
        if (!db.open())
            throw std::runtime_error("cannot open the fixture database");
        QuestionDataSchema::Exec(db, u"PRAGMA synchronous = OFF"_s); // a fixture needs no durability
        body(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(FixtureConnection);
}

} // namespace

TQuestionDataFixture::TQuestionDataFixture()
{
    ProgramDir::SetOverride(FDir.path());
    QDir(FDir.path()).mkpath(u"Data"_s);
    WriteLink("[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n"
              "Provider=SQLite;Data Source=Data/DataFile.dat\r\n");
}

TQuestionDataFixture::~TQuestionDataFixture()
{
    ProgramDir::SetOverride(QString());
}

QString TQuestionDataFixture::TypeName(int typeId)
{
    return ReferenceClassificationName(typeId);
}

void TQuestionDataFixture::Build(TFixtureLayout layout, const std::vector<TFixtureQuestion> &questions) const
{
    BuildAt(DataFile(), layout, questions);
}

void TQuestionDataFixture::BuildAt(const QString &file, TFixtureLayout layout,
                                   const std::vector<TFixtureQuestion> &questions) const
{
    QFile::remove(file);
    WithDatabase(file, [&](QSqlDatabase &db) { Fill(db, layout, questions); });
}

void TQuestionDataFixture::Exec(const QString &statement) const
{
    WithDatabase(DataFile(), [&](QSqlDatabase &db) { QuestionDataSchema::Exec(db, statement); });
}

void TQuestionDataFixture::WriteLink(const QByteArray &content) const
{
    QFile link(Dir() + u"QuestionData.udl"_s);
    if (!link.open(QIODevice::WriteOnly | QIODevice::Truncate) || link.write(content) != content.size())
        throw std::runtime_error("cannot write the link file");
}

void TQuestionDataFixture::RemoveLink() const
{
    QFile::remove(Dir() + u"QuestionData.udl"_s);
}

QStringList TQuestionDataFixture::LogLabels() const
{
    QFile log(LogFileName());
    QStringList labels;
    if (!log.open(QIODevice::ReadOnly))
        return labels;
    static const QRegularExpression labelLine(u"^\\[([^\\]]*)\\]:"_s);
    for (const QByteArray &line : log.readAll().split('\n')) {
        const QRegularExpressionMatch match = labelLine.match(QString::fromLatin1(line));
        if (match.hasMatch())
            labels << match.captured(1);
    }
    return labels;
}
