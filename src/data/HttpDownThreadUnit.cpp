#include "HttpDownThreadUnit.h"

#include "HttpGet.h"
#include "LogUnit.h"
#include "md5.h"
#include "uPathInfo.h"

#include <QFile>

#include <atomic>
#include <cmath>
#include <exception>
#include <thread>

using namespace Qt::StringLiterals;

namespace {
std::atomic<bool> downloadRunning{false};
} // namespace

QString GetQuestionDataMd5()
{
    return Md5ToHex(Md5OfFile(PathInfo->QuestionDataFile()));
}

void THttpDownThread::Start()
{
    std::thread([this] {
        Execute();
        delete this;
    }).detach();
}

void THttpDownThread::StartWork()
{
    Execute();
}

void THttpDownThread::Execute()
{
    // Two downloads would write the same temporary file: the later one is refused.
    if (downloadRunning.exchange(true)) {
        Post(WM_DOWNDATA_BEGIN);
        WriteLog(u"THttpDownThread.DoExecute"_s, u"another download of the question data is still running"_s);
        Post(WM_DOWNDATA_ERROR);
        return;
    }
    DoExecute();
    downloadRunning = false;
}

void THttpDownThread::DoExecute()
{
    QFile file(FSaveFileName);
    try {
        Post(WM_DOWNDATA_BEGIN);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw std::runtime_error("cannot write " + FSaveFileName.toStdString() + ": " + file.errorString().toStdString());
        THttpGetCallbacks callbacks;
        callbacks.WorkBegin = [this](qint64 expected) { HttpWorkBegin(expected); };
        callbacks.Work = [this](qint64 count) { HttpWork(count); };
        callbacks.Body = [&file](const char *data, std::size_t size) { return file.write(data, qint64(size)) == qint64(size); };
        HttpGet(FURL, callbacks, FStallSeconds);
        if (!file.flush())
            throw std::runtime_error("cannot write " + FSaveFileName.toStdString() + ": " + file.errorString().toStdString());
        file.close();
        Post(WM_DOWNDATA_FINISH);
    } catch (const std::exception &error) {
        file.remove(); // a half file is of no use to anybody
        // Logged before the message goes out, so whoever handles the message finds the entry.
        WriteLog(u"THttpDownThread.DoExecute"_s, QString::fromUtf8(error.what()));
        Post(WM_DOWNDATA_ERROR);
    }
}

void THttpDownThread::HttpWorkBegin(qint64 AWorkCountMax)
{
    FMaxProgres = AWorkCountMax;
}

void THttpDownThread::HttpWork(qint64 AWorkCount)
{
    if (FMaxProgres == 0)
        return;
    const double percent = std::ceil(double(AWorkCount) / double(FMaxProgres) * 100.0);
    Post(WM_DOWNDATA_PROGRESS, LPARAM(percent));
}

void THttpDownThread::Post(unsigned msg, LPARAM lParam) const
{
    PostMessage(FReceiveHandle, msg, 0, lParam);
}
