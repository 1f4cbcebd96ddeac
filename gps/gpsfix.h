// From a parsed GPGGA position to the tagGPSFix the city form receives.
#pragma once

#include <terrafind/terrafindgps.h>

class CSentenceParser;

// True once the parser holds a GPGGA position: latitude and longitude not
// both exactly 0, whatever the fix quality.
bool HasPosition(const CSentenceParser& parser);

// Offset of local time from UTC in tenths of an hour: whole minutes first,
// then tenths, each truncated toward zero (+5:30 → 55, -3:30 → -35).
std::int16_t GmtTenths(int localOffsetSeconds);

// Whole degrees and minutes (each truncated, minutes forgiving the last
// bits of rounding) with hemisphere flags; on the equator counts as north,
// on the meridian as east.
tagGPSFix MakeGPSFix(double latitude, double longitude, int localOffsetSeconds);
