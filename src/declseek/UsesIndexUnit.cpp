#include "UsesIndexUnit.h"

#include "AnsiCodePage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QVariant>

#include <array>
#include <deque>

using namespace Qt::StringLiterals;

namespace UsesIndex {
namespace {

// Declaration kinds in T_UsesDecl; they are the search types' own numbers.
constexpr int ClassKind = int(TSearchType::ClassOrRecord);
constexpr int FunctionKind = int(TSearchType::Function);
constexpr int ProcedureKind = int(TSearchType::Procedure);

using TDeclarations = std::array<QSet<QString>, 4>; // names by kind

[[noreturn]] void Fail(const QString &message)
{
    throw EUsesIndexError(message.toStdString());
}

// LIKE and lower() of SQLite fold A-Z only; so does everything here.
QString AsciiLower(QStringView text)
{
    QString lower = text.toString();
    for (QChar &c : lower)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    return lower;
}

bool PrecededBy(QStringView text, qsizetype pos, QLatin1StringView word)
{
    return pos >= word.size() && AsciiLower(text.sliced(pos - word.size(), word.size())) == word;
}

void AddRoutineNames(QStringView run, QSet<QString> &names)
{
    for (qsizetype i = 1; i < run.size(); ++i)
        if (run[i] == u'(')
            names.insert(AsciiLower(run.first(i)));
}

// For a keyword K without blanks, " K = " occurs in a text exactly where a maximal run of
// non-blank characters equal to K has a blank before it and " = " after it; "function K("
// exactly where "function " is followed by a run that starts with K and a "(". So collecting
// those runs answers the three patterns for every such keyword.
TDeclarations FindDeclarations(QStringView text)
{
    // LIKE sees a text only up to its first NUL character.
    if (const qsizetype nul = text.indexOf(QChar(0)); nul >= 0)
        text = text.first(nul);
    TDeclarations found;
    const qsizetype n = text.size();
    qsizetype start = 0;
    while (start < n) {
        if (text[start] == u' ') {
            ++start;
            continue;
        }
        qsizetype end = start + 1;
        while (end < n && text[end] != u' ')
            ++end;
        const QStringView run = text.sliced(start, end - start);
        if (start > 0 && text.sliced(end).startsWith(u" = "))
            found[ClassKind].insert(AsciiLower(run));
        if (PrecededBy(text, start, "function "_L1))
            AddRoutineNames(run, found[FunctionKind]);
        if (PrecededBy(text, start, "procedure "_L1))
            AddRoutineNames(run, found[ProcedureKind]);
        start = end;
    }
    return found;
}

QString EscapeLike(QString text)
{
    text.replace(u'\\', u"\\\\"_s);
    text.replace(u'%', u"\\%"_s);
    text.replace(u'_', u"\\_"_s);
    return text;
}

QSqlQuery Prepare(QSqlDatabase &db, const QString &statement)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        Fail(query.lastError().text());
    return query;
}

void Exec(QSqlQuery &query)
{
    if (!query.exec())
        Fail(query.lastError().text());
}

void Exec(QSqlDatabase &db, const QString &statement)
{
    QSqlQuery query = Prepare(db, statement);
    Exec(query);
}

QStringList FirstColumn(QSqlQuery &query)
{
    Exec(query);
    QStringList rows;
    while (query.next())
        rows.append(query.value(0).toString());
    return rows;
}

void Begin(QSqlDatabase &db)
{
    if (!db.transaction())
        Fail(db.lastError().text());
}

void Commit(QSqlDatabase &db)
{
    if (!db.commit())
        Fail(db.lastError().text());
}

// Writes one unit's declaration names and takes the unit off the pending list.
class TDeclarationWriter {
public:
    explicit TDeclarationWriter(QSqlDatabase &db)
        : FInsert(Prepare(db, u"INSERT OR IGNORE INTO T_UsesDecl(Name, Kind, UnitId) VALUES(?, ?, ?)"_s)),
          FDone(Prepare(db, u"DELETE FROM T_UsesPending WHERE UnitId = ?"_s))
    {
    }

