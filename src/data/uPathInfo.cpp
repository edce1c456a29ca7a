#include "uPathInfo.h"

#include "ProgramDir.h"

#include <QDir>

using namespace Qt::StringLiterals;

TPathInfo *PathInfo = nullptr;

namespace {
// A directory that cannot be created is not reported: the file operation that follows fails.
QString EnsuredDirectory(const QString &path)
{
    QDir().mkpath(path);
    return path;
}
} // namespace

QString TPathInfo::BinPath() const { return ProgramDir::Path(); }
QString TPathInfo::ImagePath() const { return EnsuredDirectory(BinPath() + u"Images/"_s); }
QString TPathInfo::DataPath() const { return EnsuredDirectory(BinPath() + u"Data/"_s); }
QString TPathInfo::DownLoadDataFile() const { return DataPath() + u"TempDataFile.dat"_s; }
QString TPathInfo::QuestionDataFile() const { return DataPath() + u"DataFile.dat"_s; }
QString TPathInfo::ConfigFile() const { return BinPath() + u"Config.dat"_s; }
QString TPathInfo::MessageDataFile() const { return DataPath() + u"Message.dat"_s; }
