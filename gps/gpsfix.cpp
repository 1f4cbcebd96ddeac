#include "gpsfix.h"

#include "sentenceparser.h"

#include <cmath>

namespace {

// Whole degrees and whole minutes, both truncated. A position read as
// dd + mm.mmm / 60 comes back a hair short of whole minutes (11° 31.000'
// is 11.51666666666666572...), so a billionth of a minute is allowed
// before truncating; a minute that then reaches 60 carries to the degrees.
void SplitAngle(double angle, std::uint16_t* degrees, std::uint16_t* minutes)
{
    const double magnitude = std::fabs(angle);
    double whole = std::floor(magnitude);
    double minute = std::floor((magnitude - whole) * 60 + 1e-9);
    if (minute >= 60) {
        whole += 1;
        minute = 0;
    }
    *degrees = static_cast<std::uint16_t>(whole);
    *minutes = static_cast<std::uint16_t>(minute);
}

} // namespace

bool HasPosition(const CSentenceParser& parser)
{
    return parser.m_gga.latitude != 0.0 || parser.m_gga.longitude != 0.0;
}

std::int16_t GmtTenths(int localOffsetSeconds)
{
    const int minutes = localOffsetSeconds / 60;
    return static_cast<std::int16_t>(minutes * 10 / 60);
}

tagGPSFix MakeGPSFix(double latitude, double longitude, int localOffsetSeconds)
{
    tagGPSFix fix;
    fix.wNorth = latitude >= 0 ? 1 : 0;
    SplitAngle(latitude, &fix.wLatDegree, &fix.wLatMinute);
    fix.wEast = longitude >= 0 ? 1 : 0;
    SplitAngle(longitude, &fix.wLonDegree, &fix.wLonMinute);
    fix.sGmtTenths = GmtTenths(localOffsetSeconds);
    return fix;
}
