// The world map across the top of both picker pages.
//
// Map coordinates are the bitmap's pixels: the bitmap is drawn unscaled at
// the map control's origin, taps are reported unscaled, and the region
// rectangles of the back ends use the same pixels.
#pragma once

#include <QWidget>

class CMapBitmap;
class CMapPage;

// The map control, laid over its invisible placeholder on the page. It may
// be shown larger than the bitmap (never with another aspect ratio): taps
// are reported and overlays drawn in map pixels all the same.
class CMapPicture : public QWidget {
    Q_OBJECT
public:
    explicit CMapPicture(QWidget* parent = nullptr) : QWidget(parent) {}
    // The map control's ID on a page: its placeholder's plus 100.
    static constexpr int ControlID(int placeholderId) { return placeholderId + 100; }
    // The map pixel, not rounded, of a position in degrees (north and east
    // positive): the shipped map is equirectangular, 180 degrees west at
    // its left edge and 90 north at its top, 1.6 degrees a pixel across and
    // 1.5 down; the pixel a position falls in is this point rounded down.
    static QPointF MapPoint(double longitude, double latitude)
    {
        return {(longitude + 180.0) / 1.6, (90.0 - latitude) / 1.5};
    }
    // Takes the placeholder's rectangle, and the ID above.
    virtual bool CreateOverPlaceholder(CMapPage* page, int placeholderId);
    void SetBitmap(const CMapBitmap* bitmap);
    // Repaints what covers rect, given in map pixels.
    void UpdateMapRect(const QRect& rect);
    // Widget pixels per map pixel, the same both ways.
    qreal Scale() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    const CMapBitmap* m_bitmap = nullptr;
    CMapPage* m_page = nullptr;
};