    void Store(qint64 unitId, QStringView text)
    {
        const TDeclarations declarations = FindDeclarations(text);
        for (int kind = ClassKind; kind <= ProcedureKind; ++kind) {
            for (const QString &name : declarations[kind]) {
                FInsert.bindValue(0, name);
                FInsert.bindValue(1, kind);
                FInsert.bindValue(2, unitId);
                Exec(FInsert);
            }
        }
        FDone.bindValue(0, unitId);
        Exec(FDone);
    }

private:
    QSqlQuery FInsert;
    QSqlQuery FDone;
};

QString JoinLines(const QString &text)
{
    QString joined;
    joined.reserve(text.size() + text.size() / 16 + 2);
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        qsizetype end = i;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        joined += QStringView(text).sliced(i, end - i);
        joined += u"\r\n";
        i = (end + 1 < n && text[end] == u'\r' && text[end + 1] == u'\n') ? end + 2 : end + 1;
    }
    return joined;
}

} // namespace

QStringList Patterns(TSearchType Type, const QString &KeyWord)
{
    switch (Type) {
    case TSearchType::ClassOrRecord: return {u" "_s + KeyWord + u" = "_s};
    case TSearchType::Function: return {u"function "_s + KeyWord + u"("_s};
    case TSearchType::Procedure: return {u"procedure "_s + KeyWord + u"("_s};
    case TSearchType::All: break;
    }
    return {u" "_s + KeyWord + u" = "_s, u"function "_s + KeyWord + u"("_s, u"procedure "_s + KeyWord + u"("_s};
}

bool CanUseDeclarations(QSqlDatabase &Db, const QString &KeyWord)
{
    if (KeyWord.isEmpty() || KeyWord.contains(u' ') || KeyWord.contains(QChar(0)))
        return false;
    const QStringList tables = Db.tables();
    if (!tables.contains(u"T_UsesDecl"_s) || !tables.contains(u"T_UsesPending"_s))
        return false;
    QSqlQuery pending = Prepare(Db, u"SELECT 1 FROM T_UsesPending LIMIT 1"_s);
    Exec(pending);
    return !pending.next();
}

QStringList Search(QSqlDatabase &Db, TSearchType Type, const QString &KeyWord)
{
    if (!CanUseDeclarations(Db, KeyWord))
        return SearchByScan(Db, Type, KeyWord);
    // Ordered by rowid: the order in which a scan of T_Uses delivers its rows.
    QSqlQuery query = Prepare(Db, u"SELECT FileName FROM T_Uses WHERE rowid IN "
                                  u"(SELECT UnitId FROM T_UsesDecl WHERE Name = ? AND Kind BETWEEN ? AND ?) "
                                  u"ORDER BY rowid"_s);
    const bool all = Type == TSearchType::All;
    query.addBindValue(AsciiLower(KeyWord));
    query.addBindValue(all ? ClassKind : int(Type));
    query.addBindValue(all ? ProcedureKind : int(Type));
    return FirstColumn(query);
}

QStringList SearchByScan(QSqlDatabase &Db, TSearchType Type, const QString &KeyWord)
{
    const QStringList patterns = Patterns(Type, KeyWord);
    const QStringList conditions(patterns.size(), u"content LIKE ? ESCAPE '\\'"_s);
    QSqlQuery query = Prepare(Db, u"SELECT FileName FROM T_Uses WHERE "_s + conditions.join(u" OR "_s));
    for (const QString &pattern : patterns)
        query.addBindValue(QString(u'%' + EscapeLike(pattern) + u'%'));
    return FirstColumn(query);
}

void CollectFiles(const QString &Root, const QString &Ext, QStringList &List)
{
    const bool anyExtension = Ext == u".*"_s;
    std::deque<QString> queue{Root};
    while (!queue.empty()) {
        const QDir dir(queue.front());
        queue.pop_front();
        const QFileInfoList entries = dir.entryInfoList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
        for (const QFileInfo &entry : entries) {
            const QString path = dir.filePath(entry.fileName());
            if (entry.isDir()) {
                if (!entry.isSymLink()) // a link back up the tree would never end the walk
                    queue.push_back(path);
            } else if (anyExtension || path.endsWith(Ext, Qt::CaseInsensitive)) {
                List.append(path);
            }
        }
    }
}

QString UnitName(const QString &FileName)
{
    return QFileInfo(FileName).completeBaseName();
}

QString ReadUnitText(const QString &FileName)
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        Fail(file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        Fail(file.errorString());
    if (const auto encoding = QStringConverter::encodingForData(bytes))
        return JoinLines(QStringDecoder(*encoding)(bytes));
    return JoinLines(AnsiCodePage::ToUnicode(bytes));
}

