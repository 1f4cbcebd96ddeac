#include "mappage.h"

#include "bidi/bidilistctrl.h"
#include "choicewatcher.h"
#include "dialogtemplate.h"

#include <QGroupBox>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMapBitmap = 140;

} // namespace

CMapPage::CMapPage(int templateId, QWidget* parent)
    : QWidget(parent), m_templateId(templateId)
{
}

void CMapPage::OnMapClick(unsigned int, unsigned int) {}
void CMapPage::OnMapPaint(QPainter*, const QRect&) {}

void CMapPage::EnsureInitialised()
{
    if (m_initialised)
        return;
    m_initialised = true;
    // Building from the template sets the template's size; a page shown
    // for the first time in a larger sheet keeps the size it was given.
    const QSize given = size();
    OnInitDialog();
    m_baseSize = minimumSize();
    if (isVisible())
        resize(given.expandedTo(m_baseSize));
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        m_baseLayout.append({control, control->geometry()});
    LayOut();
}

void CMapPage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayOut();
}

void CMapPage::LayOut()
{
    if (m_baseLayout.isEmpty() || !m_mapPicture.parentWidget())
        return;
    const int extraWidth = std::max(0, width() - m_baseSize.width());
    const int extraHeight = std::max(0, height() - m_baseSize.height());
    QRect placeholder;
    for (const auto& [control, rect] : m_baseLayout)
        if (control == &m_mapPicture)
            placeholder = rect;

    // The map: as wide as the page allows and its aspect ratio keeps within
    // its share of the height, centred over the placeholder's row. Its
    // scale goes in eighths, so that a few pixels more leave it at 1:1 (the
    // template's size) rather than blurred.
    const QSize bitmap = m_mapBitmap.IsLoaded() ? m_mapBitmap.Size() : placeholder.size();
    const qreal widthRoom = placeholder.width() + extraWidth;
    const qreal heightRoom = std::min(bitmap.height(), placeholder.height()) + extraHeight * 0.6;
    const qreal fit = std::min(widthRoom / bitmap.width(), heightRoom / bitmap.height());
    const qreal scale = fit < 1.0 ? fit : std::floor(fit * 8.0) / 8.0;
    const QSize map(qRound(bitmap.width() * scale), qRound(bitmap.height() * scale));
    m_mapPicture.setGeometry(placeholder.x() + (int(widthRoom) - map.width()) / 2, placeholder.y(), map.width(),
                             map.height());
    const int down = std::max(0, map.height() - placeholder.height());
    const int stretch = extraHeight - down;

    // Across, the margins stay and what lies between them stretches.
    const int margin = placeholder.x();
    const qreal across = qreal(m_baseSize.width() - 2 * margin + extraWidth) / (m_baseSize.width() - 2 * margin);
    const auto stretchX = [&](int x) { return margin + qRound((x - margin) * across); };

    QList<std::pair<QRect, QRect>> groups; // template rectangle, laid-out rectangle
    const auto isGroup = [](const QWidget* w) { return qobject_cast<const QGroupBox*>(w) != nullptr; };
    for (const auto& [control, rect] : m_baseLayout) {
        if (control == &m_mapPicture || !control->isVisibleTo(this) || !isGroup(control))
            continue;
        const QRect laid(QPoint(stretchX(rect.left()), rect.top() + down),
                         QPoint(stretchX(rect.right() + 1) - 1, rect.bottom() + down + stretch));
        control->setGeometry(laid);
        groups.append({rect, laid});
    }
    for (const auto& [control, rect] : m_baseLayout) {
        if (control == &m_mapPicture || !control->isVisibleTo(this) || isGroup(control))
            continue;
        const bool grows = qobject_cast<QAbstractItemView*>(control) != nullptr;
        const auto group = std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.first.contains(rect); });
        if (group == groups.end()) {
            // Lists take the height left; labels keep theirs.
            control->setGeometry(QRect(QPoint(stretchX(rect.left()), rect.top() + down),
                                       QPoint(stretchX(rect.right() + 1) - 1, rect.bottom() + down + (grows ? stretch : 0))));
            continue;
        }
        const auto& [was, now] = *group;
        if (grows) {
            // A list keeps its margins within its group.
            control->setGeometry(QRect(QPoint(now.left() + rect.left() - was.left(), now.top() + rect.top() - was.top()),
                                       QPoint(now.right() - (was.right() - rect.right()),
                                              now.bottom() - (was.bottom() - rect.bottom()))));
            continue;
        }
        // A button keeps its size at its group's bottom and nearer side.
        const bool leftSide = rect.center().x() < was.center().x();
        const int x = leftSide ? now.left() + rect.left() - was.left() : now.right() - (was.right() - rect.left());
        control->setGeometry(x, now.bottom() - (was.bottom() - rect.top()), rect.width(), rect.height());
    }
}

void CMapPage::showEvent(QShowEvent* event)
{
    EnsureInitialised();
    QWidget::showEvent(event);
}

void CMapPage::BuildPage()
{
    BuildDialog(this, tagDialogTemplate::Load(m_templateId), [](const tagControlTemplate& control, QWidget* parent) {
        return control.kind == QLatin1String("listview") ? new CBiDiListCtrl(parent) : nullptr;
    });
}

void CMapPage::SetUpMap(int placeholderId)
{
    m_mapBitmap.Load(kMapBitmap);
    m_mapPicture.CreateOverPlaceholder(this, placeholderId);
    m_mapPicture.SetBitmap(&m_mapBitmap);
}

void CMapPage::WatchChoice(QTreeWidget* list, std::function<void()> chosen)
{
    new CChoiceWatcher(list, &m_quiet, std::move(chosen));
}

void CMapPage::SetCityList(QTreeWidget* cities)
{
    m_cityList = cities;
    connect(cities, &QTreeWidget::itemSelectionChanged, this, &CMapPage::CityHighlightChanged);
}

bool CMapPage::HighlightedCity(std::uint32_t* id) const
{
    const QList<QTreeWidgetItem*> selected = m_cityList ? m_cityList->selectedItems() : QList<QTreeWidgetItem*>{};
    if (selected.isEmpty())
        return false;
    if (id)
        *id = ItemID(selected.first());
    return true;
}

QTreeWidgetItem* CMapPage::MakeItem(const QString& name, std::uint32_t id)
{
    auto* item = new QTreeWidgetItem(QStringList{name});
    item->setData(0, Qt::UserRole, id);
    return item;
}

std::uint32_t CMapPage::ItemID(const QTreeWidgetItem* item)
{
    return item->data(0, Qt::UserRole).toUInt();
}

void CMapPage::AppendItems(QTreeWidget* list, const QStringList& names, const QList<unsigned int>& ids)
{
    for (qsizetype i = 0; i < ids.size(); ++i)
        list->addTopLevelItem(MakeItem(names.value(i), ids[i]));
}

void CMapPage::ReplaceRegionBlock(QTreeWidget* countries, unsigned int x, unsigned int y)
{
    for (unsigned int i = 0; i < m_regionCount && countries->topLevelItemCount() > 0; ++i)
        delete countries->takeTopLevelItem(0);
    QStringList names;
    QList<unsigned int> ids;
    if (m_backend)
        m_backend->GetCountries(x, y, &names, &ids);
    m_regionCount = static_cast<unsigned int>(ids.size());
    for (qsizetype i = 0; i < ids.size(); ++i)
        countries->insertTopLevelItem(int(i), MakeItem(names.value(i), ids[i]));
    countries->clearSelection();
}
