// The tappable regions of the map: rectangles of map pixels tiling the
// whole map as a grid, with cells split into quarters where they would list
// too many countries.
#pragma once

#include <QList>

struct tagRegion {
    int x = 0, y = 0, x_ = 0, y_ = 0; // map pixels, right and bottom edges inclusive
    QList<int> countries;             // indexes of the countries present, ascending
};

class CRegionGrid {
public:
    // present(x, y): ascending indexes of the countries with a city or land
    // at that map pixel. Cells of cellSize pixels (the map's edge cells are
    // what is left) are split while they hold more than maxCountries and
    // their sides stay at least minSize pixels.
    CRegionGrid(int width, int height, QList<QList<int>> present);

    // Regions in reading order of their top-left corners.
    QList<tagRegion> Build(int cellSize, int maxCountries, int minSize) const;

private:
    QList<int> CountriesIn(int x, int y, int x_, int y_) const;
    void Split(int x, int y, int x_, int y_, int maxCountries, int minSize, QList<tagRegion>& out) const;

    int m_width, m_height;
    QList<QList<int>> m_present; // row-major, one list per pixel
};
