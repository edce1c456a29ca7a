#include "MessageBox.h"

#include "DebugOutput.h"

using namespace Qt::StringLiterals;

namespace {
MessageBox::THandler &BoxHandler()
{
    static MessageBox::THandler handler;
    return handler;
}

Shell::THandler &OpenHandler()
{
    static Shell::THandler handler;
    return handler;
}
} // namespace

TMsgResult MessageBox::Show(const QString &Text, const QString &Caption, TMsgIcon Icon, TMsgButtons Buttons,
                            QObject *Owner)
{
    const TMessageBoxCall call{Text, Caption, Icon, Buttons, Owner};
    if (BoxHandler())
        return BoxHandler()(call);
    DebugOutput(u"message box ["_s + Caption + u"]: "_s + Text);
    return Buttons == TMsgButtons::YesNo ? TMsgResult::Yes : TMsgResult::OK;
}

void MessageBox::SetHandler(THandler handler)
{
    BoxHandler() = std::move(handler);
}

void Shell::Open(const QString &Address)
{
    if (OpenHandler())
        OpenHandler()(Address);
    else
        DebugOutput(u"open: "_s + Address);
}

void Shell::SetHandler(THandler handler)
{
    OpenHandler() = std::move(handler);
}
