#pragma once

#include "Store.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// One published version of the question database: its bytes and their digest, always a pair.
struct TPublishedFile {
    QString Md5;
    std::shared_ptr<const QByteArray> Bytes;
    int QuestionCount = 0;
};

struct TPublishSource {
    QList<TQuestionType> Types;
    QList<TQuestion> Questions;
};

// Publishes the question database the client downloads: a SQLite file in the client's layout,
// rebuilt in the background after changes (at most a few times a second under load) and moved
// over the previous one in one step, so a reader sees the old file or the new one, never half.
class TPublisher {
public:
    using TSourceReader = std::function<TPublishSource()>; // callable from the publisher's thread

    TPublisher(const QString &dataDir, TSourceReader reader);
    ~TPublisher();
    TPublisher(const TPublisher &) = delete;
    TPublisher &operator=(const TPublisher &) = delete;

    void PublishNow(); // on the calling thread
    void Start();
    void MarkDirty();
    void Stop(); // publishes pending changes, then ends the thread

    TPublishedFile Current() const;

    static void Build(const QString &path, const TPublishSource &source);

private:
    void Run();

    QString FFilePath;
    TSourceReader FReader;
    mutable std::mutex FLock;
    std::condition_variable FWake;
    bool FDirty = false;
    bool FStopping = false;
    TPublishedFile FCurrent;
    std::thread FThread;
    std::mutex FBuildLock; // one build at a time
};
