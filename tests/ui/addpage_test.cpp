// The Add page as a user drives it: map taps, list taps, the four buttons
// and the forms they open, writing through the back end into a copy of the
// shipped place database. Expected lists come from the back end's own
// queries; the forms are answered from inside their modal loops.
#include "pickerdriver.h"

#include "../gps/recordingmessages.h"

#include "ui/pickercolours.h"

namespace {

namespace City = Controls::City;
namespace Country = Controls::Country;
using Controls::Add::kCountryAdd, Controls::Add::kCountryEdit, Controls::Add::kCityAdd, Controls::Add::kCityEdit;
constexpr int kMap = CMapPicture::ControlID(Controls::Add::kMapPlaceholder);

// Taps the map, then the rows of the country and city with those names.
void Choose(CAddPage& page, tagPlace place, const QString& country = {}, const QString& city = {})
{
    QWidget* map = FindControl(&page, kMap);
    const qreal scale = map->width() / 225.0; // whatever size the sheet has
    QTest::mouseClick(map, Qt::LeftButton, {}, QPoint(int((place.X() + 0.5) * scale), int((place.Y() + 0.5) * scale)));
    if (!country.isEmpty())
        TapRow(page.CountryList(), RowOf(page.CountryList(), country));
    if (!city.isEmpty())
        TapRow(page.CityList(), RowOf(page.CityList(), city));
}

// Enabled buttons (country Add and Edit, city Add and Edit) and selected
// rows (countries, cities), as "1110 10".
QString State(const CAddPage& page)
{
    QString state;
    for (int id : {kCountryAdd, kCountryEdit, kCityAdd, kCityEdit})
        state += FindControl(&page, id)->isEnabled() ? u'1' : u'0';
    return state + u' ' + QString::number(RowTexts(page.CountryList(), true).size()) + QString::number(RowTexts(page.CityList(), true).size());
}

// Clicks one of the four buttons with step answering the form it opens.
template <typename Form>
void Click(CAddPage& page, int button, std::function<void(Form*)> step)
{
    WhenShown<Form>(std::move(step));
    FindControl<QPushButton>(&page, button)->click();
}

// A record's position and zone, as "W 31 15 S 12 30 35" (gmt in tenths).
QString Position(const CCity& c)
{
    return QString::asprintf("%c %d %d %c %d %d %d", c.m_sEast ? 'E' : 'W', c.m_sLongitudeDegree, c.m_sLongitudeMinute,
                             c.m_sNorth ? 'N' : 'S', c.m_sLatitudeDegree, c.m_sLatitudeMinute, c.m_sGmt);
}

class AddPage : public PlaceCopy {
protected:
    // Opens the picker on Cairo at the Add tab, at its smallest size (the
    // map 1:1), with step on the page.
    void OnAddPage(int arabic, const std::function<void(CCityPropSheet*, CAddPage&)>& step)
    {
        ShowOnCairo(arabic, [&](CCityPropSheet* sheet) {
            sheet->resize(sheet->minimumSize());
            TapTab(sheet, 1);
            EXPECT_EQ(sheet->Tabs()->currentIndex(), 1);
            step(sheet, sheet->m_addPage);
        });
    }
};

TEST_F(AddPage, ButtonsFollowEachTap)
{
    const QStringList capeVerdeCities = Cities(u"Cape Verde"_s);
    OnAddPage(0, [&](CCityPropSheet* sheet, CAddPage& page) {
        QTreeWidget* countries = page.CountryList();
        QTreeWidget* cities = page.CityList();
        const auto tapBelowRows = [](QTreeWidget* list) {
            const QPoint below(5, list->viewport()->height() - 3);
            ASSERT_EQ(list->itemAt(below), nullptr);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, below);
        };
        EXPECT_EQ(sheet->Tabs()->tabText(1), u"Add"_s);
        EXPECT_EQ(State(page), u"0000 00"_s) << "before any tap";
        Choose(page, kCapeVerde);
        EXPECT_EQ(State(page), u"1000 00"_s) << "map tap";
        EXPECT_EQ(RowTexts(countries), QStringList{u"Cape Verde"_s});
        const tagRECT hit = page.Highlight();
        TapRow(countries, 0);
        EXPECT_EQ(State(page), u"1110 10"_s) << "country tapped";
        EXPECT_EQ(RowTexts(cities), capeVerdeCities);
        TapRow(cities, 0);
        EXPECT_EQ(State(page), u"1111 11"_s) << "city tapped";
        QTest::mouseClick(cities->viewport(), Qt::LeftButton, Qt::ControlModifier, cities->visualItemRect(cities->topLevelItem(0)).center());
        EXPECT_EQ(State(page), u"1110 10"_s) << "city deselected";
        tapBelowRows(countries);
        EXPECT_EQ(State(page), u"1000 00"_s) << "tap below the countries";
        EXPECT_EQ(cities->topLevelItemCount(), 0);
        // Outside every region: the lists empty, and with no region to add
        // to, the highlight goes and Add with it.
        TapRow(countries, 0);
        EXPECT_NE(hit.right, 0);
        page.OnMapClick(226, 10); // right of the 225-pixel map
        EXPECT_EQ(State(page), u"0000 00"_s) << "tap outside every region";
        EXPECT_EQ(countries->topLevelItemCount() + cities->topLevelItemCount(), 0);
        EXPECT_EQ(page.Highlight().right, 0);
        tapBelowRows(countries);
        EXPECT_EQ(State(page), u"0000 00"_s) << "still nothing to add to";
    });
}

