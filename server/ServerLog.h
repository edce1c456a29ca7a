#pragma once

#include <QString>

// The server's console: one time-stamped line per connection, request and notable event, written
// whole even when several threads log at once. Standard output unless a file was chosen.
namespace ServerLog {
void SetFile(const QString &fileName); // empty: standard output
void Line(const QString &text);
} // namespace ServerLog
