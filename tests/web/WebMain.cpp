#include "WebView.h"

#include <QApplication>

#include <gtest/gtest.h>

// One application and one engine for every test of the executable: the engine starts only once.
int main(int argc, char **argv)
{
    PrepareWebEngine();
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
