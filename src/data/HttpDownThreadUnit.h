#pragma once

#include "MessageWindow.h"
#include "TObject.h"

#include <QString>

// Messages the question data download posts to its window.
enum : unsigned {
    WM_DOWNDATA_BEGIN = 0x2B11,
    WM_DOWNDATA_PROGRESS = 0x2B12, // lParam: percent done
    WM_DOWNDATA_FINISH = 0x2B13,
    WM_DOWNDATA_ERROR = 0x2B14,
};

// The digest text of the local question database file (32 lowercase hexadecimal digits).
QString GetQuestionDataMd5();

// Downloads the published question database file into SaveFileName and reports to ReceiveHandle:
// BEGIN, any number of PROGRESS, then exactly one FINISH (the file is complete and closed) or
// ERROR (one activity-log entry says why). The body goes to the file as it arrives, so the
// file's size never has to fit in memory. Only one download runs at a time: a second one started
// meanwhile ends at once with ERROR. Start() runs it on a thread of its own, which frees the
// object when it ends.
class THttpDownThread : public TObject {
public:
    THttpDownThread() = default;

    QString URL() const { return FURL; }
    void SetURL(const QString &Value) { FURL = Value; }
    QString SaveFileName() const { return FSaveFileName; }
    void SetSaveFileName(const QString &Value) { FSaveFileName = Value; }
    THandle ReceiveHandle() const { return FReceiveHandle; }
    void SetReceiveHandle(THandle Value) { FReceiveHandle = Value; }
    // Seconds without a byte before the transfer is given up.
    void SetStallSeconds(int Value) { FStallSeconds = Value; }

    void Start();     // on a new thread; the object deletes itself when done
    void StartWork(); // the same work on the calling thread

private:
    void Execute();
    void DoExecute();
    void HttpWorkBegin(qint64 AWorkCountMax);
    void HttpWork(qint64 AWorkCount);
    void Post(unsigned msg, LPARAM lParam = 0) const;

    QString FSaveFileName;
    QString FURL;
    qint64 FMaxProgres = 0; // 64 bits: a file over 2 GiB still shows a sensible percentage
    THandle FReceiveHandle = 0;
    int FStallSeconds = 60;
};
