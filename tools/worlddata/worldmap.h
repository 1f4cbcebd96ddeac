// The picker's world map: an equirectangular picture, longitude -180 to
// 180 across its 225 pixels and latitude 90 to -90 down its 120, so that
// map pixel (x, y) covers longitudes -180 + 1.6x to -180 + 1.6(x + 1) and
// latitudes 90 - 1.5y down to 90 - 1.5(y + 1).
#pragma once

#include "topojson.h"

#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QPoint>

class CWorldMap {
public:
    static constexpr int kWidth = 225;
    static constexpr int kHeight = 120;

    // The map pixel that holds a position given in signed minutes of arc
    // (east and north positive), as the place database stores it. Integer
    // arithmetic, so anyone can recompute it exactly: x = (longitude +
    // 10800) / 96, y = (5400 - latitude) / 90, both rounded down and kept
    // on the map.
    static QPoint PixelOfMinutes(int longitude, int latitude);

    // A shape as a path in map pixels. Rings that cross the ±180° line
    // (Natural Earth's are stitched across it) are unwrapped, rings that
    // circle a pole (Antarctica) are closed along that pole's edge, and
    // copies shifted by 360° fill in the other side of the map. One path
    // per polygon (its exterior and holes, odd-even filled): filling them
    // one after the other unites them.
    static QList<QPainterPath> Polygons(const tagShape& shape);

    // The map drawn at scale times 225 x 120 pixels, 8 bits per pixel in a
    // fixed palette: sea, land, and the borders between countries.
    static QImage Render(int scale, const QList<tagShape>& land, const QList<tagRing>& borders);

    // The map pixels at least a quarter covered by the shape's land.
    static QList<QPoint> LandPixels(const tagShape& shape);
};
