#include <QCoreApplication>

#include <gtest/gtest.h>

// Posted messages, the program directory and the code pages all want an application object.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
