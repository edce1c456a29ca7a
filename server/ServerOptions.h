#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// talvik-server --data DIR [--listen HOST:PORT] [--http HOST:PORT] [--seed demo] [--ascii]
//               [--codepage NAME] [--idle-timeout SECONDS] [--log FILE]
struct TServerOptions {
    QString DataDir;
    QString ListenHost = QStringLiteral("127.0.0.1");
    quint16 ListenPort = 24680;
    QString HttpHost = QStringLiteral("127.0.0.1");
    quint16 HttpPort = 24681;
    QString Seed;
    bool Ascii = false;
    QString CodePage;
    int IdleSeconds = 60;
    QString LogFile;
};

QString ServerUsage();
// The options, or nothing with `error` saying what is wrong.
std::optional<TServerOptions> ParseServerOptions(const QStringList &arguments, QString &error);
// "127.0.0.1:24680", "[::1]:0", "localhost:80" (a name only for loopback).
bool SplitHostPort(const QString &text, QString &host, quint16 &port);
