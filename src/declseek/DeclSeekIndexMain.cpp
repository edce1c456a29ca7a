// declseek-index: builds the unit finder's index from a source tree and searches it from the
// command line. Exit codes: 0 found (or built), 1 not found, 2 usage or database error.

#include "DataLink.h"
#include "ProgramDir.h"
#include "Trim.h"
#include "UsesIndexUnit.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>

#include <map>

using namespace Qt::StringLiterals;

namespace {

const QString ConnectionName = u"declseek-index"_s;
const QString Usage = u"usage: declseek-index build --root DIR [--db FILE]\n"
                      u"       declseek-index search KEYWORD [--type all|class|function|procedure] [--db FILE]\n"
                      u"Without --db the index named by Uses.udl beside this program is used.\n"_s;

enum TExitCode { Found = 0, NotFound = 1, Failed = 2 };

QTextStream &Out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &Err()
{
    static QTextStream stream(stderr);
    return stream;
}

int Fail(const QString &message)
{
    Err() << "declseek-index: " << message << Qt::endl;
    return Failed;
}

struct TArguments {
    QString Command;
    QString Value;        // the search keyword
    QString Root;
    QString DatabaseFile; // empty: the one Uses.udl names
    QString Type = u"all"_s;
};

// Returns an error text, or an empty one when the arguments are complete.
QString Parse(const QStringList &args, TArguments &parsed)
{
    if (args.isEmpty())
        return u"no command given"_s;
    parsed.Command = args.first();
    const std::map<QString, QString *> options{
        {u"--root"_s, &parsed.Root}, {u"--db"_s, &parsed.DatabaseFile}, {u"--type"_s, &parsed.Type}};
    bool valueSeen = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const auto option = options.find(args[i]);
        if (option != options.end()) {
            if (i + 1 >= args.size())
                return args[i] + u" needs a value"_s;
            *option->second = args[++i];
        } else if (!valueSeen && parsed.Command == u"search"_s) {
            parsed.Value = args[i];
            valueSeen = true;
        } else {
            return u"unexpected argument: "_s + args[i];
        }
    }
    if (parsed.Command == u"build"_s)
        return parsed.Root.isEmpty() ? u"build needs --root DIR"_s : QString();
    if (parsed.Command == u"search"_s)
        return valueSeen ? QString() : u"search needs a KEYWORD"_s;
    return u"unknown command: "_s + parsed.Command;
}

QSqlDatabase OpenIndex(const QString &databaseFile, bool createIfMissing)
{
    const QString file =
        databaseFile.isEmpty() ? DataLink::Read(ProgramDir::Path() + u"Uses.udl"_s).DataSource : databaseFile;
    if (createIfMissing)
        QDir().mkpath(QFileInfo(file).absolutePath());
    return DataLink::OpenFile(file, ConnectionName, createIfMissing);
}

int Build(const TArguments &args)
{
    if (!QFileInfo(args.Root).isDir())
        return Fail(u"no such directory: "_s + args.Root);
    QElapsedTimer clock;
    clock.start();
    QStringList files;
    UsesIndex::CollectFiles(args.Root, u".pas"_s, files);

    QSqlDatabase db = OpenIndex(args.DatabaseFile, true);
    QElapsedTimer shown;
    shown.start();
    const UsesIndex::TBuildResult result =
        UsesIndex::AddUnits(db, files, [&shown](int Done, int Total, const QString &) {
            if (Done == Total || shown.elapsed() >= 100) {
                Err() << "\rindexing " << Done << '/' << Total << " units" << Qt::flush;
                shown.restart();
            }
        });
    Err() << Qt::endl;
    const QString where = QDir::toNativeSeparators(db.databaseName());
    Out() << "indexed " << result.Units << " of " << files.size() << " units from "
          << QDir::toNativeSeparators(args.Root) << " into " << where << " in "
          << QString::number(clock.elapsed() / 1000.0, 'f', 1) << " s" << Qt::endl;
    if (result.Error.isEmpty())
        return Found;
    if (result.FailedFile.isEmpty())
        return Fail(result.Error);
    return Fail(u"stopped at "_s + QDir::toNativeSeparators(result.FailedFile) + u": "_s + result.Error);
}

int Search(const TArguments &args)
{
    static const std::map<QString, UsesIndex::TSearchType> types{
        {u"all"_s, UsesIndex::TSearchType::All},
        {u"class"_s, UsesIndex::TSearchType::ClassOrRecord},
        {u"function"_s, UsesIndex::TSearchType::Function},
        {u"procedure"_s, UsesIndex::TSearchType::Procedure}};
    const auto type = types.find(args.Type);
    if (type == types.end())
        return Fail(u"unknown --type "_s + args.Type + u" (all, class, function or procedure)"_s);
    const QString keyWord = Trim(args.Value);
    if (keyWord.isEmpty())
        return Fail(u"请输入搜索的关键词！"_s);

    QSqlDatabase db = OpenIndex(args.DatabaseFile, false);
    const QStringList units = UsesIndex::Search(db, type->second, keyWord);
    if (units.isEmpty()) {
        Out() << UsesIndex::NotFoundText << Qt::endl;
        return NotFound;
    }
    for (const QString &unit : units)
        Out() << unit << '\n';
    Out() << Qt::flush;
    return Found;
}

int Run(const TArguments &args)
{
    try {
        return args.Command == u"build"_s ? Build(args) : Search(args);
    } catch (const std::exception &error) {
        return Fail(QString::fromUtf8(error.what()));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.contains(u"--help"_s) || arguments.contains(u"-h"_s)) {
        Out() << Usage << Qt::flush;
        return Found;
    }
    TArguments args;
    if (const QString error = Parse(arguments, args); !error.isEmpty()) {
        Err() << "declseek-index: " << error << '\n' << Usage << Qt::flush;
        return Failed;
    }
    const int code = Run(args);
    DataLink::Close(ConnectionName);
    return code;
}
