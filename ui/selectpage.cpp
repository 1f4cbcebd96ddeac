#include "selectpage.h"

#include "dialogtemplate.h"
#include "labels.h"
#include "pickercolours.h"
#include "resources/controlids.h"

#include <terrafind/terrafindgeo.h>
#include <terrafind/terrafindsearch.h>

#include <QLabel>
#include <QScopedValueRollback>

namespace {

namespace Ids = Controls::Select;

// A found city's row carries its country as well: on the city file a
// city's ID is its index within its country.
constexpr int kCountryRole = Qt::UserRole + 1;
// As many as a list shows at a glance, and a few pages more.
constexpr int kSearchHits = 50;

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
    m_mapPicture.setAccessibleDescription(
        m_bReadOnly ? PlainLabel("The city file cannot be changed: the map takes no taps.", "a11y.mapReadOnly", m_bArabic)
                    : PlainLabel("Tap a region to list its countries at the top of the country list.", "a11y.mapSelect",
                                 m_bArabic));
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
        OnCountryChosen();
        return;
    }
    QList<tagCityHit> hits;
    if (m_backend)
        SearchCities(*m_backend, query, kSearchHits, &hits);
    const QScopedValueRollback quiet(m_quiet, true);
    m_cities->clear();
    for (const tagCityHit& hit : hits) {
        const CCity& city = hit.city;
        QTreeWidgetItem* item = MakeItem(PlaceName(city, hit.details, m_bArabic != 0), city.m_dwID);
        item->setData(0, kCountryRole, city.m_dwCountryID);
        m_cities->addTopLevelItem(item);
    }
    SelectAndShow(m_cities, m_cities->topLevelItem(0));
}