void EnsureSchema(QSqlDatabase &Db)
{
    const bool freshPending = !Db.tables().contains(u"T_UsesPending"_s);
    Begin(Db);
    try {
        Exec(Db, u"CREATE TABLE IF NOT EXISTS T_Uses(FileName TEXT, content TEXT)"_s);
        Exec(Db, u"CREATE TABLE IF NOT EXISTS T_UsesDecl(Name TEXT NOT NULL, Kind INTEGER NOT NULL, "
                 u"UnitId INTEGER NOT NULL, PRIMARY KEY(Name, Kind, UnitId)) WITHOUT ROWID"_s);
        Exec(Db, u"CREATE TABLE IF NOT EXISTS T_UsesPending(UnitId INTEGER PRIMARY KEY)"_s);
        Exec(Db, u"CREATE TRIGGER IF NOT EXISTS T_Uses_Insert AFTER INSERT ON T_Uses BEGIN "
                 u"INSERT OR IGNORE INTO T_UsesPending(UnitId) VALUES(new.rowid); END"_s);
        Exec(Db, u"CREATE TRIGGER IF NOT EXISTS T_Uses_Delete AFTER DELETE ON T_Uses BEGIN "
                 u"DELETE FROM T_UsesDecl WHERE UnitId = old.rowid; "
                 u"DELETE FROM T_UsesPending WHERE UnitId = old.rowid; END"_s);
        Exec(Db, u"CREATE TRIGGER IF NOT EXISTS T_Uses_Update AFTER UPDATE ON T_Uses BEGIN "
                 u"DELETE FROM T_UsesDecl WHERE UnitId = old.rowid; "
                 u"DELETE FROM T_UsesPending WHERE UnitId = old.rowid; "
                 u"INSERT OR IGNORE INTO T_UsesPending(UnitId) VALUES(new.rowid); END"_s);
        if (freshPending) { // nothing kept the names in step with the rows until now
            Exec(Db, u"DELETE FROM T_UsesDecl"_s);
            Exec(Db, u"INSERT INTO T_UsesPending(UnitId) SELECT rowid FROM T_Uses"_s);
        }
        Commit(Db);
    } catch (...) {
        Db.rollback();
        throw;
    }
}

void CollectPending(QSqlDatabase &Db)
{
    EnsureSchema(Db);
    QSqlQuery pending = Prepare(Db, u"SELECT UnitId FROM T_UsesPending"_s);
    Exec(pending);
    QList<qint64> ids;
    while (pending.next())
        ids.append(pending.value(0).toLongLong());
    pending.finish();

    Begin(Db);
    try {
        TDeclarationWriter writer(Db);
        QSqlQuery content = Prepare(Db, u"SELECT content FROM T_Uses WHERE rowid = ?"_s);
        for (const qint64 id : ids) {
            content.bindValue(0, id);
            Exec(content);
            const QString text = content.next() ? content.value(0).toString() : QString();
            content.finish();
            writer.Store(id, text);
        }
        Commit(Db);
    } catch (...) {
        Db.rollback();
        throw;
    }
}

TBuildResult AddUnits(QSqlDatabase &Db, const QStringList &Files, const TBuildProgress &Progress)
{
    CollectPending(Db);
    TBuildResult result;
    if (Progress)
        Progress(0, Files.size(), QString());
    Begin(Db);
    try {
        QSqlQuery insert = Prepare(Db, u"INSERT INTO T_Uses(FileName, content) VALUES(?, ?)"_s);
        TDeclarationWriter writer(Db);
        for (const QString &file : Files) {
            result.FailedFile = file;
            const QString text = ReadUnitText(file);
            insert.bindValue(0, UnitName(file));
            insert.bindValue(1, text);
            Exec(insert);
            writer.Store(insert.lastInsertId().toLongLong(), text);
            ++result.Units;
            if (Progress)
                Progress(result.Units, Files.size(), file);
        }
        result.FailedFile.clear();
    } catch (const std::exception &error) {
        result.Error = QString::fromUtf8(error.what());
    }
    if (!Db.commit()) {
        result.Error = Db.lastError().text();
        result.Units = 0;
        Db.rollback();
    }
    return result;
}

} // namespace UsesIndex
