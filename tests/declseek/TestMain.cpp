// The mains the shared QCoreApplication one cannot serve: a widget host, and a host with no
// application object at all (DECLSEEK_TEST_NO_APPLICATION).
#include <gtest/gtest.h>

#ifndef DECLSEEK_TEST_NO_APPLICATION
#include <QApplication>
#endif

int main(int argc, char **argv)
{
#ifndef DECLSEEK_TEST_NO_APPLICATION
    QApplication app(argc, argv);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
