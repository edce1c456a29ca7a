#pragma once

#include "DataLink.h"
#include "UsesIndexUnit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

// Small units written for these tests, one per edge case of the search patterns.
inline const std::vector<std::pair<QString, QByteArray>> &FixtureUnits()
{
    static const std::vector<std::pair<QString, QByteArray>> units{
        {QStringLiteral("Alpha.pas"),
         "unit Alpha;\r\ninterface\r\ntype\r\n  TAlpha = class(TObject)\r\n"
         "    function GetValue: Integer;\r\n  end;\r\n"
         "function Compute(A: Integer): Integer;\r\nprocedure Reset(var X: Integer);\r\n"
         "procedure _AddRef(P: Pointer);\r\nimplementation\r\nend.\r\n"},
        {QStringLiteral("Beta.pas"), "unit Beta;\ntype\n  talpha = record\n    X: Integer;\n  end;\n"
                                     "  TBeta = (bOne, bTwo);\n  O'Brien = Integer;\n"},
        {QStringLiteral("Gamma.pas"), "unit Gamma;\rconst\r  Compute = 3;\rfunction Compute(A: Integer): Integer;\r"
                                      "FUNCTION GetValue(): Integer;\r"},
        {QStringLiteral("Delta.pas"), "unit Delta;\r\nfunction XAddRef(P: Pointer): Integer;\r\n"
                                      "procedure XAddRef(P: Pointer);\r\n  T100 = 1;\r\n"},
    };
    return units;
}

// A temporary program directory with Uses.udl and the units under units/.
class TDeclSeekFixture {
public:
    TDeclSeekFixture()
    {
        QDir(Dir.path()).mkpath(QStringLiteral("units"));
        QDir(Dir.path()).mkpath(QStringLiteral("Data"));
        WriteFile(QStringLiteral("Uses.udl"), "[oledb]\r\n; test link\r\nProvider=SQLite;Data Source=Data/Uses.dat\r\n");
        for (const auto &[name, text] : FixtureUnits())
            UnitFiles.append(WriteFile(QStringLiteral("units/") + name, text));
    }

    QString WriteFile(const QString &relativeName, const QByteArray &bytes) const
    {
        const QString path = Dir.filePath(relativeName);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
        file.write(bytes);
        return path;
    }

    QString DatabaseFile() const { return Dir.filePath(QStringLiteral("Data/Uses.dat")); }

    // Stores every fixture unit Times times into the database, and returns it opened.
    QSqlDatabase Build(const QString &connection, int Times = 1) const
    {
        QSqlDatabase db = DataLink::OpenFile(DatabaseFile(), connection, true);
        for (int i = 0; i < Times; ++i) {
            const UsesIndex::TBuildResult result = UsesIndex::AddUnits(db, UnitFiles);
            EXPECT_TRUE(result.Error.isEmpty()) << result.Error.toStdString();
        }
        return db;
    }

    QTemporaryDir Dir;
    QStringList UnitFiles;
};
