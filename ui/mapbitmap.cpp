#include "mapbitmap.h"

#include <QPainter>

int CMapBitmap::Load(int resourceId)
{
    const QString base = QStringLiteral(":/terrafind/bitmap/%1").arg(resourceId);
    m_bitmap.load(base + QStringLiteral(".png"));
    m_bitmap2x.load(base + QStringLiteral("@2x.png"));
    return IsLoaded() ? 1 : 0;
}

QSize CMapBitmap::Size() const
{
    return m_bitmap.size();
}

void CMapBitmap::Draw(QPainter& painter, const QRect& target) const
{
    if (m_bitmap.isNull())
        return;
    // Device pixels, so that a dense screen gets the sharper version too.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const bool larger = target.width() * ratio > m_bitmap.width() && !m_bitmap2x.isNull();
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, target.size() != m_bitmap.size());
    painter.drawPixmap(target, larger ? m_bitmap2x : m_bitmap);
    painter.restore();
}
