#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

class EUsesIndexError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The unit finder's index: table T_Uses holds every unit's name and whole text; a search lists
// the units whose text contains a declaration pattern, letter case of A-Z ignored.
//
// Beside T_Uses the index keeps the names that stand in a declaration position (T_UsesDecl), so a
// keyword without blanks is answered by one indexed lookup instead of a scan of every text. Units
// whose names have not been collected yet (rows another tool inserted) are listed in
// T_UsesPending by a trigger; while any is pending, searches scan the texts as before.
namespace UsesIndex {

enum class TSearchType { All = 0, ClassOrRecord = 1, Function = 2, Procedure = 3 }; // CbbType's entries

inline const QString NotFoundText = QStringLiteral("没有找到！可能是自定义的！");

// The texts a unit must contain to be listed: " K = ", "function K(", "procedure K(".
QStringList Patterns(TSearchType Type, const QString &KeyWord);

// Rows in the order the table delivers them. Throws EUsesIndexError on a database error.
QStringList Search(QSqlDatabase &Db, TSearchType Type, const QString &KeyWord);
// The same answer from LIKE statements over every text: the reference the index must agree with.
QStringList SearchByScan(QSqlDatabase &Db, TSearchType Type, const QString &KeyWord);
bool CanUseDeclarations(QSqlDatabase &Db, const QString &KeyWord);

// Breadth-first walk: the matches in Root first, then those of each subdirectory, level by level.
// Ext ".*" takes every file; otherwise a file is taken when its path ends with Ext, ignoring case.
void CollectFiles(const QString &Root, const QString &Ext, QStringList &List);

// A unit's name: the file name without directory and extension.
QString UnitName(const QString &FileName);
// The file read as lines (ANSI code page unless it starts with a byte-order mark), each line
// followed by CR LF. Throws EUsesIndexError when the file cannot be read.
QString ReadUnitText(const QString &FileName);

// Creates the tables and triggers that are missing; rows already in T_Uses become pending.
void EnsureSchema(QSqlDatabase &Db);
// Collects the declaration names of every pending unit.
void CollectPending(QSqlDatabase &Db);

struct TBuildResult {
    int Units = 0;      // files stored
    QString FailedFile; // the file that stopped the build, if one did
    QString Error;
};
using TBuildProgress = std::function<void(int Done, int Total, const QString &FileName)>;

// Stores every file as one row (rows are only ever added). A file that cannot be read or stored
// stops the build there; the files before it stay stored.
TBuildResult AddUnits(QSqlDatabase &Db, const QStringList &Files, const TBuildProgress &Progress = {});

} // namespace UsesIndex
