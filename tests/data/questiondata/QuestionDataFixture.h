#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

struct TFixtureQuestion {
    QString Title;
    int TypeId = 0;
    QString User;
    QString Date;
    QString URL;
    int QuestionID = 0;
};

enum class TFixtureLayout { Published, TablesOnly };

// A program directory of its own with "QuestionData.udl" naming "Data/DataFile.dat", and a builder
// for that file: the classifications, then the questions in the order given (F_Id 1, 2, …).
class TQuestionDataFixture {
public:
    TQuestionDataFixture();
    ~TQuestionDataFixture();

    QString Dir() const { return FDir.path() + u'/'; }
    QString DataFile() const { return Dir() + QStringLiteral("Data/DataFile.dat"); }

    void Build(TFixtureLayout layout, const std::vector<TFixtureQuestion> &questions) const;
    void BuildAt(const QString &file, TFixtureLayout layout, const std::vector<TFixtureQuestion> &questions) const;
    void Exec(const QString &statement) const; // on the data file
    void WriteLink(const QByteArray &content) const;
    void RemoveLink() const;
    QStringList LogLabels() const; // the labels of the activity log's entries, oldest first

    static QString TypeName(int typeId); // the twelve reference classifications, 54–65

private:
    QTemporaryDir FDir;
};
