#include "Clock.h"

namespace {
std::function<QDateTime()> &Source()
{
    static std::function<QDateTime()> source;
    return source;
}
} // namespace

QDateTime Clock::Now()
{
    return Source() ? Source()() : QDateTime::currentDateTime();
}

void Clock::SetSource(std::function<QDateTime()> source)
{
    Source() = std::move(source);
}
