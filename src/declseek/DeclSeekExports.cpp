#include "DeclSeekExports.h"

#include "DebugOutput.h"
#include "WidgetHooks.h"
#include "ufrmDeclSeek.h"

#include <QApplication>
#include <QPointer>
#include <QWindow>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A host that is not a Qt program gets an application object of the library's own; a Qt host's
// is used as it is, since a second one would bring the process down at exit.
std::unique_ptr<QApplication> ApplicationIfNone()
{
    static int argc = 1;
    static char name[] = "DeclSeek";
    static char *argv[] = {name, nullptr};
    if (QCoreApplication::instance())
        return nullptr;
    return std::make_unique<QApplication>(argc, argv);
}

TfrmDeclSeek *CreateForm(WId AppHandle)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        DebugOutput(u"DeclSeek: the host has no QApplication, so no window can be shown"_s);
        return nullptr;
    }
    // This library's copies of the message box and shell hooks are its own to install.
    InstallWidgetHooks();
    QWidget *host = AppHandle ? QWidget::find(AppHandle) : nullptr;
    auto *form = new TfrmDeclSeek(host ? host->window() : nullptr);
    if (!host && AppHandle)
        form->SetForeignOwner(std::unique_ptr<QWindow>(QWindow::fromWinId(AppHandle)));
    return form;
}

} // namespace

extern "C" Q_DECL_EXPORT void DECLSEEK_STDCALL ShowDllModalForm(WId AppHandle)
{
    // An application object made for this call goes with it, leaving a host without Qt as it was.
    const std::unique_ptr<QApplication> own = ApplicationIfNone();
    QPointer<TfrmDeclSeek> form = CreateForm(AppHandle);
    if (!form)
        return;
    form->exec();
    delete form; // exec() has freed it already unless the loop ended early
}

extern "C" Q_DECL_EXPORT void DECLSEEK_STDCALL ShowDllForm(WId AppHandle)
{
    // The window outlives the call, so an application object made for it is never freed: at exit
    // Qt's own state is gone before a library's statics would free it.
    ApplicationIfNone().release();
    if (TfrmDeclSeek *form = CreateForm(AppHandle))
        form->show();
}
