#include "mappicture.h"

#include "dialogtemplate.h"
#include "mapbitmap.h"
#include "mappage.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

#include <algorithm>

bool CMapPicture::CreateOverPlaceholder(CMapPage* page, int placeholderId)
{
    const QWidget* placeholder = FindControl(page, placeholderId);
    if (!placeholder)
        return false;
    m_page = page;
    setParent(page);
    setGeometry(placeholder->geometry());
    SetControlID(this, ControlID(placeholderId));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
    show();
    return true;
}

void CMapPicture::SetBitmap(const CMapBitmap* bitmap)
{
    m_bitmap = bitmap;
    update();
}

qreal CMapPicture::Scale() const
{
    const int mapWidth = m_bitmap && m_bitmap->IsLoaded() ? m_bitmap->Size().width() : width();
    return mapWidth > 0 ? qreal(width()) / mapWidth : 1.0;
}

void CMapPicture::UpdateMapRect(const QRect& rect)
{
    const qreal scale = Scale();
    // One widget pixel more each side covers what rounding and the
    // highlight's outline add.
    update(QRectF(rect.x() * scale, rect.y() * scale, rect.width() * scale, rect.height() * scale)
               .toAlignedRect()
               .adjusted(-3, -3, 3, 3));
}

void CMapPicture::paintEvent(QPaintEvent* event)
{
    if (!m_bitmap)
        return;
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    m_bitmap->Draw(painter, rect());
    if (m_page) {
        // The overlay is drawn in map pixels.
        painter.save();
        painter.scale(Scale(), Scale());
        m_page->OnMapPaint(&painter, QRect(mapToGlobal(QPoint(0, 0)), size()));
        painter.restore();
    }
    // A map that takes no taps says so: greyed, as disabled controls are.
    if (!isEnabled())
        painter.fillRect(rect(), QColor(128, 128, 128, 110));
}

void CMapPicture::mousePressEvent(QMouseEvent* event)
{
    if (m_page && event->button() == Qt::LeftButton) {
        // Back to the map pixel under the pointer.
        const QPointF at = event->position() / Scale();
        m_page->OnMapClick(unsigned(std::max(0.0, at.x())), unsigned(std::max(0.0, at.y())));
    }
    QWidget::mousePressEvent(event);
}

void CMapPicture::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        setCursor(isEnabled() ? Qt::PointingHandCursor : Qt::ForbiddenCursor);
        update();
    }
    QWidget::changeEvent(event);
}