// The keyboard moves the Add page's highlights as taps do; Done waits for
// a city highlighted here and returns it, not the Select page's choice.
TEST_F(AddPage, KeyboardChoicesAndDoneFollowTheVisiblePage)
{
    const QStringList region = Countries(kCairo), capeVerdeCities = Cities(u"Cape Verde"_s);
    ASSERT_TRUE(region.size() >= 2 && capeVerdeCities.size() >= 2);
    CCity city = City(u"Cairo"_s);
    WhenShown<CCityPropSheet>([&](CCityPropSheet* sheet) {
        TapTab(sheet, 1);
        CAddPage& page = sheet->m_addPage;
        EXPECT_FALSE(sheet->DoneButton()->isEnabled()) << "Cairo is highlighted on the other page only";
        Choose(page, kCairo, region[0]);
        QTest::keyClick(page.CountryList(), Qt::Key_Down);
        EXPECT_EQ(std::tuple(RowTexts(page.CountryList(), true), RowTexts(page.CityList()), State(page)),
                  std::tuple(QStringList{region[1]}, Cities(region[1]), u"1110 10"_s));
        Choose(page, kCapeVerde, u"Cape Verde"_s);
        QTest::keyClick(page.CityList(), Qt::Key_Down); // to the first city
        QTest::keyClick(page.CityList(), Qt::Key_Down);
        EXPECT_EQ(State(page), u"1111 11"_s);
        sheet->DoneButton()->click();
    });
    EXPECT_EQ(m_places.Show(&city, 0), 1);
    EXPECT_EQ(std::tuple(city.m_strName, city.m_strCountryName), std::tuple(capeVerdeCities[1], u"Cape Verde"_s));
}

