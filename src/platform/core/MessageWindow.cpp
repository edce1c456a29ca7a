#include "MessageWindow.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMutex>

#include <unordered_map>

namespace {

const QEvent::Type PostedMessageType = static_cast<QEvent::Type>(QEvent::registerEventType());

class TPostedMessageEvent : public QEvent {
public:
    explicit TPostedMessageEvent(const TMessage &message) : QEvent(PostedMessageType), Message(message) {}
    TMessage Message;
};

// Handles are never reused, so a handle kept by a worker can never reach a later window.
struct TWindowRegistry {
    QMutex Lock;
    THandle NextHandle = 1;
    std::unordered_map<THandle, MessageWindow *> Windows;
};

TWindowRegistry &Registry()
{
    static TWindowRegistry registry;
    return registry;
}

} // namespace

MessageWindow::MessageWindow(TWndProc wndProc) : FWndProc(std::move(wndProc))
{
    TWindowRegistry &registry = Registry();
    QMutexLocker locker(&registry.Lock);
    FHandle = registry.NextHandle++;
    registry.Windows.emplace(FHandle, this);
}

MessageWindow::~MessageWindow()
{
    // Once unregistered no new post can reach this object; Qt drops the ones still pending.
    TWindowRegistry &registry = Registry();
    QMutexLocker locker(&registry.Lock);
    registry.Windows.erase(FHandle);
}

bool MessageWindow::event(QEvent *e)
{
    if (e->type() != PostedMessageType)
        return QObject::event(e);
    TMessage message = static_cast<TPostedMessageEvent *>(e)->Message;
    // An error must never unwind through the event loop: the window procedure swallows it.
    try {
        if (FWndProc)
            FWndProc(message);
    } catch (...) {
    }
    return true;
}

bool PostMessage(THandle handle, unsigned msg, WPARAM wParam, LPARAM lParam)
{
    TWindowRegistry &registry = Registry();
    QMutexLocker locker(&registry.Lock);
    const auto it = registry.Windows.find(handle);
    if (it == registry.Windows.end())
        return false;
    QCoreApplication::postEvent(it->second, new TPostedMessageEvent(TMessage{msg, wParam, lParam}));
    return true;
}
