#include "hemisphere.h"

#include <cstdlib>

void SplitAngle(std::int16_t degrees, std::int16_t minutes, ZeroAngle zero, std::int16_t* outDegrees,
                std::int16_t* outMinutes, std::int16_t* positive)
{
    *outDegrees = static_cast<std::int16_t>(std::abs(degrees));
    *outMinutes = static_cast<std::int16_t>(std::abs(minutes));
    if (minutes != 0)
        *positive = minutes > 0 ? 1 : 0;
    else if (degrees != 0)
        *positive = degrees > 0 ? 1 : 0;
    else
        *positive = zero == ZeroAngle::Positive ? 1 : 0;
}

void JoinAngle(std::int16_t degrees, std::int16_t minutes, std::int16_t positive, std::int16_t* outDegrees,
               std::int16_t* outMinutes)
{
    *outDegrees = positive ? degrees : static_cast<std::int16_t>(-degrees);
    *outMinutes = positive ? minutes : static_cast<std::int16_t>(-minutes);
}
