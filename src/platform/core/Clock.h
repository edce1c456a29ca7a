#pragma once

#include <QDateTime>

#include <functional>

// The local date and time as the system reads it. Tests replace it to move time without waiting.
namespace Clock {
QDateTime Now();
void SetSource(std::function<QDateTime()> source); // empty restores the real clock
} // namespace Clock
