// The machine's clock as far as a GPS fix needs it.
#pragma once

// How far local time is ahead of UTC right now. Tests install a clock with
// a fixed offset.
class CClock {
public:
    virtual ~CClock();
    // Local time minus UTC in seconds, east positive.
    virtual int LocalOffsetSeconds() const;

    static const CClock& Current();
    // Makes clock (not owned) the current one; null restores the system's.
    static void Install(const CClock* clock);
};
