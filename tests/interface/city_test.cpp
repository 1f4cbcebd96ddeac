#include <terrafind/terrafind.h>

#include <gtest/gtest.h>

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

void ExpectSame(const CCity& a, const CCity& b)
{
    EXPECT_EQ(a.m_dwID, b.m_dwID);
    EXPECT_EQ(a.m_strCountryName, b.m_strCountryName);
    EXPECT_EQ(a.m_strCountryArabicName, b.m_strCountryArabicName);
    EXPECT_EQ(a.m_strArabicName, b.m_strArabicName);
    EXPECT_EQ(a.m_strName, b.m_strName);
    EXPECT_EQ(a.m_sLongitudeDegree, b.m_sLongitudeDegree);
    EXPECT_EQ(a.m_sLongitudeMinute, b.m_sLongitudeMinute);
    EXPECT_EQ(a.m_sEast, b.m_sEast);
    EXPECT_EQ(a.m_sLatitudeDegree, b.m_sLatitudeDegree);
    EXPECT_EQ(a.m_sLatitudeMinute, b.m_sLatitudeMinute);
    EXPECT_EQ(a.m_sNorth, b.m_sNorth);
    EXPECT_EQ(a.m_sGmt, b.m_sGmt);
    EXPECT_EQ(a.m_sMethod, b.m_sMethod);
    EXPECT_EQ(a.m_dwCountryID, b.m_dwCountryID);
}

TEST(City, CopiesAndAssignmentsCarryEveryField)
{
    const CCity original = Makkah();
    CCity copied(original);
    ExpectSame(copied, original);

    CCity assigned;
    assigned = original;
    ExpectSame(assigned, original);

    CCity& alias = assigned;
    assigned = alias; // self-assignment
    ExpectSame(assigned, original);

    // Strings are values: changing the copy leaves the original alone.
    copied.m_strName += QStringLiteral(" al-Mukarramah");
    EXPECT_EQ(original.m_strName, QStringLiteral("Makkah"));
}

TEST(Interface, StatusesAreNegativeThirtyTwoBitValues)
{
    static_assert(sizeof(HRESULT) == 4);
    EXPECT_LT(E_FAIL, 0);
    EXPECT_LT(E_INVALIDARG, 0);
    EXPECT_EQ(static_cast<std::uint32_t>(E_FAIL), 0x80004005u);
    EXPECT_EQ(static_cast<std::uint32_t>(E_INVALIDARG), 0x80070057u);
}

} // namespace
