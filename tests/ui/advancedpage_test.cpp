// The Add page as a user drives it: map taps, list taps, the four buttons
// and the forms they open, writing through the back end into a copy of the
// shipped place database. Expected lists come from the back end's own
// queries; the forms are answered from inside their modal loops.
#include "formdriver.h"
#include "pickerdriver.h"
#include "placedb.h"

#include "bidi/shapetext.h"
#include "ui/labels.h"

#include <terrafind/terrafind.h>

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

enum { kCountryAdd = 1113, kCountryEdit = 1112, kCityAdd = 1115, kCityEdit = 1114, kMap = 1202 };

// The map is equirectangular, 225 x 120 pixels for the whole world.
unsigned MapX(double longitude) { return unsigned((longitude + 180.0) * 225.0 / 360.0); }
unsigned MapY(double latitude) { return unsigned((90.0 - latitude) * 120.0 / 180.0); }

struct tagPlace {
    double longitude, latitude;
};
constexpr tagPlace kCairo{31.23, 30.05};
constexpr tagPlace kKarachi{67.0, 24.86};
constexpr tagPlace kCapeVerde{-23.5, 15.0};

void TapMap(CAdvancedPage& page, tagPlace place)
{
    QTest::mouseClick(FindControl(&page, kMap), Qt::LeftButton, {}, QPoint(int(MapX(place.longitude)), int(MapY(place.latitude))));
}

void TapTab(CCityPropSheet* sheet, int tab)
{
    QTabBar* bar = sheet->Tabs()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
}

void Click(CAdvancedPage& page, int button)
{
    FindControl<QPushButton>(&page, button)->click();
}

// Enabled state of country Add, country Edit, city Add, city Edit, as "1000".
QString Buttons(const CAdvancedPage& page)
{
    QString state;
    for (int id : {kCountryAdd, kCountryEdit, kCityAdd, kCityEdit})
        state += FindControl(&page, id)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    return state;
}

int RowOf(const QTreeWidget* list, const QString& text)
{
    return int(RowTexts(list).indexOf(text));
}

std::uint32_t RowID(const QTreeWidget* list, int row)
{
    return list->topLevelItem(row)->data(0, Qt::UserRole).toUInt();
}

class AddPage : public ::testing::Test {
protected:
    AddPage()
    {
        const QString copy = m_dir.filePath(QStringLiteral("KVCities"));
        QFile::copy(QStringLiteral(TERRAFIND_SOURCE_DIR "/data/KVCities"), copy);
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        qputenv("TERRAFIND_DB", copy.toLocal8Bit());
        m_file = copy;
        EXPECT_EQ(m_places.Init(), 1);
    }

    std::uint32_t ID(const QString& query)
    {
        std::uint32_t id = 0;
        EXPECT_EQ(m_places.CheckCountryExisting(query, &id), S_OK) << qPrintable(query);
        return id;
    }
    std::uint32_t CountryID(const char* name)
    {
        return ID(QStringLiteral("SELECT ID FROM Country WHERE name = '%1'").arg(QLatin1String(name)));
    }
    QStringList Countries(tagPlace place)
    {
        QStringList names;
        QList<unsigned int> ids;
        m_places.GetCountries(MapX(place.longitude), MapY(place.latitude), &names, &ids);
        return names;
    }
    QStringList Cities(std::uint32_t country)
    {
        QStringList names;
        QList<unsigned int> ids;
        m_places.GetCities(country, &names, &ids);
        return names;
    }

    // Opens the picker on Cairo, switches to the Add tab and runs step on
    // the page; the sheet is cancelled afterwards unless step ended it.
    int OnAddPage(int arabic, const std::function<void(CCityPropSheet*, CAdvancedPage&)>& step)
    {
        CCity city;
        m_places.GetCity(ID(QStringLiteral("SELECT ID FROM City WHERE name = 'Cairo'")), &city);
        WhenSheetShown([&](CCityPropSheet* sheet) {
            TapTab(sheet, 1);
            EXPECT_EQ(sheet->Tabs()->currentIndex(), 1);
            step(sheet, sheet->m_addPage);
            if (sheet->isVisible())
                sheet->reject();
        });
        return m_places.Show(&city, arabic);
    }

    CEnvironmentGuard m_environment;
    QTemporaryDir m_dir;
    QString m_file;
    CTerrafind30 m_places;
};

