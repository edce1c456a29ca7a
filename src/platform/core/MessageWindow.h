#pragma once

#include <QObject>

#include <cstdint>
#include <functional>

// A hidden window that receives posted messages on the thread that created it.
//
// Any thread may post to a window by its handle. Messages are handled once, in posting order, on
// the owner's thread; a message posted to a window that no longer exists is dropped, so a worker
// thread never reaches an object that is already gone.
using THandle = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;

struct TMessage {
    unsigned Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
};

class MessageWindow : public QObject {
    Q_OBJECT
public:
    using TWndProc = std::function<void(TMessage &Message)>;

    explicit MessageWindow(TWndProc wndProc = {});
    ~MessageWindow() override;

    THandle Handle() const { return FHandle; }
    void SetWndProc(TWndProc wndProc) { FWndProc = std::move(wndProc); }

protected:
    bool event(QEvent *e) override;

private:
    THandle FHandle;
    TWndProc FWndProc;
};

// Posts a message to the window with that handle; returns false when no such window exists.
bool PostMessage(THandle handle, unsigned msg, WPARAM wParam, LPARAM lParam);
