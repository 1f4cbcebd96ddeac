#include "selectpage.h"

#include "dialogtemplate.h"
#include "labels.h"
#include "pickercolours.h"
#include "resources/controlids.h"

#include <terrafind/terrafinddb.h>
#include <terrafind/terrafindfile.h>
#include <terrafind/terrafindgeo.h>
#include <terrafind/terrafindsearch.h>

#include <QLabel>
#include <QPainter>
#include <QScopedValueRollback>

namespace {

namespace Ids = Controls::Select;

// A found city's row carries its country as well: on the city file a
// city's ID is its index within its country.
constexpr int kCountryRole = Qt::UserRole + 1;
// As many as a list shows at a glance, and a few pages more.
constexpr int kSearchHits = 50;

// A city's position on the map, in map pixels (see CMapPicture::MapPoint).
QPointF MapPointOf(const CCity& city)
{
    const double longitude = (city.m_sLongitudeDegree + city.m_sLongitudeMinute / 60.0) * (city.m_sEast ? 1 : -1);
    const double latitude = (city.m_sLatitudeDegree + city.m_sLatitudeMinute / 60.0) * (city.m_sNorth ? 1 : -1);
    return CMapPicture::MapPoint(longitude, latitude);
}

void SelectAndShow(QTreeWidget* list, QTreeWidgetItem* item)
{
    if (!item)
        return;
    list->scrollToItem(item);
    list->setCurrentItem(item);
    item->setSelected(true);
}

} // namespace

CSelectPage::CSelectPage(QWidget* parent)
    : CMapPage(Ids::kTemplate, parent)
{
}

void CSelectPage::OnInitDialog()
{
    BuildPage();
    m_countriesLabel = FindControl<QLabel>(this, Ids::kCountriesLabel);
    m_citiesLabel = FindControl<QLabel>(this, Ids::kCitiesLabel);
    m_countries = FindControl<QTreeWidget>(this, Ids::kCountryList);
    m_cities = FindControl<QTreeWidget>(this, Ids::kCityList);
    SetUpMap(Ids::kMapPlaceholder);
    if (m_bArabic)
        MirrorForArabic();

    const QString all = m_bArabic ? ArabicDisplayLabel("select.allCountries") : QStringLiteral("-- All Countries --");
    m_countries->addTopLevelItem(MakeItem(all, 0));
    m_countries->topLevelItem(0)->setData(0, Qt::AccessibleTextRole, UnshapedText(all));

    QStringList names;
    QList<unsigned int> ids;
    if (m_backend)
        m_backend->GetAllCountries(&names, &ids);
    QTreeWidgetItem* preselect = m_countries->topLevelItem(0);
    for (qsizetype i = 0; i < ids.size(); ++i) {
        QTreeWidgetItem* item = MakeItem(names.value(i), ids[i]);
        m_countries->addTopLevelItem(item);
        if (ids[i] == m_dwCurrentCountryID)
            preselect = item; // the last match wins
    }
    {
        const QScopedValueRollback quiet(m_quiet, true);
        SelectAndShow(m_countries, preselect);
    }
    OnCountryChosen();

    for (QTreeWidget* list : {m_countries, m_cities})
        PaintInPickerColours(static_cast<CBiDiListCtrl*>(list));
    // Whatever moves the highlight to another country lists its cities, so
    // the city list never belongs to a country other than the one shown.
    WatchChoice(m_countries, [this] { OnCountryChosen(); });
    SetCityList(m_cities);
    connect(this, &CMapPage::CityHighlightChanged, this, &CSelectPage::MarkHighlightedCity);
    connect(m_cities, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (item && m_cities->indexOfTopLevelItem(item) >= 0)
            emit CityChosen();
    });
    ApplyPickerColours(this);
    if (m_bReadOnly)
        m_mapPicture.setEnabled(false);
    NameControls(this, m_bArabic, {{Ids::kCountryList, "Countries", "select.countries"},
                                   {Ids::kCityList, "Cities", "select.cities"},
                                   {CMapPicture::ControlID(Ids::kMapPlaceholder), "World map", "a11y.map"}});
    MarkHighlightedCity();
}

