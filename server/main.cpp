#include "Admin.h"
#include "AnsiCodePage.h"
#include "ServerLog.h"
#include "ServerOptions.h"
#include "TalvikServer.h"

#include <QCoreApplication>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {
int Serve(const TServerOptions &options)
{
    if (!options.CodePage.isEmpty())
        AnsiCodePage::SetName(options.CodePage.toLatin1());
    if (!AnsiCodePage::IsAvailable()) {
        std::fprintf(stderr, "talvik-server: code page %s is not available\n", AnsiCodePage::Name().constData());
        return 2;
    }
    ServerLog::SetFile(options.LogFile);
    TTalvikServer server(options);
    try {
        server.Start();
    } catch (const std::exception &error) {
        std::fprintf(stderr, "talvik-server: %s\n", error.what());
        return 1;
    }
    // Tests and scripts read these two lines to find the ports.
    std::printf("listening messages %s\nlistening http %s\n", qPrintable(server.MessageAddress()),
                qPrintable(server.HttpAddress()));
    std::fflush(stdout);
    ServerLog::Line(u"messages on %1, http on %2, code page %3%4"_s.arg(server.MessageAddress(), server.HttpAddress(),
                                                                    QString::fromLatin1(AnsiCodePage::Name()),
                                                                    options.Ascii ? u" (ASCII escapes)"_s : QString()));
    server.WaitForSignal();
    server.Stop();
    return 0;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    if (!arguments.isEmpty() && arguments.first() == u"admin"_s)
        return RunAdmin(arguments.mid(1));
    QString error;
    const std::optional<TServerOptions> options = ParseServerOptions(arguments, error);
    if (!options) {
        std::fprintf(stderr, "talvik-server: %s\n%s", qPrintable(error), qPrintable(ServerUsage()));
        return 2;
    }
    return Serve(*options);
}
