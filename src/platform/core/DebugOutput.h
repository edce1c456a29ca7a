#pragma once

#include <QDebug>
#include <QString>

// The system debugger's output stream.
inline void DebugOutput(const QString &text)
{
    qDebug().noquote() << text;
}
