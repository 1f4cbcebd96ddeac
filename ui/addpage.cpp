#include "addpage.h"

#include "citydlg.h"
#include "common/hemisphere.h"
#include "common/usermessages.h"
#include "countrydlg.h"
#include "dialogtemplate.h"
#include "labels.h"
#include "pickercolours.h"
#include "resources/controlids.h"

#include <QGroupBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTreeWidget>

namespace {

namespace Ids = Controls::Add;

// The selected row of a single-selection list, or null.
QTreeWidgetItem* Selected(const QTreeWidget* list)
{
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

// Inclusive map-pixel rectangle of a region as Qt counts it.
QRect ToQRect(const tagRECT& r)
{
    return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom));
}

// Only the right and bottom edges of each region: the left and top come
// from its neighbours, so the regions show as a grid. One screen pixel
// wide at any size of the map.
void DrawRegionEdges(HDC dc, unsigned int left, unsigned int top, unsigned int right, unsigned int bottom)
{
    const int l = int(left), t = int(top), r = int(right), b = int(bottom);
    dc->save();
    QPen pen(QColor::fromRgb(PickerColours::kText), 1);
    pen.setCosmetic(true);
    dc->setPen(pen);
    dc->drawLine(r, t, r, b);
    dc->drawLine(r, b, l, b);
    dc->restore();
}

// The highlighted region: tinted, and framed just outside it by a line
// that stands out on land and sea alike. Nothing while no region is hit.
void DrawHighlight(QPainter* dc, const tagRECT& region)
{
    if (region.left == region.right || region.top == region.bottom)
        return;
    dc->save();
    const QRectF inside(QPointF(region.left, region.top), QPointF(region.right + 1, region.bottom + 1));
    dc->fillRect(inside, QColor(255, 196, 0, 110));
    QPen frame(QColor::fromRgb(CAddPage::kHighlightRgb), 2);
    frame.setCosmetic(true);
    frame.setJoinStyle(Qt::MiterJoin);
    dc->setPen(frame);
    dc->setBrush(Qt::NoBrush);
    const qreal outside = 1.0 / dc->transform().m11(); // one screen pixel out
    dc->drawRect(inside.adjusted(-outside, -outside, outside, outside));
    dc->restore();
}

// Tells the user why form stays open: false, for the form's check.
bool Refuse(QWidget* form, const QString& message)
{
    CUserMessages::Current().StopBeep();
    CUserMessages::Current().Show(form, CUserMessages::Warning, QString(), message);
    return false;
}

} // namespace

CAddPage::CAddPage(QWidget* parent) : CMapPage(Ids::kTemplate, parent)
{
}

void CAddPage::OnInitDialog()
{
    BuildPage();
    m_countries = FindControl<QTreeWidget>(this, Ids::kCountryList);
    m_cities = FindControl<QTreeWidget>(this, Ids::kCityList);
    m_countriesGroup = FindControl<QGroupBox>(this, Ids::kCountriesGroup);
    m_citiesGroup = FindControl<QGroupBox>(this, Ids::kCitiesGroup);
    m_countryEdit = FindControl<QPushButton>(this, Ids::kCountryEdit);
    m_cityEdit = FindControl<QPushButton>(this, Ids::kCityEdit);
    m_countryAdd = FindControl<QPushButton>(this, Ids::kCountryAdd);
    m_cityAdd = FindControl<QPushButton>(this, Ids::kCityAdd);
    SetUpMap(Ids::kMapPlaceholder);
    if (m_bArabic)
        MirrorForArabic();

    for (QTreeWidget* list : {m_cities, m_countries}) {
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->headerItem()->setTextAlignment(0, m_bArabic ? Qt::AlignRight : Qt::AlignLeft);
        list->viewport()->installEventFilter(this);
        PaintInPickerColours(static_cast<CBiDiListCtrl*>(list));
    }
    // After the page's own filter, so that the watchers see a tap first.
    WatchChoice(m_countries, [this] { OnCountryTapped(); });
    WatchChoice(m_cities, [this] { OnCityTapped(); });
    SetCityList(m_cities);
    connect(m_countryAdd, &QPushButton::clicked, this, &CAddPage::OnAddCountry);
    connect(m_countryEdit, &QPushButton::clicked, this, &CAddPage::OnEditCountry);
    connect(m_cityAdd, &QPushButton::clicked, this, &CAddPage::OnAddCity);
    connect(m_cityEdit, &QPushButton::clicked, this, &CAddPage::OnEditCity);
    ApplyPickerColours(this);
    // The buttons' own texts say Add and Edit twice: the names say of what.
    NameControls(this, m_bArabic, {{Ids::kCountryList, "Countries", "select.countries"},
                                   {Ids::kCityList, "Cities", "select.cities"},
                                   {CMapPicture::ControlID(Ids::kMapPlaceholder), "World map", "a11y.map"},
                                   {Ids::kCountryAdd, "Add country", "a11y.addCountry"},
                                   {Ids::kCountryEdit, "Edit country", "a11y.editCountry"},
                                   {Ids::kCityAdd, "Add city", "a11y.addCity"},
                                   {Ids::kCityEdit, "Edit city", "a11y.editCity"}});
    m_mapPicture.setAccessibleDescription(
        PlainLabel("Tap a region to add or edit its countries and their cities.", "a11y.mapAdd", m_bArabic));
}

