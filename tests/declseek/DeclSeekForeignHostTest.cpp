#include "DeclSeekExports.h"
#include "LibraryFileName.h"

#include <QApplication>
#include <QLibrary>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QWidget *FindWindow()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->objectName() == u"frmDeclSeek"_s && window->isVisible())
            return window;
    return nullptr;
}

bool closeModalWindow = false;
bool modalWindowSeen = false;

// Runs inside the constructor of the application object the library makes: closes its window
// once the modal loop shows it (bounded).
void WatchForTheModalWindow()
{
    if (!closeModalWindow)
        return;
    auto *poll = new QTimer(QCoreApplication::instance());
    auto *attempts = new int(0);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, attempts] {
        QWidget *window = FindWindow();
        if (!window && ++*attempts < 500)
            return;
        delete attempts;
        poll->stop();
        if (window) {
            modalWindowSeen = true;
            window->close();
        } else if (QWidget *modal = QApplication::activeModalWidget()) {
            modal->close();
        }
    });
    poll->start(10);
}

// This host has no application object: the library must bring its own.
TEST(DeclSeekForeignHost, TheLibraryBringsItsOwnApplicationObject)
{
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    QLibrary library(qEnvironmentVariable("TALVIK_BIN_DIR") + u'/' + LibraryFileName(u"DeclSeek"_s));
    ASSERT_TRUE(library.load()) << library.errorString().toStdString();
    const auto modeless = reinterpret_cast<TShowDllFormProc>(library.resolve("ShowDllForm"));
    const auto modal = reinterpret_cast<TShowDllFormProc>(library.resolve("ShowDllModalForm"));
    ASSERT_TRUE(modal && modeless);

    qAddPreRoutine(WatchForTheModalWindow);
    closeModalWindow = true;
    modal(0);
    closeModalWindow = false;
    EXPECT_TRUE(modalWindowSeen);
    EXPECT_EQ(QCoreApplication::instance(), nullptr); // made for the call, gone with it

    modeless(0);
    ASSERT_NE(qobject_cast<QApplication *>(QCoreApplication::instance()), nullptr);
    QPointer<QWidget> window = FindWindow();
    ASSERT_TRUE(window);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

} // namespace
