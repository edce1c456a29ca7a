// questiondata-generate FILE [QUESTIONS [AUTHORS]]: writes a question database in the published layout.
#include "QuestionDataGenerator.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <exception>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: questiondata-generate FILE [QUESTIONS [AUTHORS]]\n");
        return 2;
    }
    QuestionDataGenerator::TOptions options;
    if (args.size() > 2)
        options.Questions = args[2].toInt();
    if (args.size() > 3)
        options.Authors = args[3].toInt();
    try {
        QuestionDataGenerator::Generate(args[1], options);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
