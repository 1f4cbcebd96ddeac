#include "mapview.h"

#include "bidi/bidilistctrl.h"
#include "dialogtemplate.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QTreeWidget>

namespace {

constexpr int kMapBitmap = 140;

// Turns every change of a list's highlighted row into one call, and so does
// a tap that changes nothing (a tap on the highlighted row, or below the
// rows), as a tap always was a choice.
class CChoiceWatcher : public QObject {
public:
    CChoiceWatcher(QTreeWidget* list, const bool* quiet, std::function<void()> chosen)
        : QObject(list), m_quiet(quiet), m_chosen(std::move(chosen))
    {
        list->viewport()->installEventFilter(this);
        connect(list, &QTreeWidget::itemSelectionChanged, this, [this] {
            if (*m_quiet)
                return;
            m_changedInTap = true;
            m_chosen();
        });
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress) {
            m_changedInTap = false;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            if (!m_changedInTap && !*m_quiet)
                m_chosen();
            m_changedInTap = true; // a release without its press is no tap
        }
        return false;
    }

private:
    const bool* m_quiet;
    std::function<void()> m_chosen;
    bool m_changedInTap = true;
};

} // namespace

int CMapBitmap::Load(int resourceId)
{
    const QString base = QStringLiteral(":/terrafind/bitmap/%1").arg(resourceId);
    const bool dense = qApp && qApp->devicePixelRatio() > 1.0;
    if (dense && m_bitmap.load(base + QStringLiteral("@2x.png")))
        m_bitmap.setDevicePixelRatio(2.0);
    else
        m_bitmap.load(base + QStringLiteral(".png"));
    return IsLoaded() ? 1 : 0;
}

QSize CMapBitmap::Size() const
{
    return m_bitmap.deviceIndependentSize().toSize();
}

void CMapBitmap::Blit(QPainter& painter, const QRect& dest, QPoint source) const
{
    if (m_bitmap.isNull())
        return;
    const qreal ratio = m_bitmap.devicePixelRatio();
    const QRectF from(source.x() * ratio, source.y() * ratio, dest.width() * ratio, dest.height() * ratio);
    painter.drawPixmap(QRectF(dest), m_bitmap, from);
}

bool CMapPicture::CreateOverPlaceholder(CMapPage* page, int placeholderId)
{
    const QWidget* placeholder = FindControl(page, placeholderId);
    if (!placeholder)
        return false;
    m_page = page;
    setParent(page);
    setGeometry(placeholder->geometry());
    SetControlID(this, placeholderId + 100);
    setAttribute(Qt::WA_OpaquePaintEvent);
    show();
    return true;
}

void CMapPicture::SetBitmap(const CMapBitmap* bitmap)
{
    m_bitmap = bitmap;
    update();
}

void CMapPicture::paintEvent(QPaintEvent* event)
{
    if (!m_bitmap)
        return;
    QPainter painter(this);
    // Only the invalid part is copied, pixel for pixel from the same place.
    const QRect dirty = event->rect();
    painter.fillRect(dirty, palette().window());
    m_bitmap->Blit(painter, dirty, dirty.topLeft());
    if (m_page)
        m_page->OnMapPaint(&painter, QRect(mapToGlobal(QPoint(0, 0)), size()));
}

void CMapPicture::mousePressEvent(QMouseEvent* event)
{
    if (m_page && event->button() == Qt::LeftButton) {
        const QPoint at = event->position().toPoint();
        m_page->OnMapClick(unsigned(at.x()), unsigned(at.y()));
    }
    QWidget::mousePressEvent(event);
}

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
    OnInitDialog();
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