void CSelectPage::MarkHighlightedCity()
{
    if (!m_cities)
        return;
    CCity city;
    tagCityDetails details;
    const QList<QTreeWidgetItem*> selected = m_cities->selectedItems();
    const bool found = !selected.isEmpty() && ReadCity(selected.first(), &city, &details);
    m_marked = found ? std::optional(MapPointOf(city)) : std::nullopt;
    m_mapPicture.update();
    // Without a city the description says what a tap does instead.
    if (found)
        m_mapPicture.setAccessibleDescription(PlainLabel("World map; marked:", "a11y.mapMarked", m_bArabic) + u' '
                                              + PlaceName(city, details, m_bArabic != 0));
    else if (m_bReadOnly)
        m_mapPicture.setAccessibleDescription(
            PlainLabel("The city file cannot be changed: the map takes no taps.", "a11y.mapReadOnly", m_bArabic));
    else
        m_mapPicture.setAccessibleDescription(
            PlainLabel("Tap a region to list its countries at the top of the country list.", "a11y.mapSelect", m_bArabic));
}

bool CSelectPage::ReadCity(const QTreeWidgetItem* row, CCity* city, tagCityDetails* details) const
{
    if (!m_backend)
        return false;
    // A found city's row says its country; otherwise it is the country's
    // in view. On the city file a city's ID is its index within it.
    const QVariant country = row->data(0, kCountryRole);
    const std::uint32_t countryID = country.isValid() ? country.toUInt() : m_dwCurrentCountryID;
    if (auto* file = dynamic_cast<CTerrafindFile*>(m_backend))
        return file->GetCity(ItemID(row), countryID, city) >= 0;
    if (m_backend->GetCity(ItemID(row), city) < 0)
        return false;
    GetCityDetails(*m_backend, city->m_dwID, details); // the name goes without a division where there is none
    return true;
}

void CSelectPage::OnMapPaint(QPainter* painter, const QRect&)
{
    // Markers keep their size in screen pixels whatever the map's scale.
    painter->save();
    const QTransform toScreen = painter->transform();
    painter->resetTransform();
    painter->setRenderHint(QPainter::Antialiasing);
    const auto disc = [painter](const QPointF& centre, qreal radius, const QColor& colour) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(colour);
        painter->drawEllipse(centre, radius, radius);
    };
    // Rings first, then dots, so that no dot hides another close by.
    for (const QColor& colour : {QColor(Qt::white), QColor::fromRgb(kMatchRgb)})
        for (const QPointF& match : m_matches)
            disc(toScreen.map(match), colour == Qt::white ? 3.5 : 2.5, colour);
    if (m_marked) {
        // A pin: its head above the place, its stem down to it, and the
        // place itself a dot of the head's colour.
        const QPointF at = toScreen.map(*m_marked);
        painter->setPen(QPen(QColor(60, 20, 20), 1.5));
        painter->drawLine(at, at - QPointF(0, 8));
        for (const QPointF& centre : {at - QPointF(0, 11), at}) {
            const qreal radius = centre == at ? 3.0 : 4.5;
            disc(centre, radius + 1.0, Qt::white);
            disc(centre, radius, QColor::fromRgb(kPinRgb));
        }
    }
    painter->restore();
}

