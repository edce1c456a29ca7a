#include "DeclSeekExports.h"
#include "LibraryFileName.h"

#include <QApplication>
#include <QLibrary>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

QString LibraryPath()
{
    return qEnvironmentVariable("TALVIK_BIN_DIR") + u'/' + LibraryFileName(u"DeclSeek"_s);
}

QWidget *FindWindow()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->objectName() == u"frmDeclSeek"_s && window->isVisible())
            return window;
    return nullptr;
}

// Waits (bounded) inside the modal loop for the library's window, hands it to Inspect and closes it.
void CloseWindowWhenShown(std::function<void(QWidget *)> Inspect)
{
    auto *poll = new QTimer;
    auto attempts = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, attempts, Inspect] {
        QWidget *window = FindWindow();
        if (!window && ++*attempts < 500)
            return;
        if (window)
            Inspect(window);
        else if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
        poll->deleteLater();
        if (window)
            window->close();
    });
    poll->start(10);
}

struct TShown {
    QString Title;
    QWidget *Owner = nullptr;
    QSize Size;
};

TEST(DeclSeekLibrary, TheHostLoadsItAndOpensTheModalWindowItOwns)
{
    QWidget host;
    host.setObjectName(u"host"_s);
    host.show();

    QLibrary library(LibraryPath());
    ASSERT_TRUE(library.load()) << library.errorString().toStdString();
    const auto modal = reinterpret_cast<TShowDllFormProc>(library.resolve("ShowDllModalForm"));
    const auto modeless = reinterpret_cast<TShowDllFormProc>(library.resolve("ShowDllForm"));
    ASSERT_TRUE(modal && modeless);

    TShown shown;
    CloseWindowWhenShown([&shown](QWidget *window) {
        shown = {window->windowTitle(), window->parentWidget(), window->size()};
    });
    modal(host.winId());
    EXPECT_EQ(shown.Title, u"对象所在单元搜索器"_s);
    EXPECT_EQ(shown.Owner, &host);
    EXPECT_EQ(shown.Size, QSize(386, 264));
    EXPECT_EQ(FindWindow(), nullptr);

    modeless(host.winId()); // returns at once, the window stays open
    QPointer<QWidget> window = FindWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->parentWidget(), &host);
    EXPECT_FALSE(window->isModal());
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull()); // it freed itself

    EXPECT_TRUE(library.unload());
    EXPECT_EQ(QCoreApplication::instance(), qApp); // the host's application object is untouched
}

} // namespace
