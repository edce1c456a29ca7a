#pragma once

#include "TObject.h"

#include <QString>

// The paths the running system uses, all in or under the program directory and computed afresh on
// every request. The data and image directories are created when asked for and missing.
class TPathInfo : public TObject {
public:
    QString BinPath() const;
    QString ImagePath() const;
    QString DataPath() const;
    QString DownLoadDataFile() const;
    QString QuestionDataFile() const;
    QString ConfigFile() const;
    QString MessageDataFile() const;
};

extern TPathInfo *PathInfo;
