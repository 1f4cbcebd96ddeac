// Stored signed angles as CCity carries them: magnitudes and a hemisphere flag.
#pragma once

#include <cstdint>

// The hemisphere of an angle of exactly 0°00′, where the sign cannot tell:
// the place-database back ends have always put it east (north), the city
// file back end west (south).
enum class ZeroAngle { Positive, Negative };

// Splits signed degrees and minutes (east and north positive, the minutes
// carrying the sign of their degrees) into their magnitudes and a flag, 1
// for east or north and 0 for west or south. Nonzero minutes decide the
// hemisphere, else the degrees, else zero.
void SplitAngle(std::int16_t degrees, std::int16_t minutes, ZeroAngle zero, std::int16_t* outDegrees,
                std::int16_t* outMinutes, std::int16_t* positive);

// The inverse: signed degrees and minutes from magnitudes and a hemisphere
// flag (nonzero for east or north).
void JoinAngle(std::int16_t degrees, std::int16_t minutes, std::int16_t positive, std::int16_t* outDegrees,
               std::int16_t* outMinutes);
