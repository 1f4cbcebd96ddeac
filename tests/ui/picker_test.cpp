// The Select page as a user drives it, and the dialog units its templates
// are laid out in. Expected lists come from the back end's own queries.
#include "pickerdriver.h"

#include <terrafind/terrafindfile.h>

#include <QAccessible>
#include <QScreen>
#include <QSettings>

namespace {

using Picker = PlaceCopy;
namespace Select = Controls::Select;
namespace Add = Controls::Add;
constexpr int kSelectMap = CMapPicture::ControlID(Select::kMapPlaceholder);
constexpr int kAddMap = CMapPicture::ControlID(Add::kMapPlaceholder);

// Base units 6 x 13 (an 8-point font at 96 dpi): x * 6 / 4 and y * 13 / 8,
// rounded, so the 150 x 75 unit placeholder holds the 225 x 120 map.
TEST(DialogTemplate, UnitsToPixels)
{
    EXPECT_EQ(DialogUnitsToPixels(QRect(5, 5, 150, 75), QSize(6, 13)), QRect(8, 8, 225, 122));
    EXPECT_EQ(DialogUnitsToPixels(QRect(1, 1, 7, 3), QSize(6, 12)), QRect(2, 2, 11, 5)); // halves round up
}

TEST_F(Picker, EachMapTapReplacesTheRegionBlockAboveTheList)
{
    std::uint32_t id = 0;
    ASSERT_EQ(m_places.AddCountry(u"Aaland Test"_s, u"اختبار"_s, &id, 1, 2), S_OK);
    const std::pair<tagPlace, QStringList> taps[] = {{kCairo, Countries(kCairo)}, {kKarachi, Countries(kKarachi)}, {kPacific, {}}};
    ASSERT_TRUE(taps[0].second.contains(u"Egypt"_s));
    ASSERT_FALSE(taps[1].second.isEmpty());
    // With no city selected at the end there is nothing to read back.
    EXPECT_EQ(ShowOnCairo(0, [&](CCityPropSheet* sheet) {
        CSelectPage& page = sheet->m_selectPage;
        const QStringList all = RowTexts(page.CountryList());
        for (const auto& [place, block] : taps) {
            SCOPED_TRACE(place.longitude);
            page.OnMapClick(place.X(), place.Y());
            EXPECT_EQ(RowTexts(page.CountryList()), block + all);
            EXPECT_EQ(RowTexts(page.CountryList(), true), (block + all).mid(0, 1)) << "the first row selected";
        }
        EXPECT_EQ(page.CityList()->topLevelItemCount(), 0) << "the all-countries entry lists no cities";
        TapRow(page.CountryList(), RowOf(page.CountryList(), u"Aaland Test"_s));
        EXPECT_EQ(page.CityList()->topLevelItemCount(), 0) << "nor does a country without cities";
        sheet->done(CCityPropSheet::kOK);
    }), 2);
}

TEST_F(Picker, ACityTapEndsWithItAndCancelLeavesTheHostsRecordAlone)
{
    CCity chosen = City(u"Cairo"_s);
    QString tapped;
    WhenShown<CCityPropSheet>([&](CCityPropSheet* sheet) {
        QTreeWidget* cities = sheet->m_selectPage.CityList();
        tapped = RowTexts(cities).last();
        TapRow(cities, cities->topLevelItemCount() - 1);
    });
    EXPECT_EQ(m_places.Show(&chosen, 0), 1);
    EXPECT_NE(tapped, u"Cairo"_s) << "not the preselected city";
    EXPECT_EQ(chosen.m_strName, tapped);

    const CCity before = chosen;
    WhenShown<CCityPropSheet>([](CCityPropSheet* sheet) {
        TapRow(sheet->m_selectPage.CountryList(), 1); // another country first
        sheet->reject();
    });
    EXPECT_EQ(m_places.Show(&chosen, 0), 2);
    EXPECT_EQ(std::tuple(chosen.m_strName, chosen.m_dwID), std::tuple(before.m_strName, before.m_dwID));
}

TEST_F(Picker, ArabicMirrorsThePageAndStaysOn)
{
    EXPECT_EQ(ShowOnCairo(1, [](CCityPropSheet* sheet) {
        CSelectPage& page = sheet->m_selectPage;
        EXPECT_GT(page.CountryList()->x(), page.CityList()->x()) << "countries move to the right";
        EXPECT_EQ(page.CountryList()->layoutDirection(), Qt::RightToLeft);
        EXPECT_GT(FindControl(&page, Select::kCountriesLabel)->x(), FindControl(&page, Select::kCitiesLabel)->x());
        EXPECT_TRUE(FindControl<QLabel>(&page, Select::kCountriesLabel)->alignment() & Qt::AlignRight);
        ExpectShaped(&page, {{Select::kCountriesLabel, "select.countries"}, {Select::kCitiesLabel, "select.cities"}});
        EXPECT_EQ(page.CountryList()->topLevelItem(0)->text(0), Shaped("select.allCountries"));
        EXPECT_EQ(sheet->Tabs()->tabText(0), Shaped("select.tab"));
        EXPECT_EQ(RowTexts(page.CityList(), true), QStringList{u"القاهرة"_s});
        SaveScreenshot(sheet, u"select-arabic"_s);
        sheet->done(CCityPropSheet::kOK);
    }), 1);
    EXPECT_EQ(m_places.m_bArabic, 1);
    ShowOnCairo(0, [](CCityPropSheet* sheet) { sheet->reject(); });
    EXPECT_EQ(m_places.m_bArabic, 1) << "an English picker does not switch the back end back";
}

TEST_F(Picker, TypingListsMatchesArrowsMoveAndEnterChooses)
{
    // GeoNames' populations and spellings, as shipped: the places named
    // Alexandria first, Egypt's then Virginia's, above İskenderun (once
    // Alexandria, one of its spellings) and its larger population.
    CCity chosen = City(u"Cairo"_s);
    WhenShown<CCityPropSheet>([&](CCityPropSheet* sheet) {
        QLineEdit* search = sheet->SearchField();
        QTreeWidget* cities = sheet->m_selectPage.CityList();
        EXPECT_EQ(search->accessibleName(), u"Search for a city"_s);
        const QStringList before = RowTexts(cities);
        QTest::keyClicks(search, u"alexandria"_s);
        EXPECT_EQ(RowTexts(cities).mid(0, 2),
                  (QStringList{u"Alexandria, Alexandria, Egypt"_s, u"Alexandria (Virginia), Virginia, United States"_s}));
        QTest::keyClick(search, Qt::Key_Down);
        EXPECT_EQ(RowTexts(cities, true), QStringList{u"Alexandria (Virginia), Virginia, United States"_s});
        SaveScreenshot(sheet, u"select-search"_s);
        search->clear();
        EXPECT_EQ(RowTexts(cities), before);
        search->insert(u"الاسكندريه فرج"_s); // as an Arabic keyboard types it
        QTest::keyClick(search, Qt::Key_Return);
    });
    EXPECT_EQ(m_places.Show(&chosen, 0), 1);
    EXPECT_EQ(std::tuple(chosen.m_strName, chosen.m_strCountryName), std::tuple(u"Alexandria (Virginia)"_s, u"United States"_s));
}

// Escape empties a search field that holds text and the sheet stays open
// on the country's cities; on an empty field it cancels.
const std::pair<const char*, bool> kEscapes[] = {{"alexandria", true}, {"", false}};

TEST_F(Picker, EscapeClearsTheSearchBeforeItCancels)
{
    for (const auto& [typed, staysOpen] : kEscapes) {
        SCOPED_TRACE(typed);
        bool open = false;
        QStringList highlighted;
        EXPECT_EQ(ShowOnCairo(0, [&](CCityPropSheet* sheet) {
            QTest::keyClicks(sheet->SearchField(), QString::fromUtf8(typed));
            QTest::keyClick(sheet->SearchField(), Qt::Key_Escape);
            open = sheet->isVisible();
            highlighted = RowTexts(sheet->m_selectPage.CityList(), true);
            EXPECT_TRUE(sheet->SearchField()->text().isEmpty());
        }), 2);
        EXPECT_EQ(open, staysOpen);
        EXPECT_EQ(highlighted, QStringList{u"Cairo"_s}) << "the city highlighted before the search";
    }
}

// The sheet reopens at the size and place the user left it at, within the
// screen and never below its smallest; a place on no screen is not used.
struct tagStoredCase {
    QSize stored;
    QPoint position;
    bool placed; // the position is used
};
const tagStoredCase kStored[] = {
    {{700, 560}, {30, 40}, true},
    {{5000, 4000}, {0, 0}, true},
    {{10, 10}, {-9000, 50}, false},
};

TEST_F(Picker, ReopensAtTheSizeAndPlaceLeft)
{
    for (const tagStoredCase& row : kStored) {
        SCOPED_TRACE(row.position.x());
        // Left there by the previous sheet.
        ShowOnCairo(0, [&](CCityPropSheet* sheet) {
            sheet->resize(row.stored);
            sheet->move(row.position);
        });
        if (!row.placed) // as a screen that is gone leaves it
            QSettings(u"terrafind"_s, u"picker"_s).setValue(u"sheet/position"_s, row.position);
        ShowOnCairo(0, [&](CCityPropSheet* sheet) {
            const QSize screen = sheet->screen()->availableSize();
            EXPECT_EQ(sheet->size(), row.stored.boundedTo(screen).expandedTo(sheet->minimumSize()));
            EXPECT_EQ(sheet->pos() == row.position, row.placed);
            EXPECT_TRUE(sheet->screen()->availableGeometry().intersects(sheet->frameGeometry()));
        });
    }
}

// The map pins the highlighted city where its position falls in the map's
// projection, and dots the other matches of a search, at the smallest size
// and a large one, in both languages; its description names the place.
struct tagPinCase {
    const char* query; // empty: the country's city preselected
    int arabic;
    const char* marked;
};
const tagPinCase kPins[] = {
    {"", 0, "Cairo, Cairo, Egypt"},
    {"makkah", 0, "Makkah al Mukarramah, Mecca Region, Saudi Arabia"},
    {"alexandria", 0, "Alexandria, Alexandria, Egypt"},
    {"buenos aires", 0, "Buenos Aires, Buenos Aires F.D., Argentina"},
    {"", 1, "القاهرة، محافظة القاهرة، مصر"},
    {"مكة", 1, "مكة المكرمة، مِنْطَقَة مَكَّة المُكَرَّمَة، المملكة العربية السعودية"},
};

TEST_F(Picker, TheMapPinsTheHighlightedCityAndDotsTheMatches)
{
    for (const tagPinCase& row : kPins) {
        SCOPED_TRACE(row.marked);
        ShowOnCairo(row.arabic, [&](CCityPropSheet* sheet) {
            CSelectPage& page = sheet->m_selectPage;
            QWidget* map = FindControl(&page, kSelectMap);
            sheet->SearchField()->insert(QString::fromUtf8(row.query)); // as any keyboard types it
            EXPECT_EQ(QAccessible::queryAccessibleInterface(map)->text(QAccessible::Description),
                      (row.arabic ? ArabicLabel("a11y.mapMarked") : u"World map; marked:"_s) + u' ' + QString::fromUtf8(row.marked));
            // A listed place's pixel, by the map's projection: 1.6 degrees
            // of longitude from 180 W and 1.5 of latitude from 90 N a pixel.
            const auto pixelOf = [&](int row) {
                CCity city;
                EXPECT_EQ(m_places.GetCity(page.CityList()->topLevelItem(row)->data(0, Qt::UserRole).toUInt(), &city), S_OK);
                const double lon = (city.m_sLongitudeDegree + city.m_sLongitudeMinute / 60.0) * (city.m_sEast ? 1 : -1);
                const double lat = (city.m_sLatitudeDegree + city.m_sLatitudeMinute / 60.0) * (city.m_sNorth ? 1 : -1);
                return QPointF((lon + 180.0) * 225.0 / 360.0, (90.0 - lat) * 120.0 / 180.0);
            };
            const int pinned = RowOf(page.CityList(), RowTexts(page.CityList(), true).value(0));
            ASSERT_GE(pinned, 0);
            QList<QPointF> matches;
            for (int i = 0; *row.query && i < page.CityList()->topLevelItemCount(); ++i)
                matches.append(pixelOf(i));
            for (const QSize size : {sheet->minimumSize(), QSize(1000, 720)}) {
                SCOPED_TRACE(size.width());
                sheet->resize(size);
                const qreal scale = map->width() / 225.0;
                const QPointF pin = pixelOf(pinned) * scale;
                const QImage shown = map->grab().toImage();
                EXPECT_EQ(shown.pixelColor(pin.toPoint()), QColor::fromRgb(CSelectPage::kPinRgb));
                for (const QPointF& match : matches)
                    if (QLineF(match * scale, pin).length() > 20) // clear of the pin
                        EXPECT_EQ(shown.pixelColor((match * scale).toPoint()), QColor::fromRgb(CSelectPage::kMatchRgb));
                SaveScreenshot(sheet, u"pin-%1-%2-%3"_s.arg(row.arabic ? "arabic"_L1 : "english"_L1).arg(size.width())
                                          .arg(QString::fromUtf8(row.query).isEmpty() ? u"select"_s : QString::number(&row - kPins)));
            }
        });
    }
}

TEST(FilePicker, IsReadOnlyAndReadsTheCityByItsIndex)
{
    CTerrafindFile file;
    ASSERT_EQ(file.Init(QString(TERRAFIND_SOURCE_DIR "/data"_L1).utf16()), 1);
    for (const int arabic : {1, 0}) {
        SCOPED_TRACE(arabic);
        CCity chosen;
        chosen.m_dwID = 1;        // city index 1...
        chosen.m_dwCountryID = 1; // ...of country 1
        QString expected;
        std::uint32_t expectedIndex = 0;
        WhenShown<CCityPropSheet>([&](CCityPropSheet* sheet) {
            CSelectPage& page = sheet->m_selectPage;
            TapTab(sheet, 1);
            EXPECT_EQ(sheet->Tabs()->currentIndex(), 0) << "the Add page cannot be reached";
            EXPECT_FALSE(FindControl(&page, kSelectMap)->isEnabled()) << "the map takes no taps";
            ASSERT_EQ(RowTexts(page.CityList(), true).size(), 1);
            expected = page.CityList()->topLevelItem(1)->text(0);
            expectedIndex = page.CityList()->topLevelItem(1)->data(0, Qt::UserRole).toUInt();
            TapRow(page.CityList(), 1);
        });
        ASSERT_EQ(file.Show(&chosen, arabic), 1);
        EXPECT_EQ(file.m_bArabic, arabic) << "each picker sets the file's language";
        // English lists are in file order.
        EXPECT_EQ(std::tuple(chosen.m_dwID, chosen.m_dwCountryID), std::tuple(arabic ? expectedIndex : 2u, 1u));
        EXPECT_EQ(arabic ? chosen.m_strArabicName : chosen.m_strName, expected);
    }
}

// Moving the country highlight without a tap lists that country's cities
// as a tap does, and Done returns the city highlighted, on both back ends.
// Expected cities are the back end's own list for the named country.
enum class Move { None, Down, TypeAhead, Accessible, Home };
struct tagMoveCase {
    const char* what;
    bool file;
    Move move;
    const char* country; // highlighted afterwards
};
const tagMoveCase kMoves[] = {
    {"none: the host's city preselected", false, Move::None, "Egypt"},
    {"arrow down from Egypt", false, Move::Down, "El Salvador"},
    {"type-ahead", false, Move::TypeAhead, "Algeria"},
    {"accessibility action", false, Move::Accessible, "Algeria"},
    {"home: all countries, no city, Done disabled", false, Move::Home, "-- All Countries --"},
    {"arrow down on the city file", true, Move::Down, "Aland Islands"},
    {"type-ahead on the city file", true, Move::TypeAhead, "Algeria"},
    {"accessibility action on the city file", true, Move::Accessible, "Algeria"},
};

void MoveHighlight(QTreeWidget* countries, Move move)
{
    countries->setFocus();
    switch (move) {
    case Move::None: break;
    case Move::Down: QTest::keyClick(countries, Qt::Key_Down); break;
    case Move::Home: QTest::keyClick(countries, Qt::Key_Home); break;
    case Move::TypeAhead: QTest::keyClicks(countries, u"Alg"_s); break;
    case Move::Accessible: {
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(countries);
        ASSERT_TRUE(list && list->tableInterface());
        QAccessibleInterface* cell = list->tableInterface()->cellAt(RowOf(countries, u"Algeria"_s), 0);
        ASSERT_TRUE(cell && cell->actionInterface());
        cell->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        break;
    }
    }
}

TEST_F(Picker, AnyMoveOfTheCountryHighlightListsItsCitiesAndDoneReturnsTheHighlightedOne)
{
    CTerrafindFile file;
    ASSERT_EQ(file.Init(QString(TERRAFIND_SOURCE_DIR "/data"_L1).utf16()), 1);
    for (const tagMoveCase& row : kMoves) {
        SCOPED_TRACE(row.what);
        CTerrafind& places = row.file ? static_cast<CTerrafind&>(file) : m_places;
        CCity city = row.file ? CCity{} : City(u"Cairo"_s);
        if (row.file)
            city.m_dwID = 0, city.m_dwCountryID = 1; // the first country's first city
        QStringList listed, expected;
        QString highlighted, chosen;
        WhenShown<CCityPropSheet>([&](CCityPropSheet* sheet) {
            CSelectPage& page = sheet->m_selectPage;
            MoveHighlight(page.CountryList(), row.move);
            highlighted = RowTexts(page.CountryList(), true).value(0);
            EXPECT_EQ(page.CountryList()->topLevelItem(0)->text(0), u"-- All Countries --"_s);
            listed = RowTexts(page.CityList());
            chosen = RowTexts(page.CityList(), true).value(0);
            QStringList names;
            QList<unsigned int> ids;
            places.GetAllCountries(&names, &ids);
            if (names.contains(QString::fromUtf8(row.country)))
                places.GetCities(ids[names.indexOf(QString::fromUtf8(row.country))], &expected, &ids);
            EXPECT_EQ(sheet->DoneButton()->isEnabled(), !chosen.isEmpty());
            QTest::keyClick(page.CountryList(), Qt::Key_Return); // Done; nothing, when disabled
        });
        const int result = places.Show(&city, 0);
        EXPECT_EQ(highlighted, QString::fromUtf8(row.country));
        EXPECT_EQ(listed, expected);
        EXPECT_EQ(result, chosen.isEmpty() ? 2 : 1);
        if (result == 1)
            EXPECT_EQ(std::tuple(city.m_strName, city.m_strCountryName), std::tuple(chosen, highlighted));
    }
}

// The sheet grows from its template size: the map keeps its aspect ratio,
// centred, and a tap still lands on the map pixel under it; the lists take
// the height below. Pictures of both sizes, both pages, both languages.
TEST_F(Picker, GrowsFromItsTemplateSizeWithTheMapTappedInMapPixels)
{
    std::uint32_t region = 0;
    tagRECT cairo;
    ASSERT_EQ(m_places.GetRegionID(kCairo.X(), kCairo.Y(), &region, &cairo), S_OK);
    for (const int arabic : {0, 1}) {
        QSettings(u"terrafind"_s, u"picker"_s).remove(u"sheet"_s); // the size the last one was left at
        ShowOnCairo(arabic, [&](CCityPropSheet* sheet) {
            const QString language = arabic ? u"arabic"_s : u"english"_s;
            EXPECT_EQ(sheet->minimumSize(), sheet->minimumSizeHint()) << "the template's size is the smallest";
            EXPECT_EQ(sheet->size(), QSize(640, 520).boundedTo(sheet->screen()->availableSize())) << "opens comfortably";
            sheet->resize(sheet->minimumSize());
            SaveScreenshot(sheet, u"sheet-smallest-"_s + language);
            sheet->resize(900, 700);
            for (const int tab : {1, 0}) {
                SCOPED_TRACE(tab);
                TapTab(sheet, tab);
                auto* page = static_cast<CMapPage*>(sheet->Tabs()->currentWidget());
                QWidget* map = FindControl(page, tab ? kAddMap : kSelectMap);
                EXPECT_GT(map->width(), 2 * 225);
                EXPECT_NEAR(map->width() * 120.0 / map->height(), 225.0, 2.0) << "the map's aspect ratio";
                EXPECT_NEAR(map->x() + map->width() / 2, page->width() / 2, 2) << "centred";
                auto* countries = FindControl<QTreeWidget>(page, tab ? Add::kCountryList : Select::kCountryList);
                EXPECT_GT(countries->geometry().bottom(), page->height() - 40) << "the list takes the height left";
                const qreal scale = map->width() / 225.0;
                QTest::mouseClick(map, Qt::LeftButton, {}, QPoint(int((kCairo.X() + 0.5) * scale), int((kCairo.Y() + 0.5) * scale)));
                EXPECT_EQ(RowTexts(countries).mid(0, 1), Countries(kCairo).mid(0, 1)) << "Cairo's region";
                if (tab == 1)
                    EXPECT_EQ(std::tuple(sheet->m_addPage.Highlight().left, sheet->m_addPage.Highlight().top), std::tuple(cairo.left, cairo.top));
                SaveScreenshot(sheet, (tab ? u"addpage-900x700-"_s : u"select-900x700-"_s) + language);
            }
            sheet->reject();
        });
    }
}

// Each list, the map, every button and field has a name for screen
// readers, in words (no shaped display forms), in both languages; the
// names that matter most are those of the labels beside them.
void ExpectEveryControlNamed(QWidget* window)
{
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || !(qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w)
                                         || qobject_cast<QComboBox*>(w) || qobject_cast<QTreeWidget*>(w)))
            continue;
        const QString name = QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
        // Qt on Linux names a combo box by the text it shows.
        EXPECT_TRUE(!name.isEmpty() && (name == UnshapedText(name) || qobject_cast<QComboBox*>(w))) << w->metaObject()->className();
    }
}

