#include "ServerOptions.h"

using namespace Qt::StringLiterals;

QString ServerUsage()
{
    return u"usage: talvik-server --data DIR [--listen HOST:PORT] [--http HOST:PORT] [--seed demo] [--ascii]\n"
           "                     [--codepage NAME] [--idle-timeout SECONDS] [--log FILE]\n"
           "       talvik-server admin --data DIR COMMAND ...   (talvik-server admin --help)\n"_s;
}

bool SplitHostPort(const QString &text, QString &host, quint16 &port)
{
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon <= 0)
        return false;
    host = text.left(colon);
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    if (host == u"localhost"_s)
        host = u"127.0.0.1"_s;
    bool ok = false;
    const uint value = text.mid(colon + 1).toUInt(&ok);
    if (!ok || value > 65535 || host.isEmpty())
        return false;
    port = quint16(value);
    return true;
}

std::optional<TServerOptions> ParseServerOptions(const QStringList &arguments, QString &error)
{
    TServerOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &name = arguments.at(i);
        if (name == u"--ascii"_s) {
            options.Ascii = true;
            continue;
        }
        static const QStringList valued = {u"--data"_s, u"--listen"_s, u"--http"_s, u"--seed"_s,
                                           u"--codepage"_s, u"--idle-timeout"_s, u"--log"_s};
        if (!valued.contains(name)) {
            error = u"unknown option %1"_s.arg(name);
            return std::nullopt;
        }
        if (i + 1 >= arguments.size()) {
            error = u"%1 needs a value"_s.arg(name);
            return std::nullopt;
        }
        const QString value = arguments.at(++i);
        bool ok = true;
        if (name == u"--data"_s)
            options.DataDir = value;
        else if (name == u"--listen"_s)
            ok = SplitHostPort(value, options.ListenHost, options.ListenPort);
        else if (name == u"--http"_s)
            ok = SplitHostPort(value, options.HttpHost, options.HttpPort);
        else if (name == u"--seed"_s)
            ok = (options.Seed = value) == u"demo"_s;
        else if (name == u"--codepage"_s)
            options.CodePage = value;
        else if (name == u"--idle-timeout"_s)
            ok = (options.IdleSeconds = value.toInt()) > 0;
        else
            options.LogFile = value;
        if (!ok) {
            error = u"bad value for %1: %2"_s.arg(name, value);
            return std::nullopt;
        }
    }
    if (options.DataDir.isEmpty()) {
        error = u"--data DIR is required"_s;
        return std::nullopt;
    }
    return options;
}