void CSelectPage::MirrorForArabic()
{
    // Left and right change places; lists read right to left; the labels
    // are the component's own Arabic, shaped.
    const QRect countriesLabel = m_countriesLabel->geometry();
    m_countriesLabel->setGeometry(m_citiesLabel->geometry());
    m_citiesLabel->setGeometry(countriesLabel);
    const QRect countries = m_countries->geometry();
    m_countries->setGeometry(m_cities->geometry());
    m_cities->setGeometry(countries);
    for (QTreeWidget* list : {m_countries, m_cities})
        list->setLayoutDirection(Qt::RightToLeft);
    for (QLabel* label : {m_countriesLabel, m_citiesLabel})
        label->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignTop);
    m_citiesLabel->setText(ArabicDisplayLabel("select.cities"));
    m_countriesLabel->setText(ArabicDisplayLabel("select.countries"));
}

void CSelectPage::OnCountryChosen()
{
    const QList<QTreeWidgetItem*> selected = m_countries->selectedItems();
    if (selected.isEmpty())
        return;
    const std::uint32_t country = ItemID(selected.first());
    if (country != 0)
        m_dwCurrentCountryID = country;
    FillCities(country);
}

void CSelectPage::FillCities(std::uint32_t countryID)
{
    const QScopedValueRollback quiet(m_quiet, true);
    m_cities->clear();
    QStringList names;
    QList<unsigned int> ids;
    if (m_backend)
        m_backend->GetCities(countryID, &names, &ids);
    QTreeWidgetItem* found = nullptr;
    for (qsizetype i = 0; i < ids.size(); ++i) {
        QTreeWidgetItem* item = MakeItem(names.value(i), ids[i]);
        m_cities->addTopLevelItem(item);
        if (ids[i] == m_dwPendingCityID) {
            m_dwPendingCityID = 0xFFFFFFFFu;
            found = item;
        }
    }
    SelectAndShow(m_cities, found ? found : m_cities->topLevelItem(0));
}

void CSelectPage::OnMapClick(unsigned int x, unsigned int y)
{
    if (m_bReadOnly)
        return;
    {
        const QScopedValueRollback quiet(m_quiet, true);
        m_cities->clear();
        ReplaceRegionBlock(m_countries, x, y);
        SelectAndShow(m_countries, m_countries->topLevelItem(0));
    }
    OnCountryChosen();
}

void CSelectPage::RecordChosenCity()
{
    if (!m_cities)
        return;
    const QList<QTreeWidgetItem*> selected = m_cities->selectedItems();
    if (selected.isEmpty())
        return;
    m_dwPendingCityID = ItemID(selected.first());
    if (const QVariant country = selected.first()->data(0, kCountryRole); country.isValid())
        m_dwCurrentCountryID = country.toUInt();
}

void CSelectPage::ShowSearch(const QString& query)
{
    if (!m_cities)
        return;
    if (query.trimmed().isEmpty()) {
        // Blanks alone leave the country's list as it is.
        if (!m_searching)
            return;
        m_searching = false;
        m_matches.clear();
        OnCountryChosen();
        for (int i = 0; i < m_cities->topLevelItemCount(); ++i)
            if (ItemID(m_cities->topLevelItem(i)) == m_cityBeforeSearch)
                SelectAndShow(m_cities, m_cities->topLevelItem(i));
        return;
    }
    if (!m_searching) {
        m_searching = true;
        m_cityBeforeSearch = 0xFFFFFFFFu;
        HighlightedCity(&m_cityBeforeSearch);
    }
    QList<tagCityHit> hits;
    if (m_backend)
        SearchCities(*m_backend, query, kSearchHits, &hits);
    const QScopedValueRollback quiet(m_quiet, true);
    m_matches.clear();
    for (const tagCityHit& hit : hits)
        m_matches.append(MapPointOf(hit.city));
    m_cities->clear();
    for (const tagCityHit& hit : hits) {
        const CCity& city = hit.city;
        QTreeWidgetItem* item = MakeItem(PlaceName(city, hit.details, m_bArabic != 0), city.m_dwID);
        item->setData(0, kCountryRole, city.m_dwCountryID);
        m_cities->addTopLevelItem(item);
    }
    SelectAndShow(m_cities, m_cities->topLevelItem(0));
}