TEST_F(AddPage, IsTabOneAndStartsEmpty)
{
    OnAddPage(0, [&](CCityPropSheet* sheet, CAdvancedPage& page) {
        EXPECT_EQ(sheet->Tabs()->tabText(1), QStringLiteral("Add"));
        EXPECT_EQ(page.CountryList()->topLevelItemCount(), 0);
        EXPECT_EQ(page.CityList()->topLevelItemCount(), 0);
        EXPECT_EQ(Buttons(page), QStringLiteral("0000"));
        EXPECT_EQ(page.CountryList()->layoutDirection(), Qt::LeftToRight);
        EXPECT_FALSE(TitleAtTheRight(FindControl<QGroupBox>(&page, 1044)));
    });
}

TEST_F(AddPage, ReadOnlySheetNeverCreatesIt)
{
    CCityPropSheet sheet(QString(), 1);
    sheet.m_selectPage.SetBackend(&m_places);
    sheet.m_addPage.SetBackend(&m_places);
    WhenSheetShown([](CCityPropSheet* s) {
        EXPECT_FALSE(s->Tabs()->tabBar()->isEnabled());
        TapTab(s, 1);
        EXPECT_EQ(s->Tabs()->currentIndex(), 0);
        EXPECT_EQ(s->m_addPage.CountryList(), nullptr) << "the page was never initialised";
        s->reject();
    });
    EXPECT_EQ(sheet.Run(), CCityPropSheet::kCancel);
}