void CAddPage::MirrorForArabic()
{
    const auto swap = [](QWidget* a, QWidget* b) {
        const QRect rect = a->geometry();
        a->setGeometry(b->geometry());
        b->setGeometry(rect);
    };
    swap(m_countriesGroup, m_citiesGroup);
    swap(m_countries, m_cities);
    for (QTreeWidget* list : {m_countries, m_cities})
        list->setLayoutDirection(Qt::RightToLeft);
    // Titles at the leading edge of right-to-left boxes, which is their
    // right, whatever direction the sheet around them has.
    for (QGroupBox* group : {m_countriesGroup, m_citiesGroup}) {
        group->setLayoutDirection(Qt::RightToLeft);
        group->setAlignment(Qt::AlignLeading);
    }
    m_citiesGroup->setTitle(ArabicDisplayLabel("select.cities"));
    m_countriesGroup->setTitle(ArabicDisplayLabel("select.countries"));

    // Each button goes to its mirror image: the Adds to the outer edges,
    // the Edits beside them.
    const QRect countryAdd = m_countryAdd->geometry(), countryEdit = m_countryEdit->geometry();
    const QRect cityAdd = m_cityAdd->geometry(), cityEdit = m_cityEdit->geometry();
    m_countryAdd->setGeometry(cityEdit);
    m_cityAdd->setGeometry(countryEdit);
    m_countryEdit->setGeometry(cityAdd);
    m_cityEdit->setGeometry(countryAdd);
    const QString add = ArabicDisplayLabel("add.add");
    m_countryAdd->setText(add);
    m_cityAdd->setText(add);
    const QString edit = ArabicDisplayLabel("add.edit");
    m_countryEdit->setText(edit);
    m_cityEdit->setText(edit);
}

bool CAddPage::eventFilter(QObject* watched, QEvent* event)
{
    QTreeWidget* list = watched == m_countries->viewport() ? m_countries
                      : watched == m_cities->viewport()    ? m_cities
                                                            : nullptr;
    if (!list || event->type() != QEvent::MouseButtonPress)
        return CMapPage::eventFilter(watched, event);
    // A tap below the last row takes the selection away, as on a list view.
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (!list->itemAt(mouse->position().toPoint()))
        list->clearSelection();
    return false;
}

void CAddPage::EnableButtons(bool countryAdd, bool countryEdit, bool cityAdd, bool cityEdit)
{
    m_countryAdd->setEnabled(countryAdd);
    m_countryEdit->setEnabled(countryEdit);
    m_cityAdd->setEnabled(cityAdd);
    m_cityEdit->setEnabled(cityEdit);
}

bool CAddPage::HighlightIsEmpty() const
{
    return m_highlight.left == m_highlight.right || m_highlight.top == m_highlight.bottom;
}

void CAddPage::OnMapClick(unsigned int x, unsigned int y)
{
    if (!m_countries)
        return;
    // A miss leaves the highlight where it was; the repaint covers both
    // frames, which lie a pixel outside their regions.
    // A miss clears the highlight: there is no region to add a country to.
    const tagRECT old = m_highlight;
    std::uint32_t region = 0;
    if (!m_backend || m_backend->GetRegionID(x, y, &region, &m_highlight) < 0)
        m_highlight = tagRECT{};
    m_mapPicture.UpdateMapRect(ToQRect(old).united(ToQRect(m_highlight)).adjusted(-2, -2, 2, 2));

    {
        const QScopedValueRollback quiet(m_quiet, true);
        m_cities->clear();
        ReplaceRegionBlock(m_countries, x, y);
    }
    if (QTreeWidgetItem* first = m_countries->topLevelItem(0))
        m_countries->scrollToItem(first);
    EnableButtons(!HighlightIsEmpty(), false, false, false);
}

void CAddPage::OnMapPaint(QPainter* painter, const QRect&)
{
    if (m_backend)
        m_backend->EnumRegions(painter, DrawRegionEdges);
    DrawHighlight(painter, m_highlight);
}

void CAddPage::OnCountryTapped()
{
    const QScopedValueRollback quiet(m_quiet, true);
    m_cities->clear();
    const QTreeWidgetItem* country = Selected(m_countries);
    if (!country) {
        EnableButtons(!HighlightIsEmpty(), false, false, false);
        return;
    }
    QStringList names;
    QList<unsigned int> ids;
    if (m_backend)
        m_backend->GetCities(ItemID(country), &names, &ids);
    AppendItems(m_cities, names, ids);
    EnableButtons(true, true, true, false);
}