TEST_F(AddPage, AddsACountryToTheHighlightedRegionAndEditsItsEnglishName)
{
    const QString name = u"Pharaoh's Land"_s, renamed = u"Egypt's Republic"_s;
    const QStringList karachiRegion = Countries(kKarachi);
    std::uint32_t region = 0;
    OnAddPage(0, [&](CCityPropSheet*, CAddPage& page) {
        QTreeWidget* countries = page.CountryList();
        Choose(page, kCairo);
        const QStringList before = RowTexts(countries);
        ASSERT_GE(m_places.GetRegionID(unsigned(page.Highlight().left), unsigned(page.Highlight().top), &region, nullptr), 0);
        Click<CCountryDlg>(page, kCountryAdd, [&](CCountryDlg* form) {
            form->NameEdit()->setText(name);
            form->MethodCombo()->setCurrentIndex(form->MethodCombo()->findText(u"Muslim World League"_s));
            Press(form, Country::kOKButton);
        });
        EXPECT_EQ(RowTexts(countries), before + QStringList{name}) << "appended below the region's block";
        Choose(page, kKarachi);
        EXPECT_EQ(RowTexts(countries), karachiRegion) << "the next tap takes it away with the block";

        Choose(page, kCairo, u"Egypt"_s);
        EXPECT_TRUE(RowTexts(countries).contains(name)) << "it now belongs to the region";
        Click<CCountryDlg>(page, kCountryEdit, [&](CCountryDlg* form) {
            EXPECT_EQ(form->NameEdit()->text(), u"Egypt"_s);
            EXPECT_EQ(form->MethodCombo()->currentText(), u"Egyptian General Authority of Survey"_s);
            form->NameEdit()->setText(renamed);
            form->MethodCombo()->setCurrentIndex(form->MethodCombo()->findText(u"Umm Al-Qura University"_s));
            Press(form, Country::kOKButton);
        });
        EXPECT_EQ(RowTexts(countries, true), QStringList{renamed});
    });
    // The form's one name as both names when adding; the methods' codes
    // (Muslim World League 2, Umm Al-Qura 3).
    for (const auto& [english, record] : {std::pair{name, QStringList{name, name, u"2"_s}},
                                          std::pair{renamed, QStringList{renamed, u"مصر"_s, u"3"_s}}}) {
        QString storedEnglish, storedArabic;
        short method = -1;
        ASSERT_EQ(m_places.GetCountry(ID("Country", english), storedEnglish, storedArabic, &method), S_OK);
        EXPECT_EQ((QStringList{storedEnglish, storedArabic, QString::number(method)}), record);
    }
    const auto link = u"SELECT * FROM Region2County WHERE RegionID = %1 AND CountyID = %2"_s.arg(region).arg(ID("Country", name));
    EXPECT_EQ(m_places.GetRecordsetCount(link), 1);
}

// Added west and south, then edited: the form shows the record's
// magnitudes with their hemispheres and writes back the one it is given.
TEST_F(AddPage, AddsACityAndEditsItsHemisphere)
{
    OnAddPage(0, [&](CCityPropSheet* sheet, CAddPage& page) {
        Choose(page, kCairo, u"Egypt"_s);
        const QStringList before = RowTexts(page.CityList());
        Click<CCityDlg>(page, kCityAdd, [](CCityDlg* form) {
            form->Edit(City::kNameEdit)->setText(u"Ra's Town"_s);
            TypeCity(form, u"3.5,31,15,12,30,W,S"_s);
            Press(form, City::kOKButton);
        });
        EXPECT_EQ(RowTexts(page.CityList()), before + QStringList{u"Ra's Town"_s});
        SaveScreenshot(sheet, u"addpage-english"_s);
        TapRow(page.CityList(), RowOf(page.CityList(), u"Ra's Town"_s));
        Click<CCityDlg>(page, kCityEdit, [&](CCityDlg* form) {
            EXPECT_EQ(form->Edit(City::kNameEdit)->text(), u"Ra's Town"_s);
            EXPECT_EQ(ShownCity(form), u"3.5,31,15,12,30,W,S"_s);
            form->Radio(City::kEast)->setChecked(true);
            Press(form, City::kOKButton);
        });
    });
    const CCity city = City(u"Ra's Town"_s);
    EXPECT_EQ(city.m_strArabicName, u"Ra's Town"_s) << "the one name is both names";
    EXPECT_EQ(city.m_dwCountryID, ID("Country", u"Egypt"_s));
    EXPECT_EQ(Position(city), u"E 31 15 S 12 30 35"_s);
}

