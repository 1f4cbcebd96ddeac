#include "cityrow.h"

#include "common/hemisphere.h"

void ReadCityRow(const CStatement& row, int first, CCity* city)
{
    city->m_dwID = row.UInt32(first);
    city->m_strName = row.Text(first + 1);
    city->m_strArabicName = row.Text(first + 2);
    SplitAngle(row.Short(first + 3), row.Short(first + 4), ZeroAngle::Positive, &city->m_sLongitudeDegree,
               &city->m_sLongitudeMinute, &city->m_sEast);
    SplitAngle(row.Short(first + 5), row.Short(first + 6), ZeroAngle::Positive, &city->m_sLatitudeDegree,
               &city->m_sLatitudeMinute, &city->m_sNorth);
    city->m_sGmt = row.Short(first + 7);
    city->m_dwCountryID = row.UInt32(first + 8);
}

void ReadCountryRow(const CStatement& row, int first, CCity* city)
{
    city->m_strCountryName = row.Text(first);
    city->m_strCountryArabicName = row.Text(first + 1);
    city->m_sMethod = row.Short(first + 2);
}
