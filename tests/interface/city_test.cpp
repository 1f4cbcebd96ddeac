#include <terrafind/terrafind.h>

#include <gtest/gtest.h>

#include <tuple>

namespace {

CCity Makkah()
{
    CCity city;
    city.m_dwID = 7;
    city.m_strCountryName = QStringLiteral("Saudi Arabia");
    city.m_strCountryArabicName = QStringLiteral("السعودية");
    city.m_strArabicName = QStringLiteral("مكة المكرمة");
    city.m_strName = QStringLiteral("Makkah");
    city.m_sLongitudeDegree = 39;
    city.m_sLongitudeMinute = 49;
    city.m_sEast = 1;
    city.m_sLatitudeDegree = 21;
    city.m_sLatitudeMinute = 25;
    city.m_sNorth = 1;
    city.m_sGmt = 30;
    city.m_sMethod = 3;
    city.m_dwCountryID = 1;
    return city;
}

// Every field, strings included, for whole-record comparisons.
auto Fields(const CCity& c)
{
    return std::make_tuple(c.m_dwID, c.m_strCountryName, c.m_strCountryArabicName, c.m_strArabicName, c.m_strName,
                           c.m_sLongitudeDegree, c.m_sLongitudeMinute, c.m_sEast, c.m_sLatitudeDegree,
                           c.m_sLatitudeMinute, c.m_sNorth, c.m_sGmt, c.m_sMethod, c.m_dwCountryID);
}

TEST(City, CopiesAndAssignmentsCarryEveryField)
{
    const CCity original = Makkah();
    CCity copied(original);
    EXPECT_EQ(Fields(copied), Fields(original));

    CCity assigned;
    assigned = original;
    EXPECT_EQ(Fields(assigned), Fields(original));

    CCity& alias = assigned;
    assigned = alias; // self-assignment
    EXPECT_EQ(Fields(assigned), Fields(original));

    // Strings are values: changing the copy leaves the original alone.
    copied.m_strName += QStringLiteral(" al-Mukarramah");
    EXPECT_EQ(original.m_strName, QStringLiteral("Makkah"));
}

} // namespace