TEST_F(Picker, ScreenReadersGetANameForEveryControlInBothLanguages)
{
    for (const int arabic : {0, 1}) {
        SCOPED_TRACE(arabic);
        const auto text = [arabic](const char* english, const char* key) { return arabic ? ArabicLabel(key) : QString::fromUtf8(english); };
        const auto name = [](QObject* o, QAccessible::Text what = QAccessible::Name) { return QAccessible::queryAccessibleInterface(o)->text(what); };
        ShowOnCairo(arabic, [&](CCityPropSheet* sheet) {
            TapTab(sheet, 1);
            EXPECT_EQ(name(sheet), text("Choose a City", "sheet.title"));
            for (const auto& [page, countries, cities, mapID] :
                 {std::tuple{static_cast<CMapPage*>(&sheet->m_selectPage), Select::kCountryList, Select::kCityList, kSelectMap},
                  std::tuple{static_cast<CMapPage*>(&sheet->m_addPage), Add::kCountryList, Add::kCityList, kAddMap}}) {
                EXPECT_EQ(name(FindControl(page, countries)), text("Countries", "select.countries"));
                EXPECT_EQ(name(FindControl(page, cities)), text("Cities", "select.cities"));
                QWidget* map = FindControl(page, mapID);
                EXPECT_EQ(name(map), text("World map", "a11y.map"));
                EXPECT_FALSE(name(map, QAccessible::Description).isEmpty());
            }
            EXPECT_EQ(name(FindControl(&sheet->m_addPage, Add::kCityAdd)), text("Add city", "a11y.addCity"));
            ExpectEveryControlNamed(sheet);
            sheet->reject();
        });
        CCityDlg city;
        CCountryDlg country;
        city.m_bArabic = country.m_bArabic = arabic;
        RunModal<CCityDlg>(city, [&](CCityDlg* f) { ExpectEveryControlNamed(f); });
        RunModal<CCountryDlg>(country, [&](CCountryDlg* f) { ExpectEveryControlNamed(f); });
    }
}

} // namespace