void CAddPage::OnCityTapped()
{
    if (Selected(m_cities))
        EnableButtons(true, true, true, true);
    else if (Selected(m_countries))
        EnableButtons(true, true, true, false);
}

void CAddPage::OnAddCountry()
{
    CCountryDlg form(nullptr);
    form.m_bArabic = m_bArabic;
    form.m_strName.clear();
    std::uint32_t id = 0;
    bool added = false;
    // Added while the form is open, so that a name the region already has
    // is said at once and the form stays as the user left it.
    form.m_accept = [&] {
        if (form.m_strName.isEmpty() || HighlightIsEmpty() || !m_backend)
            return true;
        // The region is found again by the highlight's top-left corner,
        // which a neighbour sharing that corner may claim first.
        std::uint32_t region = 0;
        if (m_backend->GetRegionID(unsigned(m_highlight.left), unsigned(m_highlight.top), &region, nullptr) < 0)
            return true;
        const HRESULT status = m_backend->AddCountry(form.m_strName, form.m_strName, &id, region, form.m_sMethod);
        if (status == E_INVALIDARG)
            return Refuse(&form, DisplayMessage("The country %1 already belongs to this region.", "message.countryExists",
                                                m_bArabic, form.m_strName));
        added = status >= 0;
        return true;
    };
    if (form.DoModal() == CCountryDlg::kCancel || !added)
        return;
    m_countries->addTopLevelItem(MakeItem(form.m_strName, id));
    ++m_regionCount; // goes with the region's block at the next map tap
}

void CAddPage::OnEditCountry()
{
    QTreeWidgetItem* country = Selected(m_countries);
    if (!country || !m_backend)
        return;
    const std::uint32_t id = ItemID(country);
    QString name, arabicName;
    short method = 0;
    if (m_backend->GetCountry(id, name, arabicName, &method) < 0)
        return;
    CCountryDlg form(nullptr);
    form.m_bArabic = m_bArabic;
    form.m_strName = m_bArabic ? arabicName : name;
    form.m_sMethod = method;
    if (form.DoModal() == CCountryDlg::kCancel || form.m_strName.isEmpty())
        return;
    // Only the name of the picker's language changes.
    if (m_bArabic)
        arabicName = form.m_strName;
    else
        name = form.m_strName;
    if (m_backend->ModifyCountry(id, name, arabicName, form.m_sMethod) >= 0)
        country->setText(0, form.m_strName);
}

void CAddPage::OnAddCity()
{
    const QTreeWidgetItem* country = Selected(m_countries);
    if (!country || !m_backend)
        return;
    CCityDlg form(nullptr);
    form.m_bArabic = m_bArabic;
    form.m_places = m_backend;
    std::uint32_t id = 0;
    bool added = false;
    form.m_accept = [&] {
        const HRESULT status = m_backend->AddCity(ItemID(country), form.m_strName, form.m_strName, form.m_sLonDegree,
                                                  form.m_sLonMinute, form.m_sLatDegree, form.m_sLatMinute,
                                                  form.m_dTimeZone, &id);
        if (status == E_INVALIDARG)
            return Refuse(&form, DisplayMessage("The city %1 already belongs to this country.", "message.cityExists",
                                                m_bArabic, form.m_strName));
        added = status >= 0;
        return true;
    };
    if (form.DoModal() == CCityDlg::kCancel || !added)
        return;
    m_cities->addTopLevelItem(MakeItem(form.m_strName, id));
}

void CAddPage::OnEditCity()
{
    const QTreeWidgetItem* country = Selected(m_countries);
    QTreeWidgetItem* city = Selected(m_cities);
    if (!country || !city || !m_backend)
        return;
    const std::uint32_t cityID = ItemID(city);
    CCity record;
    if (m_backend->GetCity(cityID, &record) < 0)
        return;

    // The record holds magnitudes with hemisphere flags and tenths of an
    // hour; the form takes signed angles and hours.
    CCityDlg form(nullptr);
    form.m_bArabic = m_bArabic;
    form.m_places = m_backend;
    form.m_strName = m_bArabic ? record.m_strArabicName : record.m_strName;
    JoinAngle(record.m_sLongitudeDegree, record.m_sLongitudeMinute, record.m_sEast, &form.m_sLonDegree, &form.m_sLonMinute);
    JoinAngle(record.m_sLatitudeDegree, record.m_sLatitudeMinute, record.m_sNorth, &form.m_sLatDegree, &form.m_sLatMinute);
    form.m_dTimeZone = record.m_sGmt * 0.1;
    if (form.DoModal() == CCityDlg::kCancel || form.m_strName.isEmpty())
        return;

    const QString name = m_bArabic ? record.m_strName : form.m_strName;
    const QString arabicName = m_bArabic ? form.m_strName : record.m_strArabicName;
    if (m_backend->ModifyCity(ItemID(country), cityID, name, arabicName, form.m_sLonDegree, form.m_sLonMinute,
                              form.m_sLatDegree, form.m_sLatMinute, form.m_dTimeZone)
        >= 0)
        city->setText(0, form.m_strName);
}
