// The world map's picture, which the map control draws.
#pragma once

#include <QPixmap>

class QPainter;

// The map bitmap (resource 140), 225 x 120 pixels, and its 2x version,
// from which the map is drawn wherever it is shown larger than 1:1.
class CMapBitmap {
public:
    virtual ~CMapBitmap() = default;
    // 1 when the bitmap was found; without it nothing is drawn, but taps and
    // overlays still work.
    int Load(int resourceId);
    bool IsLoaded() const { return !m_bitmap.isNull(); }
    // Draws the whole map into target, 1:1 when target has the map's size,
    // smoothly scaled from the sharper version when it is larger.
    void Draw(QPainter& painter, const QRect& target) const;
    // The map's size in map pixels.
    QSize Size() const;

private:
    QPixmap m_bitmap;
    QPixmap m_bitmap2x;
};
