// The picker as a user drives it, on a copy of the shipped place database.
#include "pickerdriver.h"
#include "placedb.h"

#include "bidi/shapetext.h"
#include "ui/labels.h"

#include <terrafind/terrafind.h>
#include <terrafind/terrafindfile.h>

#include <QFile>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

// The map is equirectangular, 225 x 120 pixels for the whole world.
unsigned MapX(double longitude) { return unsigned((longitude + 180.0) * 225.0 / 360.0); }
unsigned MapY(double latitude) { return unsigned((90.0 - latitude) * 120.0 / 180.0); }

class Picker : public ::testing::Test {
protected:
    Picker()
    {
        const QString copy = m_dir.filePath(QStringLiteral("KVCities"));
        QFile::copy(QStringLiteral(TERRAFIND_SOURCE_DIR "/data/KVCities"), copy);
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        qputenv("TERRAFIND_DB", copy.toLocal8Bit());
        EXPECT_EQ(m_places.Init(), 1);
    }

    std::uint32_t ID(const QString& query)
    {
        std::uint32_t id = 0;
        EXPECT_EQ(m_places.CheckCountryExisting(query, &id), S_OK) << qPrintable(query);
        return id;
    }
    CCity City(const char* name)
    {
        CCity city;
        EXPECT_EQ(m_places.GetCity(ID(QStringLiteral("SELECT ID FROM City WHERE name = '%1'").arg(QLatin1String(name))), &city), S_OK);
        return city;
    }

    CEnvironmentGuard m_environment;
    QTemporaryDir m_dir;
    CTerrafind30 m_places;
};

QString Shaped(const char* key)
{
    QString text;
    ShapeText(ArabicLabel(key), text, 1);
    return text;
}

TEST_F(Picker, OpensOnTheHostsCityAndDoneReadsItAgain)
{
    const CCity cairo = City("Cairo");
    CCity chosen = cairo;
    chosen.m_strName.clear(); // Show must write the record again
    WhenSheetShown([&](CCityPropSheet* sheet) {
        QTreeWidget* countries = sheet->m_selectPage.CountryList();
        QTreeWidget* cities = sheet->m_selectPage.CityList();
        EXPECT_EQ(countries->topLevelItem(0)->text(0), QStringLiteral("-- All Countries --"));
        ASSERT_EQ(countries->selectedItems().size(), 1);
        EXPECT_EQ(countries->selectedItems().first()->text(0), cairo.m_strCountryName);
        ASSERT_EQ(cities->selectedItems().size(), 1);
        EXPECT_EQ(cities->selectedItems().first()->text(0), QStringLiteral("Cairo"));
        EXPECT_EQ(sheet->Tabs()->tabText(0), QStringLiteral("Select"));
        SaveScreenshot(sheet, QStringLiteral("select-english-database"));
        sheet->findChild<QWidget*>(QStringLiteral("done"))->metaObject()->invokeMethod(
            sheet->findChild<QWidget*>(QStringLiteral("done")), "click");
    });
    EXPECT_EQ(m_places.Show(&chosen, 0), 1);
    EXPECT_EQ(chosen.m_dwID, cairo.m_dwID);
    EXPECT_EQ(chosen.m_strName, QStringLiteral("Cairo"));
    EXPECT_EQ(chosen.m_sGmt, cairo.m_sGmt);
}

TEST_F(Picker, MapTapsNarrowTheCountryList)
{
    CCity chosen = City("Cairo");
    QStringList cairoBlock, karachiBlock;
    QList<unsigned int> ids;
    m_places.GetCountries(MapX(31.23), MapY(30.05), &cairoBlock, &ids);
    m_places.GetCountries(MapX(67.0), MapY(24.86), &karachiBlock, &ids);
    ASSERT_TRUE(cairoBlock.contains(QStringLiteral("Egypt")));
    ASSERT_FALSE(karachiBlock.isEmpty());

    WhenSheetShown([&](CCityPropSheet* sheet) {
        CMapSimplePage& page = sheet->m_selectPage;
        QTreeWidget* countries = page.CountryList();
        const int all = countries->topLevelItemCount();

        page.OnMapClick(MapX(31.23), MapY(30.05));
        EXPECT_EQ(RowTexts(countries).mid(0, int(cairoBlock.size())), cairoBlock);
        EXPECT_EQ(countries->topLevelItemCount(), all + cairoBlock.size());
        EXPECT_EQ(countries->selectedItems().first()->text(0), cairoBlock.first());

        page.OnMapClick(MapX(67.0), MapY(24.86)); // the second block replaces the first
        EXPECT_EQ(RowTexts(countries).mid(0, int(karachiBlock.size())), karachiBlock);
        EXPECT_EQ(countries->topLevelItemCount(), all + karachiBlock.size());
        EXPECT_EQ(countries->topLevelItem(int(karachiBlock.size()))->text(0), QStringLiteral("-- All Countries --"));

        page.OnMapClick(MapX(-135.0), MapY(40.0)); // the open Pacific: no region block
        EXPECT_EQ(countries->topLevelItemCount(), all);
        EXPECT_EQ(countries->selectedItems().first()->text(0), QStringLiteral("-- All Countries --"));
        EXPECT_EQ(page.CityList()->topLevelItemCount(), 0) << "the all-countries entry lists no cities";
        sheet->done(CCityPropSheet::kCancel);
    });
    EXPECT_EQ(m_places.Show(&chosen, 0), 2);
}

TEST_F(Picker, TappingACityEndsThePickerWithIt)
{
    CCity chosen = City("Cairo");
    QString tapped;
    WhenSheetShown([&](CCityPropSheet* sheet) {
        QTreeWidget* cities = sheet->m_selectPage.CityList();
        const int last = cities->topLevelItemCount() - 1;
        tapped = cities->topLevelItem(last)->text(0);
        TapRow(cities, last);
    });
    EXPECT_EQ(m_places.Show(&chosen, 0), 1);
    EXPECT_EQ(chosen.m_strName, tapped);
}

