#include "HttpDownThreadUnit.h"
#include "LogUnit.h"
#include "TestSupport.h"
#include "uPathInfo.h"

#include <httplib.h>

#include <QFile>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

// A real HTTP server on loopback, on an ephemeral port, for the duration of one test.
class TLoopbackHttp {
public:
    TLoopbackHttp()
    {
        FServer.set_keep_alive_max_count(1);
        FPort = FServer.bind_to_any_port("127.0.0.1");
        FThread = std::thread([this] { FServer.listen_after_bind(); });
        while (!FServer.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~TLoopbackHttp()
    {
        FServer.stop();
        FThread.join();
    }
    httplib::Server &Server() { return FServer; }
    QString Url(const char *path) const { return u"http://127.0.0.1:%1%2"_s.arg(FPort).arg(QLatin1StringView(path)); }

private:
    httplib::Server FServer;
    int FPort = 0;
    std::thread FThread;
};

class DownloadTest : public ::testing::Test {
protected:
    // Runs one download to the temporary download file and waits for its last message.
    void Download(const QString &url, int stallSeconds = 60)
    {
        auto *thread = new THttpDownThread;
        thread->SetURL(url);
        thread->SetSaveFileName(PathInfo->DownLoadDataFile());
        thread->SetReceiveHandle(FRecorder.Handle());
        thread->SetStallSeconds(stallSeconds);
        thread->Start();
        ASSERT_TRUE(PumpUntil([this] { return Ended(); }, 20000));
    }
    bool Ended() const { return FRecorder.Has(WM_DOWNDATA_FINISH) || FRecorder.Has(WM_DOWNDATA_ERROR); }
    std::vector<LPARAM> Progress() const
    {
        std::vector<LPARAM> values;
        for (const TMessage &m : FRecorder.Messages())
            if (m.Msg == WM_DOWNDATA_PROGRESS)
                values.push_back(m.LParam);
        return values;
    }
    int LogEntries() const { return FDir.Read(u"Log.txt"_s).count("[THttpDownThread.DoExecute]:"); }

    TTempProgramDir FDir;
    TLoopbackHttp FHttp;
    TMessageRecorder FRecorder;
};

TEST_F(DownloadTest, AFullDownloadReportsProgressUpTo100AndSavesTheFile)
{
    const std::string body(300000, 'q');
    FHttp.Server().Get("/data", [&](const httplib::Request &, httplib::Response &res) { res.set_content(body, "application/octet-stream"); });
    Download(FHttp.Url("/data"));
    const auto numbers = FRecorder.Numbers();
    EXPECT_EQ(numbers.front(), WM_DOWNDATA_BEGIN);
    EXPECT_EQ(numbers.back(), WM_DOWNDATA_FINISH);
    ASSERT_FALSE(Progress().empty());
    EXPECT_EQ(Progress().back(), 100);
    EXPECT_EQ(FDir.Read(u"Data/TempDataFile.dat"_s), QByteArray::fromStdString(body));
    EXPECT_EQ(LogEntries(), 0);
}

TEST_F(DownloadTest, WithoutAnAnnouncedSizeThereIsNoProgress)
{
    FHttp.Server().Get("/data", [](const httplib::Request &, httplib::Response &res) {
        res.set_chunked_content_provider("application/octet-stream", [](size_t, httplib::DataSink &sink) {
            sink.write("abcdef", 6);
            sink.done();
            return true;
        });
    });
    Download(FHttp.Url("/data"));
    EXPECT_EQ(FRecorder.Numbers(), (std::vector<unsigned>{WM_DOWNDATA_BEGIN, WM_DOWNDATA_FINISH}));
    EXPECT_EQ(FDir.Read(u"Data/TempDataFile.dat"_s), QByteArray("abcdef"));
}

TEST_F(DownloadTest, ProgressIsTheCeilingOfThePercentage)
{
    FHttp.Server().Get("/data", [](const httplib::Request &, httplib::Response &res) {
        res.set_content_provider(3, "application/octet-stream", [](size_t offset, size_t, httplib::DataSink &sink) {
            if (offset == 1)
                std::this_thread::sleep_for(std::chrono::milliseconds(200)); // two separate pieces
            sink.write(offset == 0 ? "a" : "bc", offset == 0 ? 1 : 2);
            return true;
        });
    });
    Download(FHttp.Url("/data"));
    EXPECT_EQ(Progress(), (std::vector<LPARAM>{34, 100}));
    EXPECT_EQ(FRecorder.Numbers().back(), WM_DOWNDATA_FINISH);
}

TEST_F(DownloadTest, AnHttpErrorLeavesTheDatabaseAloneAndLogsOnce)
{
    FDir.Write(u"Data/DataFile.dat"_s, "old database");
    Download(FHttp.Url("/missing"));
    EXPECT_EQ(FRecorder.Numbers(), (std::vector<unsigned>{WM_DOWNDATA_BEGIN, WM_DOWNDATA_ERROR}));
    EXPECT_EQ(FDir.Read(u"Data/DataFile.dat"_s), QByteArray("old database"));
    EXPECT_EQ(LogEntries(), 1);
}

TEST_F(DownloadTest, ATransferCutShortIsAnErrorNeverAFinish)
{
    FHttp.Server().Get("/data", [](const httplib::Request &, httplib::Response &res) {
        res.set_content_provider(1000, "application/octet-stream", [](size_t, size_t, httplib::DataSink &sink) {
            sink.write("0123456789", 10);
            return false; // the connection is dropped with 990 bytes still announced
        });
    });
    Download(FHttp.Url("/data"));
    EXPECT_FALSE(FRecorder.Has(WM_DOWNDATA_FINISH));
    EXPECT_EQ(FRecorder.Numbers().back(), WM_DOWNDATA_ERROR);
    EXPECT_FALSE(QFile::exists(FDir.File(u"Data/TempDataFile.dat"_s))) << "a half file is removed";
    EXPECT_EQ(LogEntries(), 1);
}

TEST_F(DownloadTest, AServerThatStopsSendingIsGivenUpAfterTheStallTime)
{
    FHttp.Server().Get("/data", [](const httplib::Request &, httplib::Response &res) {
        res.set_content_provider(100, "application/octet-stream", [](size_t offset, size_t, httplib::DataSink &sink) {
            if (offset > 0) {
                std::this_thread::sleep_for(std::chrono::seconds(4));
                return false;
            }
            sink.write("0123456789", 10);
            return true;
        });
    });
    Download(FHttp.Url("/data"), 1);
    EXPECT_EQ(FRecorder.Numbers().back(), WM_DOWNDATA_ERROR);
    EXPECT_EQ(LogEntries(), 1);
}

TEST_F(DownloadTest, AnAddressThatIsNotHttpIsRefused)
{
    FDir.Write(u"private.txt"_s, "not for the server to choose");
    Download(u"file://"_s + FDir.File(u"private.txt"_s));
    EXPECT_EQ(FRecorder.Numbers(), (std::vector<unsigned>{WM_DOWNDATA_BEGIN, WM_DOWNDATA_ERROR}));
    EXPECT_FALSE(QFile::exists(FDir.File(u"Data/TempDataFile.dat"_s)));
    EXPECT_EQ(LogEntries(), 1);
}

TEST_F(DownloadTest, ASecondDownloadWhileOneRunsIsRefused)
{
    std::atomic<bool> release{false};
    FHttp.Server().Get("/slow", [&](const httplib::Request &, httplib::Response &res) {
        res.set_content_provider(4, "application/octet-stream", [&](size_t, size_t, httplib::DataSink &sink) {
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            sink.write("slow", 4);
            return true;
        });
    });
    TMessageRecorder first;
    auto *running = new THttpDownThread;
    running->SetURL(FHttp.Url("/slow"));
    running->SetSaveFileName(PathInfo->DownLoadDataFile());
    running->SetReceiveHandle(first.Handle());
    running->Start();
    ASSERT_TRUE(PumpUntil([&] { return first.Has(WM_DOWNDATA_BEGIN); }));

    Download(FHttp.Url("/slow"));
    EXPECT_EQ(FRecorder.Numbers(), (std::vector<unsigned>{WM_DOWNDATA_BEGIN, WM_DOWNDATA_ERROR}));
    release = true;
    ASSERT_TRUE(PumpUntil([&] { return first.Has(WM_DOWNDATA_FINISH); }));
    EXPECT_EQ(FDir.Read(u"Data/TempDataFile.dat"_s), QByteArray("slow"));
}

TEST(QuestionDataDigest, IsTheMd5OfTheDatabaseFileOrOfNothing)
{
    TTempProgramDir dir;
    EXPECT_EQ(GetQuestionDataMd5(), u"d41d8cd98f00b204e9800998ecf8427e"_s);
    dir.Write(u"Data/DataFile.dat"_s, "abc");
    EXPECT_EQ(GetQuestionDataMd5(), u"900150983cd24fb0d6963f7d28e17f72"_s);
}

} // namespace
