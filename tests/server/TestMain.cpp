#include <QCoreApplication>

#include <gtest/gtest.h>

// The client's connection hands its events over through the Qt event loop.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