TEST_F(Picker, CancelLeavesTheHostsRecordAlone)
{
    CCity chosen = City("Cairo");
    chosen.m_strName = QStringLiteral("the host's own text");
    WhenSheetShown([&](CCityPropSheet* sheet) {
        TapRow(sheet->m_selectPage.CountryList(), 1); // choose another country first
        sheet->reject();
    });
    EXPECT_EQ(m_places.Show(&chosen, 0), 2);
    EXPECT_EQ(chosen.m_strName, QStringLiteral("the host's own text"));
}

TEST_F(Picker, ACountryWithoutCitiesLeavesNoCityToRead)
{
    std::uint32_t empty = 0;
    ASSERT_EQ(m_places.AddCountry(QStringLiteral("Aaland Test"), QStringLiteral("اختبار"), &empty, 1, 2), S_OK);
    CCity chosen = City("Cairo");
    WhenSheetShown([&](CCityPropSheet* sheet) {
        QTreeWidget* countries = sheet->m_selectPage.CountryList();
        int row = RowTexts(countries).indexOf(QStringLiteral("Aaland Test"));
        ASSERT_GE(row, 0);
        TapRow(countries, row);
        EXPECT_EQ(sheet->m_selectPage.CityList()->topLevelItemCount(), 0);
        sheet->done(CCityPropSheet::kOK);
    });
    // Cairo was listed (and so consumed) at start; with no city selected
    // there is nothing to read back.
    EXPECT_EQ(m_places.Show(&chosen, 0), 2);
}

TEST_F(Picker, ArabicMirrorsThePageAndStaysOn)
{
    CCity chosen = City("Cairo");
    WhenSheetShown([&](CCityPropSheet* sheet) {
        CMapSimplePage& page = sheet->m_selectPage;
        EXPECT_GT(page.CountryList()->x(), page.CityList()->x()) << "countries move to the right";
        EXPECT_EQ(page.CountryList()->layoutDirection(), Qt::RightToLeft);
        auto* countriesLabel = page.findChild<QLabel*>(QStringLiteral("1044"));
        auto* citiesLabel = page.findChild<QLabel*>(QStringLiteral("1043"));
        EXPECT_EQ(countriesLabel->text(), Shaped("select.countries"));
        EXPECT_EQ(citiesLabel->text(), Shaped("select.cities"));
        EXPECT_NE(citiesLabel->text(), ArabicLabel("select.cities")) << "labels are shaped";
        EXPECT_TRUE(countriesLabel->alignment() & Qt::AlignRight);
        EXPECT_EQ(page.CountryList()->topLevelItem(0)->text(0), Shaped("select.allCountries"));
        EXPECT_EQ(sheet->Tabs()->tabText(0), Shaped("select.tab"));
        EXPECT_EQ(page.CityList()->selectedItems().first()->text(0), QStringLiteral("القاهرة"));
        SaveScreenshot(sheet, QStringLiteral("select-arabic-database"));
        sheet->done(CCityPropSheet::kOK);
    });
    EXPECT_EQ(m_places.Show(&chosen, 1), 1);
    EXPECT_EQ(m_places.m_bArabic, 1);
    WhenSheetShown([](CCityPropSheet* sheet) { sheet->reject(); });
    m_places.Show(&chosen, 0);
    EXPECT_EQ(m_places.m_bArabic, 1) << "an English picker does not switch the back end back";
}

TEST(FilePicker, IsReadOnlyAndReadsTheCityByItsIndex)
{
    CTerrafindFile file;
    ASSERT_EQ(file.Init(QStringLiteral(TERRAFIND_SOURCE_DIR "/data").utf16()), 1);
    for (const int arabic : {1, 0}) {
        SCOPED_TRACE(arabic);
        CCity chosen;
        chosen.m_dwID = 1;        // city index 1...
        chosen.m_dwCountryID = 1; // ...of country 1
        QString expected;
        std::uint32_t expectedIndex = 0;
        WhenSheetShown([&](CCityPropSheet* sheet) {
            CMapSimplePage& page = sheet->m_selectPage;
            EXPECT_FALSE(sheet->Tabs()->tabBar()->isEnabled());
            EXPECT_FALSE(page.findChild<QWidget*>(QStringLiteral("1201"))->isEnabled()) << "the map takes no taps";
            const int before = page.CountryList()->topLevelItemCount();
            page.OnMapClick(MapX(31.23), MapY(30.05));
            EXPECT_EQ(page.CountryList()->topLevelItemCount(), before);
            ASSERT_EQ(page.CityList()->selectedItems().size(), 1);
            TapRow(page.CityList(), 1);
            expected = page.CityList()->topLevelItem(1)->text(0);
            expectedIndex = page.CityList()->topLevelItem(1)->data(0, Qt::UserRole).toUInt();
            SaveScreenshot(sheet, arabic ? QStringLiteral("select-arabic-file") : QStringLiteral("select-english-file"));
        });
        ASSERT_EQ(file.Show(&chosen, arabic), 1);
        EXPECT_EQ(file.m_bArabic, arabic) << "each picker sets the file's language";
        EXPECT_EQ(chosen.m_dwID, expectedIndex) << "the row's city index";
        if (!arabic)
            EXPECT_EQ(expectedIndex, 2u) << "English lists are in file order";
        EXPECT_EQ(chosen.m_dwCountryID, 1u);
        EXPECT_EQ(arabic ? chosen.m_strArabicName : chosen.m_strName, expected);
    }
}

} // namespace