TEST_F(AddPage, ArabicMirrorsThePageAndEditsOnlyTheArabicName)
{
    const CCity cairo = City(u"Cairo"_s);
    const QString newName = u"القاهرة الكبرى"_s;
    OnAddPage(1, [&](CCityPropSheet* sheet, CAddPage& page) {
        EXPECT_EQ(sheet->Tabs()->tabText(1), Shaped("add.tab"));
        EXPECT_EQ(page.CountryList()->layoutDirection(), Qt::RightToLeft);
        ExpectShaped(&page, {{Controls::Add::kCountriesGroup, "select.countries"}, {Controls::Add::kCitiesGroup, "select.cities"},
                             {kCountryAdd, "add.add"}, {kCityEdit, "add.edit"}});
        // Countries at the right; Add at the outer edge, Edit beside it, in each group.
        const auto x = [&](int id) { return FindControl(&page, id)->x(); };
        EXPECT_GT(page.CountryList()->x(), page.CityList()->x());
        EXPECT_GT(x(Controls::Add::kCountriesGroup), x(Controls::Add::kCitiesGroup));
        EXPECT_GT(x(kCountryAdd), x(kCountryEdit));
        EXPECT_GT(x(kCountryEdit), x(kCityAdd));
        EXPECT_GT(x(kCityAdd), x(kCityEdit));

        Choose(page, kCairo, u"مصر"_s, u"القاهرة"_s);
        SaveScreenshot(sheet, u"addpage-arabic"_s);
        Click<CCityDlg>(page, kCityEdit, [&](CCityDlg* form) {
            EXPECT_EQ(form->Edit(City::kNameEdit)->text(), u"القاهرة"_s);
            form->Edit(City::kNameEdit)->setText(newName);
            Press(form, City::kOKButton);
        });
        EXPECT_EQ(RowTexts(page.CityList(), true), QStringList{newName});
    });
    const CCity after = City(u"Cairo"_s); // found by its English name, which stays
    EXPECT_EQ(after.m_strArabicName, newName);
    EXPECT_EQ(Position(after), Position(cairo));
}

TEST_F(AddPage, CancelledNamelessOrRefusedEditsChangeNothing)
{
    const QString digest = FileDigest(m_file);
    OnAddPage(0, [&](CCityPropSheet*, CAddPage& page) {
        Choose(page, kCapeVerde, u"Cape Verde"_s, u"Praia"_s);
        const QStringList countries = RowTexts(page.CountryList()), cities = RowTexts(page.CityList());
        const auto answer = [&](int button, const QString& name, bool ok) {
            if (button == kCountryAdd || button == kCountryEdit)
                return Click<CCountryDlg>(page, button, [=](CCountryDlg* form) {
                    form->NameEdit()->setText(name);
                    Press(form, ok ? Country::kOKButton : Country::kCancelButton);
                });
            Click<CCityDlg>(page, button, [=](CCityDlg* form) {
                form->Edit(City::kNameEdit)->setText(name);
                form->Edit(City::kTimeZoneEdit)->setText(u"9"_s);
                Press(form, ok ? City::kOKButton : City::kCancelButton);
            });
        };
        for (int button : {kCountryAdd, kCountryEdit, kCityAdd, kCityEdit})
            answer(button, u"Elsewhere"_s, false);
        EXPECT_EQ(FileDigest(m_file), digest);
        // A modify the database refuses leaves the row as it was.
        const auto refuse = u"CREATE TRIGGER refuse BEFORE INSERT ON City BEGIN SELECT RAISE(ABORT, 'refused'); END"_s;
        ASSERT_EQ(m_places.ExecuteStatement(refuse), S_OK);
        answer(kCityEdit, u"Praia Nova"_s, true);
        EXPECT_EQ(std::tuple(RowTexts(page.CountryList()), RowTexts(page.CityList())), std::tuple(countries, cities));
        EXPECT_EQ(RowTexts(page.CityList(), true), QStringList{u"Praia"_s});
    });
}

