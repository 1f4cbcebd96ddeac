#include "clock.h"

#include <QDateTime>

namespace {

const CClock g_systemClock;
const CClock* g_clock = &g_systemClock;

} // namespace

CClock::~CClock() = default;

int CClock::LocalOffsetSeconds() const
{
    // One reading of the clock gives both times, so a second cannot tick
    // between reading UTC and reading local time.
    return QDateTime::currentDateTime().offsetFromUtc();
}

const CClock& CClock::Current()
{
    return *g_clock;
}

void CClock::Install(const CClock* clock)
{
    g_clock = clock ? clock : &g_systemClock;
}
