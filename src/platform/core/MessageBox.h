#pragma once

#include <QString>

#include <functional>

class QObject;

#ifdef MessageBox
#undef MessageBox // the Windows headers' macro of that name
#endif

enum class TMsgIcon { None, Information, Warning, Error, Question };
enum class TMsgButtons { OK, YesNo, OKCancel };
enum class TMsgResult { OK, Cancel, Yes, No };

struct TMessageBoxCall {
    QString Text;
    QString Caption;
    TMsgIcon Icon = TMsgIcon::None;
    TMsgButtons Buttons = TMsgButtons::OK;
    QObject *Owner = nullptr; // the window the box is modal to; none: the application's active window
};

// Modal message boxes. The program installs the widget implementation at start-up; tests install
// a recorder that notes each call and answers it without a modal loop. Without a handler a box is
// written to the debugger output and answered with its first button.
class MessageBox {
public:
    using THandler = std::function<TMsgResult(const TMessageBoxCall &Call)>;

    static TMsgResult Show(const QString &Text, const QString &Caption, TMsgIcon Icon,
                           TMsgButtons Buttons = TMsgButtons::OK, QObject *Owner = nullptr);
    static void SetHandler(THandler handler);
};

// The shell's "open" verb: a web address in the default browser, a "mailto:" address in the mail
// program. Replaceable in the same way; without a handler the address is only written to the
// debugger output.
namespace Shell {
using THandler = std::function<void(const QString &Address)>;
void Open(const QString &Address);
void SetHandler(THandler handler);
} // namespace Shell
