#pragma once

#include <QString>

// The activity log "Log.txt" in the program directory: internal failures the member is not told
// about. Each entry is a timestamp line followed by "[label]:message". Writers on any thread are
// serialised and an entry is appended; a log that cannot be written never raises out of here.
void WriteLog(const QString &Label, const QString &Message);
QString LogFileName();
