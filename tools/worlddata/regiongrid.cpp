#include "regiongrid.h"

#include <algorithm>

CRegionGrid::CRegionGrid(int width, int height, QList<QList<int>> present)
    : m_width(width), m_height(height), m_present(std::move(present))
{
}

QList<int> CRegionGrid::CountriesIn(int x, int y, int x_, int y_) const
{
    QList<int> countries;
    for (int row = y; row <= y_; ++row)
        for (int column = x; column <= x_; ++column)
            countries += m_present[row * m_width + column];
    std::sort(countries.begin(), countries.end());
    countries.erase(std::unique(countries.begin(), countries.end()), countries.end());
    return countries;
}

void CRegionGrid::Split(int x, int y, int x_, int y_, int maxCountries, int minSize, QList<tagRegion>& out) const
{
    const QList<int> countries = CountriesIn(x, y, x_, y_);
    const int width = x_ - x + 1, height = y_ - y + 1;
    const bool splitX = width >= 2 * minSize, splitY = height >= 2 * minSize;
    if (countries.size() <= maxCountries || (!splitX && !splitY)) {
        out.append({x, y, x_, y_, countries});
        return;
    }
    const int middleX = splitX ? x + (width + 1) / 2 - 1 : x_;
    const int middleY = splitY ? y + (height + 1) / 2 - 1 : y_;
    Split(x, y, middleX, middleY, maxCountries, minSize, out);
    if (splitX)
        Split(middleX + 1, y, x_, middleY, maxCountries, minSize, out);
    if (splitY)
        Split(x, middleY + 1, middleX, y_, maxCountries, minSize, out);
    if (splitX && splitY)
        Split(middleX + 1, middleY + 1, x_, y_, maxCountries, minSize, out);
}

QList<tagRegion> CRegionGrid::Build(int cellSize, int maxCountries, int minSize) const
{
    QList<tagRegion> regions;
    for (int y = 0; y < m_height; y += cellSize)
        for (int x = 0; x < m_width; x += cellSize)
            Split(x, y, std::min(x + cellSize, m_width) - 1, std::min(y + cellSize, m_height) - 1, maxCountries,
                  minSize, regions);
    std::stable_sort(regions.begin(), regions.end(), [](const tagRegion& a, const tagRegion& b) {
        return a.y != b.y ? a.y < b.y : a.x < b.x;
    });
    return regions;
}