TEST_F(AddPage, MapShowsTheRegionGridAndAClearHighlight)
{
    OnAddPage(0, [&](CCityPropSheet*, CAddPage& page) {
        const QImage before = FindControl(&page, kMap)->grab().toImage();
        std::uint32_t id = 0;
        tagRECT karachi;
        ASSERT_EQ(m_places.GetRegionID(kKarachi.X(), kKarachi.Y(), &id, &karachi), S_OK);
        // A region's right edge is drawn in the list text colour.
        EXPECT_EQ(before.pixel(karachi.right, (karachi.top + karachi.bottom) / 2) & 0xFFFFFF, PickerColours::kText);
        Choose(page, kCairo);
        const tagRECT hit = page.Highlight();
        const QImage after = FindControl(&page, kMap)->grab().toImage();
        // Framed in red just outside, tinted inside; far from it nothing changes.
        const int middle = (hit.top + hit.bottom) / 2;
        EXPECT_EQ(after.pixel(hit.left - 1, middle) & 0xFFFFFF, CAddPage::kHighlightRgb);
        EXPECT_NE(after.pixel(hit.left + 1, middle), before.pixel(hit.left + 1, middle));
        EXPECT_EQ(after.pixel(karachi.right, karachi.bottom - 1), before.pixel(karachi.right, karachi.bottom - 1));
    });
}

// What the database refuses is said, in the picker's language, with the
// form kept open and what was typed kept; a nameless city is refused like
// a nameless country.
TEST_F(AddPage, DuplicatesAndANamelessCityAreRefusedWithTheFormKeptOpen)
{
    const QString digest = FileDigest(m_file);
    CRecordingMessages messages;
    struct tagRefusal { int button; QString name; const char* english; const char* key; };
    const tagRefusal refusals[] = {
        {kCountryAdd, u"Cape Verde"_s, "The country %1 already belongs to this region.", "message.countryExists"},
        {kCityAdd, u"Praia"_s, "The city %1 already belongs to this country.", "message.cityExists"},
        {kCityAdd, QString(), nullptr, nullptr}, // a beep only
    };
    for (const int arabic : {0, 1}) {
        OnAddPage(arabic, [&](CCityPropSheet*, CAddPage& page) {
            Choose(page, kCapeVerde);
            TapRow(page.CountryList(), 0); // the region's one country
            for (const tagRefusal& row : refusals) {
                SCOPED_TRACE(row.name.toStdString() + (arabic ? " arabic" : ""));
                messages.shown.clear();
                const int beeps = messages.beeps;
                bool open = false;
                QString kept;
                const auto answer = [&](QDialog* form, QLineEdit* name) {
                    name->setText(row.name);
                    Press(form, City::kOKButton); // the country form's too
                    open = form->isVisible();
                    kept = name->text();
                };
                if (row.button == kCountryAdd)
                    Click<CCountryDlg>(page, row.button, [&](CCountryDlg* f) { answer(f, f->NameEdit()); });
                else
                    Click<CCityDlg>(page, row.button, [&](CCityDlg* f) { answer(f, f->Edit(City::kNameEdit)); });
                EXPECT_TRUE(open);
                EXPECT_EQ(kept, row.name);
                EXPECT_EQ(messages.beeps, beeps + 1);
                ASSERT_EQ(messages.shown.size(), row.key ? 1 : 0);
                // The name isolated from the message's own direction.
                if (row.key)
                    EXPECT_EQ(messages.shown[0].text, DisplayLabel(row.english, row.key, arabic).arg(u"\u2068"_s + row.name + u"\u2069"_s));
            }
        });
    }
    EXPECT_EQ(FileDigest(m_file), digest);
}

} // namespace