TEST_F(AddPage, ButtonsFollowEachTap)
{
    const std::uint32_t capeVerde = CountryID("Cape Verde");
    const QStringList region = Countries(kCapeVerde);
    ASSERT_EQ(region, QStringList{QStringLiteral("Cape Verde")}) << "a region with one country leaves room below it";
    OnAddPage(0, [&](CCityPropSheet*, CAdvancedPage& page) {
        QTreeWidget* countries = page.CountryList();
        QTreeWidget* cities = page.CityList();

        TapMap(page, kCapeVerde);
        EXPECT_EQ(Buttons(page), QStringLiteral("1000")) << "map tap";
        EXPECT_EQ(RowTexts(countries), region);
        EXPECT_TRUE(countries->selectedItems().isEmpty());
        const tagRECT hit = page.Highlight();
        EXPECT_NE(hit.left, hit.right);

        TapRow(countries, 0);
        EXPECT_EQ(Buttons(page), QStringLiteral("1110")) << "country tapped";
        EXPECT_EQ(RowTexts(cities), Cities(capeVerde));
        EXPECT_TRUE(cities->selectedItems().isEmpty());

        TapRow(cities, 0);
        EXPECT_EQ(Buttons(page), QStringLiteral("1111")) << "city tapped";

        const QRect cityRow = cities->visualItemRect(cities->topLevelItem(0));
        QTest::mouseClick(cities->viewport(), Qt::LeftButton, Qt::ControlModifier, cityRow.center());
        EXPECT_TRUE(cities->selectedItems().isEmpty());
        EXPECT_EQ(Buttons(page), QStringLiteral("1110")) << "city deselected";

        const QPoint below(5, countries->viewport()->height() - 3);
        ASSERT_EQ(countries->itemAt(below), nullptr);
        QTest::mouseClick(countries->viewport(), Qt::LeftButton, {}, below);
        EXPECT_TRUE(countries->selectedItems().isEmpty());
        EXPECT_EQ(cities->topLevelItemCount(), 0);
        EXPECT_EQ(Buttons(page), QStringLiteral("1000")) << "tap below the countries";

        QTest::mouseClick(cities->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_EQ(Buttons(page), QStringLiteral("1000")) << "a tap on the empty city list changes nothing";

        // Right of the 225-pixel bitmap there is no region: the lists empty,
        // the highlight stays, and Add still adds to it.
        ASSERT_GT(FindControl(&page, kMap)->width(), 226);
        TapRow(countries, 0);
        page.OnMapClick(226, 10);
        EXPECT_EQ(countries->topLevelItemCount(), 0);
        EXPECT_EQ(cities->topLevelItemCount(), 0);
        EXPECT_EQ(Buttons(page), QStringLiteral("1000")) << "tap outside every region";
        EXPECT_EQ(page.Highlight().left, hit.left);
        EXPECT_EQ(page.Highlight().bottom, hit.bottom);
    });
}

TEST_F(AddPage, AddsACountryToTheHighlightedRegion)
{
    const QStringList karachiRegion = Countries(kKarachi);
    const QString name = QStringLiteral("Pharaoh's Land");
    std::uint32_t region = 0;
    OnAddPage(0, [&](CCityPropSheet*, CAdvancedPage& page) {
        QTreeWidget* countries = page.CountryList();
        TapMap(page, kCairo);
        const QStringList before = RowTexts(countries);
        const tagRECT hit = page.Highlight();
        ASSERT_GE(m_places.GetRegionID(unsigned(hit.left), unsigned(hit.top), &region, nullptr), 0);

        WhenFormShown<CCountryDlg>([&](CCountryDlg* form) {
            EXPECT_TRUE(form->NameEdit()->text().isEmpty());
            form->NameEdit()->setText(name);
            form->MethodCombo()->setCurrentIndex(form->MethodCombo()->findText(QStringLiteral("Muslim World League")));
            Press(form, 1);
        });
        Click(page, kCountryAdd);
        EXPECT_EQ(RowTexts(countries), before + QStringList{name}) << "appended below the region's block";

        TapMap(page, kKarachi);
        EXPECT_EQ(RowTexts(countries), karachiRegion) << "the next tap takes it away with the block";
        TapMap(page, kCairo);
        EXPECT_TRUE(RowTexts(countries).contains(name)) << "it now belongs to the region";
    });

    const std::uint32_t id = ID(QStringLiteral("SELECT ID FROM Country WHERE name = 'Pharaoh''s Land'"));
    QString english, arabic;
    short method = -1;
    ASSERT_EQ(m_places.GetCountry(id, english, arabic, &method), S_OK);
    EXPECT_EQ(english, name);
    EXPECT_EQ(arabic, name) << "the one name is both names";
    EXPECT_EQ(method, 2);
    EXPECT_EQ(m_places.GetRecordsetCount(QStringLiteral("SELECT * FROM Region2County WHERE RegionID = %1 AND CountyID = %2")
                                              .arg(region)
                                              .arg(id)),
              1);
}

TEST_F(AddPage, AddsACityThatThePickerThenReturns)
{
    const std::uint32_t egypt = CountryID("Egypt");
    const QString name = QStringLiteral("Ra's Town");
    std::uint32_t added = 0;
    const int result = OnAddPage(0, [&](CCityPropSheet* sheet, CAdvancedPage& page) {
        TapMap(page, kCairo);
        TapRow(page.CountryList(), RowOf(page.CountryList(), QStringLiteral("Egypt")));
        const int cities = page.CityList()->topLevelItemCount();
        WhenFormShown<CCityDlg>([&](CCityDlg* form) {
            form->Edit(1116)->setText(name);
            form->Edit(1127)->setText(QStringLiteral("3.5"));
            form->Edit(1118)->setText(QStringLiteral("31"));
            form->Edit(1119)->setText(QStringLiteral("15"));
            form->Radio(1121)->setChecked(true); // West
            form->Edit(1124)->setText(QStringLiteral("12"));
            form->Edit(1123)->setText(QStringLiteral("30"));
            form->Radio(1126)->setChecked(true); // South
            SaveScreenshot(form, QStringLiteral("cityform-english-filled"));
            Press(form, 1);
        });
        Click(page, kCityAdd);
        ASSERT_EQ(page.CityList()->topLevelItemCount(), cities + 1);
        EXPECT_EQ(page.CityList()->topLevelItem(cities)->text(0), name);
        added = RowID(page.CityList(), cities);
        SaveScreenshot(sheet, QStringLiteral("addpage-english"));

        // Back on the Select page the country's list is read again.
        TapTab(sheet, 0);
        QTreeWidget* selectCountries = sheet->m_selectPage.CountryList();
        TapRow(selectCountries, RowOf(selectCountries, QStringLiteral("Egypt")));
        const int row = RowOf(sheet->m_selectPage.CityList(), name);
        ASSERT_GE(row, 0);
        TapRow(sheet->m_selectPage.CityList(), row);
    });
    EXPECT_EQ(result, 1);

    CCity city;
    ASSERT_EQ(m_places.GetCity(added, &city), S_OK);
    EXPECT_EQ(city.m_strName, name);
    EXPECT_EQ(city.m_strArabicName, name);
    EXPECT_EQ(city.m_dwCountryID, egypt);
    EXPECT_EQ(city.m_sEast, 0);
    EXPECT_EQ(city.m_sLongitudeDegree, 31);
    EXPECT_EQ(city.m_sLongitudeMinute, 15);
    EXPECT_EQ(city.m_sNorth, 0);
    EXPECT_EQ(city.m_sLatitudeDegree, 12);
    EXPECT_EQ(city.m_sLatitudeMinute, 30);
    EXPECT_EQ(city.m_sGmt, 35);
}

TEST_F(AddPage, EditingAWestCityWritesBackTheFormsHemisphere)
{
    const std::uint32_t praia = ID(QStringLiteral("SELECT ID FROM City WHERE name = 'Praia'"));
    CCity before;
    ASSERT_EQ(m_places.GetCity(praia, &before), S_OK);
    ASSERT_EQ(before.m_sEast, 0) << "Praia lies west of Greenwich";
    OnAddPage(0, [&](CCityPropSheet*, CAdvancedPage& page) {
        TapMap(page, kCapeVerde);
        TapRow(page.CountryList(), 0);
        TapRow(page.CityList(), RowOf(page.CityList(), QStringLiteral("Praia")));
        WhenFormShown<CCityDlg>([&](CCityDlg* form) {
            EXPECT_EQ(form->m_sLonDegree, -before.m_sLongitudeDegree) << "handed in negative";
            EXPECT_EQ(form->m_sLonMinute, -before.m_sLongitudeMinute);
            EXPECT_EQ(form->Edit(1118)->text(), QString::number(before.m_sLongitudeDegree)) << "shown as a magnitude";
            EXPECT_TRUE(form->Radio(1121)->isChecked()) << "West";
            EXPECT_EQ(form->Edit(1127)->text(), QString::asprintf("%.1f", before.m_sGmt * 0.1));
            EXPECT_EQ(form->Edit(1116)->text(), QStringLiteral("Praia"));
            form->Radio(1120)->setChecked(true); // East
            Press(form, 1);
        });
        Click(page, kCityEdit);
    });
    CCity after;
    ASSERT_EQ(m_places.GetCity(praia, &after), S_OK);
    EXPECT_EQ(after.m_sEast, 1);
    EXPECT_EQ(after.m_sLongitudeDegree, before.m_sLongitudeDegree);
    EXPECT_EQ(after.m_sLongitudeMinute, before.m_sLongitudeMinute);
    EXPECT_EQ(after.m_sNorth, before.m_sNorth);
    EXPECT_EQ(after.m_sLatitudeDegree, before.m_sLatitudeDegree);
    EXPECT_EQ(after.m_sGmt, before.m_sGmt);
    EXPECT_EQ(after.m_strArabicName, before.m_strArabicName);
    EXPECT_EQ(after.m_dwCountryID, before.m_dwCountryID);
}

TEST_F(AddPage, EditingACountryInEnglishChangesOnlyItsEnglishName)
{
    const std::uint32_t egypt = CountryID("Egypt");
    OnAddPage(0, [&](CCityPropSheet*, CAdvancedPage& page) {
        TapMap(page, kCairo);
        const int row = RowOf(page.CountryList(), QStringLiteral("Egypt"));
        TapRow(page.CountryList(), row);
        WhenFormShown<CCountryDlg>([](CCountryDlg* form) {
            EXPECT_EQ(form->NameEdit()->text(), QStringLiteral("Egypt"));
            EXPECT_EQ(form->MethodCombo()->currentText(), QStringLiteral("Egyptian General Authority of Survey"));
            form->NameEdit()->setText(QStringLiteral("Egypt's Republic"));
            form->MethodCombo()->setCurrentIndex(form->MethodCombo()->findText(QStringLiteral("Umm Al-Qura University")));
            Press(form, 1);
        });
        Click(page, kCountryEdit);
        EXPECT_EQ(page.CountryList()->topLevelItem(row)->text(0), QStringLiteral("Egypt's Republic"));
    });
    QString english, arabic;
    short method = -1;
    ASSERT_EQ(m_places.GetCountry(egypt, english, arabic, &method), S_OK);
    EXPECT_EQ(english, QStringLiteral("Egypt's Republic"));
    EXPECT_EQ(arabic, QStringLiteral("مصر"));
    EXPECT_EQ(method, 3);
    EXPECT_TRUE(Cities(egypt).contains(QStringLiteral("Cairo"))) << "its cities stay attached";
}

TEST_F(AddPage, ArabicMirrorsThePageAndEditsOnlyTheArabicName)
{
    const auto shaped = [](const char* key) { return DisplayLabel("", key, 1); };
    const std::uint32_t cairo = ID(QStringLiteral("SELECT ID FROM City WHERE name = 'Cairo'"));
    const QString newName = QStringLiteral("القاهرة الكبرى");
    const QString newCountry = QStringLiteral("بلد جديد");
    OnAddPage(1, [&](CCityPropSheet* sheet, CAdvancedPage& page) {
        EXPECT_EQ(sheet->Tabs()->tabText(1), shaped("add.tab"));
        QTreeWidget* countries = page.CountryList();
        QTreeWidget* cities = page.CityList();
        EXPECT_GT(countries->x(), cities->x()) << "countries on the right";
        EXPECT_EQ(countries->layoutDirection(), Qt::RightToLeft);
        EXPECT_EQ(FindControl<QGroupBox>(&page, 1044)->title(), shaped("select.countries"));
        EXPECT_EQ(FindControl<QGroupBox>(&page, 1043)->title(), shaped("select.cities"));
        EXPECT_GT(FindControl<QGroupBox>(&page, 1044)->x(), FindControl<QGroupBox>(&page, 1043)->x());
        EXPECT_TRUE(TitleAtTheRight(FindControl<QGroupBox>(&page, 1044)));
        EXPECT_TRUE(TitleAtTheRight(FindControl<QGroupBox>(&page, 1043))) << "also inside the right-to-left sheet";
        EXPECT_EQ(FindControl<QPushButton>(&page, kCountryAdd)->text(), shaped("add.add"));
        EXPECT_EQ(FindControl<QPushButton>(&page, kCityEdit)->text(), shaped("add.edit"));
        // Add at the outer edge, Edit beside it, in each group.
        const auto x = [&](int id) { return FindControl(&page, id)->x(); };
        EXPECT_GT(x(kCountryAdd), x(kCountryEdit));
        EXPECT_GT(x(kCountryEdit), x(kCityAdd));
        EXPECT_GT(x(kCityAdd), x(kCityEdit));

        TapMap(page, kCairo);
        const int egypt = RowOf(countries, QStringLiteral("مصر"));
        ASSERT_GE(egypt, 0) << "Arabic names in Arabic mode";
        TapRow(countries, egypt);
        TapRow(cities, RowOf(cities, QStringLiteral("القاهرة")));
        SaveScreenshot(sheet, QStringLiteral("addpage-arabic"));

        WhenFormShown<CCityDlg>([&](CCityDlg* form) {
            EXPECT_EQ(form->Edit(1116)->text(), QStringLiteral("القاهرة"));
            form->Edit(1116)->setText(newName);
            Press(form, 1);
        });
        Click(page, kCityEdit);
        EXPECT_EQ(cities->selectedItems().first()->text(0), newName);

        WhenFormShown<CCountryDlg>([&](CCountryDlg* form) {
            form->NameEdit()->setText(newCountry);
            Press(form, 1);
        });
        Click(page, kCountryAdd);
        EXPECT_EQ(RowTexts(countries).last(), newCountry);
    });
    CCity after;
    ASSERT_EQ(m_places.GetCity(cairo, &after), S_OK);
    EXPECT_EQ(after.m_strArabicName, newName);
    EXPECT_EQ(after.m_strName, QStringLiteral("Cairo")) << "the English name stays";
    EXPECT_EQ(after.m_sLongitudeDegree, 31);

    QString english, arabic;
    short method = -1;
    const std::uint32_t added = ID(QStringLiteral("SELECT ID FROM Country WHERE arabic_name = '%1'").arg(newCountry));
    ASSERT_EQ(m_places.GetCountry(added, english, arabic, &method), S_OK);
    EXPECT_EQ(english, newCountry) << "an Arabic add gives the one name to both";
    EXPECT_EQ(method, 0) << "the form's first method is code 0";
}

TEST_F(AddPage, CancelledOrNamelessFormsChangeNothing)
{
    const QString digest = FileDigest(m_file);
    OnAddPage(0, [&](CCityPropSheet*, CAdvancedPage& page) {
        TapMap(page, kCapeVerde);
        TapRow(page.CountryList(), 0);
        TapRow(page.CityList(), 0);
        const QStringList countries = RowTexts(page.CountryList());
        const QStringList cities = RowTexts(page.CityList());
        for (int button : {kCountryAdd, kCountryEdit}) {
            WhenFormShown<CCountryDlg>([](CCountryDlg* form) {
                form->NameEdit()->setText(QStringLiteral("Elsewhere"));
                Press(form, 2);
            });
            Click(page, button);
        }
        for (int button : {kCityAdd, kCityEdit}) {
            WhenFormShown<CCityDlg>([](CCityDlg* form) {
                form->Edit(1116)->setText(QStringLiteral("Elsewhere"));
                form->Edit(1127)->setText(QStringLiteral("9"));
                Press(form, 2);
            });
            Click(page, button);
            WhenFormShown<CCityDlg>([](CCityDlg* form) {
                form->Edit(1116)->clear(); // OK without a name
                Press(form, 1);
            });
            Click(page, button);
        }
        EXPECT_EQ(RowTexts(page.CountryList()), countries);
        EXPECT_EQ(RowTexts(page.CityList()), cities);
    });
    EXPECT_EQ(FileDigest(m_file), digest);
}

TEST_F(AddPage, AFailedModifyKeepsTheOldRecord)
{
    const std::uint32_t praia = ID(QStringLiteral("SELECT ID FROM City WHERE name = 'Praia'"));
    ASSERT_EQ(m_places.ExecuteStatement(QStringLiteral(
                  "CREATE TRIGGER refuse BEFORE INSERT ON City BEGIN SELECT RAISE(ABORT, 'refused'); END")),
              S_OK);
    OnAddPage(0, [&](CCityPropSheet*, CAdvancedPage& page) {
        TapMap(page, kCapeVerde);
        TapRow(page.CountryList(), 0);
        const int row = RowOf(page.CityList(), QStringLiteral("Praia"));
        TapRow(page.CityList(), row);
        WhenFormShown<CCityDlg>([](CCityDlg* form) {
            form->Edit(1116)->setText(QStringLiteral("Praia Nova"));
            Press(form, 1);
        });
        Click(page, kCityEdit);
        EXPECT_EQ(page.CityList()->topLevelItem(row)->text(0), QStringLiteral("Praia")) << "the list keeps the old name";
    });
    CCity city;
    ASSERT_EQ(m_places.GetCity(praia, &city), S_OK) << "the record is still there";
    EXPECT_EQ(city.m_strName, QStringLiteral("Praia"));
}

TEST_F(AddPage, MapShowsTheRegionGridAndTheHighlightFrame)
{
    OnAddPage(0, [&](CCityPropSheet*, CAdvancedPage& page) {
        QWidget* map = FindControl(&page, kMap);
        const QImage before = map->grab().toImage();
        std::uint32_t id = 0;
        tagRECT karachi;
        ASSERT_EQ(m_places.GetRegionID(MapX(kKarachi.longitude), MapY(kKarachi.latitude), &id, &karachi), S_OK);
        // The right edge of a region is drawn in the list text colour.
        EXPECT_EQ(before.pixel(karachi.right, (karachi.top + karachi.bottom) / 2) & 0xFFFFFF, PickerColours::kText);

        TapMap(page, kCairo);
        const tagRECT hit = page.Highlight();
        const QImage after = map->grab().toImage();
        // The dotted frame inverts every other pixel of the column left of
        // the region; drawing it twice would remove it.
        int inverted = 0;
        for (int y = hit.top; y <= hit.bottom; ++y) {
            const QRgb was = before.pixel(hit.left - 1, y), now = after.pixel(hit.left - 1, y);
            if (now != was) {
                EXPECT_EQ(now & 0xFFFFFF, ~was & 0xFFFFFF) << y;
                ++inverted;
            }
        }
        EXPECT_GE(inverted, (hit.bottom - hit.top) / 2);
        EXPECT_LE(inverted, (hit.bottom - hit.top) / 2 + 1);
        EXPECT_EQ(after.pixel(karachi.right, karachi.bottom - 1), before.pixel(karachi.right, karachi.bottom - 1))
            << "far from the frame nothing changes";
    });
}

} // namespace
