#pragma once

#include <QString>

// Writes a question database file in the published layout: questions over the twelve reference
// classifications and a number of authors, with dates in no relation to the insertion order.
// One title in a hundred contains KeywordOnePercent, one in ten KeywordTenPercent.
namespace QuestionDataGenerator {

struct TOptions {
    int Questions = 1'000'000;
    int Authors = 5'000;
    bool Indexes = true; // false: the two tables alone
};

inline const QString KeywordOnePercent = QStringLiteral("TClientDataSet");
inline const QString KeywordTenPercent = QStringLiteral("多线程同步");

QString AuthorName(int author); // author from 1

// Writes the file anew; throws std::runtime_error on failure.
void Generate(const QString &file, const TOptions &options);

// The file, generated when it is missing or was left unfinished.
void EnsureGenerated(const QString &file, const TOptions &options);

} // namespace QuestionDataGenerator
