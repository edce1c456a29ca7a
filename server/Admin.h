#pragma once

#include <QStringList>

// talvik-server admin --data DIR COMMAND ...: the operator's commands. They write to the store,
// where the running server reads them (settings at every login, notices within two seconds).
int RunAdmin(const QStringList &arguments);
