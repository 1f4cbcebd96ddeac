// A host with no Qt application of its own: Show makes one for the call
// and takes it away again.
#include "placedb.h"

#include "ui/citypropsheet.h"

#include <terrafind/terrafind.h>

#include <QCoreApplication>
#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(HostWithoutApplication, ShowRunsItsOwnApplicationForTheCall)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("KVCities"));
    QFile::copy(QStringLiteral(TERRAFIND_SOURCE_DIR "/data/KVCities"), copy);
    qputenv("TERRAFIND_DB", copy.toLocal8Bit());
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    CTerrafind30 places;
    ASSERT_EQ(places.Init(), 1);
    for (int round = 0; round < 2; ++round) { // twice: the first call cleaned up after itself
        bool shown = false;
        CCityPropSheet::SetShownHook([&](CCityPropSheet* sheet) {
            shown = QCoreApplication::instance() != nullptr;
            sheet->m_selectPage.OnMapClick(132, 39); // Cairo's pixel: its region's first city is selected
            sheet->done(CCityPropSheet::kOK);
        });
        CCity city;
        EXPECT_EQ(places.Show(&city, 0), 1) << round;
        EXPECT_TRUE(shown);
        EXPECT_FALSE(city.m_strName.isEmpty());
        EXPECT_EQ(QCoreApplication::instance(), nullptr);
    }
    CCityPropSheet::SetShownHook({});
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
