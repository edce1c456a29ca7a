#include "SingleInstance.h"

#include <QCoreApplication>
#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString TestMutexName()
{
    return u"Global\\TalvikTest"_s + QString::number(QCoreApplication::applicationPid());
}

int RunProbe()
{
    QProcess probe;
    probe.start(QString::fromUtf8(PROBE_PATH), {TestMutexName()});
    probe.waitForFinished(10000);
    return probe.exitCode();
}

TEST(SingleInstanceTest, ASecondCopyFindsTheFirstAndTheFirstIsUnaffected)
{
    SingleInstance first(TestMutexName());
    ASSERT_EQ(first.State(), SingleInstance::TState::Created);
    EXPECT_EQ(RunProbe(), 1) << "another process sees the mutex";
    EXPECT_EQ(SingleInstance(TestMutexName()).State(), SingleInstance::TState::AlreadyExists);
    EXPECT_EQ(first.State(), SingleInstance::TState::Created);
}

TEST(SingleInstanceTest, ReleasedWhenTheHolderEnds)
{
    {
        SingleInstance first(TestMutexName());
        ASSERT_EQ(first.State(), SingleInstance::TState::Created);
    }
    EXPECT_EQ(RunProbe(), 0);
}

TEST(SingleInstanceTest, ACrashedHolderDoesNotLockOutTheNextStart)
{
    QProcess holder;
    holder.start(QString::fromUtf8(PROBE_PATH), {TestMutexName(), u"hold"_s});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    ASSERT_EQ(holder.readAllStandardOutput().trimmed(), "created");
    EXPECT_EQ(SingleInstance(TestMutexName()).State(), SingleInstance::TState::AlreadyExists);

    holder.kill(); // SIGKILL: no chance to clean up
    holder.waitForFinished(10000);
    EXPECT_EQ(SingleInstance(TestMutexName()).State(), SingleInstance::TState::Created);
}

} // namespace
