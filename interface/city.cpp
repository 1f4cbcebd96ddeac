#include <terrafind/interface.h>

// Number fields stay unset until a back end's GetCity fills them, as the
// record has always behaved; they are zeroed here only so that reading an
// unfilled record is not undefined.
CCity::CCity()
    : m_dwID(0), m_sLongitudeDegree(0), m_sLongitudeMinute(0), m_sEast(0), m_sLatitudeDegree(0),
      m_sLatitudeMinute(0), m_sNorth(0), m_sGmt(0), m_sMethod(0), m_dwCountryID(0)
{
}

CCity::CCity(const CCity& other) = default;
CCity& CCity::operator=(const CCity& other) = default;
CCity::~CCity() = default;
