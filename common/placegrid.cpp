#include "placegrid.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180;

// Degrees east of -180°, in [0, 360).
double FromAntimeridian(double longitude)
{
    const double offset = std::fmod(longitude + 180, 360.0);
    return offset < 0 ? offset + 360 : offset;
}

// The squared chord between two points of the unit sphere an angle apart.
double SquaredChord(double degrees)
{
    return 2 - 2 * std::cos(degrees * kRadiansPerDegree);
}

} // namespace

bool CPlaceGrid::Cell(double latitude, double longitude, int* cell)
{
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::abs(latitude) > 90)
        return false;
    const int row = std::min(kRows - 1, int(latitude + 90));
    const int column = std::min(kColumns - 1, int(FromAntimeridian(longitude)));
    *cell = row * kColumns + column;
    return true;
}

CPlaceGrid::tagEntry CPlaceGrid::Entry(const tagGridPlace& place)
{
    const double phi = place.latitude * kRadiansPerDegree, lambda = place.longitude * kRadiansPerDegree;
    return {std::cos(phi) * std::cos(lambda), std::cos(phi) * std::sin(lambda), std::sin(phi), place.id, place.flags};
}

void CPlaceGrid::Build(const std::vector<tagGridPlace>& places)
{
    // A counting sort by cell: count, turn counts into starts, then place.
    std::vector<int> cells(places.size(), -1);
    m_start.assign(kRows * kColumns + 1, 0);
    for (std::size_t i = 0; i < places.size(); ++i)
        if (Cell(places[i].latitude, places[i].longitude, &cells[i]))
            ++m_start[cells[i] + 1];
    for (std::size_t c = 1; c < m_start.size(); ++c)
        m_start[c] += m_start[c - 1];
    m_entries.resize(m_start.back());
    std::vector<std::uint32_t> next(m_start.begin(), m_start.end() - 1);
    for (std::size_t i = 0; i < places.size(); ++i)
        if (cells[i] >= 0)
            m_entries[next[cells[i]]++] = Entry(places[i]);
}

void CPlaceGrid::Remove(std::uint32_t id)
{
    const auto found = std::find_if(m_entries.begin(), m_entries.end(), [id](const tagEntry& e) { return e.id == id; });
    if (found == m_entries.end())
        return;
    const auto index = std::uint32_t(found - m_entries.begin());
    // The cell holding it: the last whose start is not after it.
    const auto cell = std::upper_bound(m_start.begin(), m_start.end(), index) - m_start.begin() - 1;
    m_entries.erase(found);
    for (auto c = std::size_t(cell) + 1; c < m_start.size(); ++c)
        --m_start[c];
}

bool CPlaceGrid::Upsert(const tagGridPlace& place)
{
    if (m_start.empty())
        m_start.assign(kRows * kColumns + 1, 0);
    Remove(place.id);
    int cell;
    if (!Cell(place.latitude, place.longitude, &cell))
        return false;
    m_entries.insert(m_entries.begin() + m_start[cell + 1], Entry(place));
    for (std::size_t c = std::size_t(cell) + 1; c < m_start.size(); ++c)
        ++m_start[c];
    return true;
}

bool CPlaceGrid::Nearest(double latitude, double longitude, tagHit* hit, std::uint8_t requiredFlags,
                         std::uint32_t excludedID) const
{
    int cell;
    if (!hit || m_entries.empty() || !Cell(latitude, longitude, &cell))
        return false;
    const int row = cell / kColumns, column = cell % kColumns;
    const double offset = FromAntimeridian(longitude);
    const tagEntry query = Entry({0, latitude, longitude, 0});

    double best = std::numeric_limits<double>::infinity(); // squared chord
    std::uint32_t bestID = 0;
    const auto visit = [&](int r, int c) {
        c = (c % kColumns + kColumns) % kColumns;
        const int index = r * kColumns + c;
        for (std::uint32_t i = m_start[index]; i < m_start[index + 1]; ++i) {
            const tagEntry& e = m_entries[i];
            if ((e.flags & requiredFlags) != requiredFlags || (excludedID && e.id == excludedID))
                continue;
            const double dx = e.x - query.x, dy = e.y - query.y, dz = e.z - query.z;
            const double d = dx * dx + dy * dy + dz * dz;
            if (d < best || (d == best && e.id < bestID)) {
                best = d;
                bestID = e.id;
            }
        }
    };

    for (int r = 0;; ++r) {
        // Columns column + first ... column + last; all of them, once, when
        // the ring is wider than the Earth.
        const bool allColumns = 2 * r + 1 >= kColumns;
        const int first = allColumns ? -kColumns / 2 : -r, last = allColumns ? kColumns / 2 - 1 : r;
        for (int dr = -r; dr <= r; ++dr) {
            const int rr = row + dr;
            if (rr < 0 || rr >= kRows)
                continue;
            if (dr == -r || dr == r) {
                for (int dc = first; dc <= last; ++dc)
                    visit(rr, column + dc);
            } else {
                if (-r >= first)
                    visit(rr, column - r);
                if (r <= last)
                    visit(rr, column + r);
            }
        }

        // How close a place outside the rings covered could be: beyond the
        // rows, at least the latitude gap; beyond the columns, at least the
        // distance to the nearer boundary meridian, which for a longitude
        // gap of 90° or more is reached at the pole.
        double bound = std::numeric_limits<double>::infinity(); // degrees
        if (row - r > 0)
            bound = std::min(bound, latitude - (row - r - 90));
        if (row + r < kRows - 1)
            bound = std::min(bound, (row + r + 1 - 90) - latitude);
        if (!allColumns) {
            const double gap = std::min(offset - (column + first), (column + last + 1) - offset);
            bound = std::min(bound, gap >= 90 ? 90 - std::abs(latitude)
                                              : std::asin(std::cos(latitude * kRadiansPerDegree)
                                                          * std::sin(gap * kRadiansPerDegree)) / kRadiansPerDegree);
        }
        if (!std::isfinite(bound))
            break; // every cell seen
        // A hair of slack for rounding: a place just past the bound is
        // looked at rather than missed.
        if (best < SquaredChord(bound) * (1 - 1e-12))
            break;
    }
    if (!std::isfinite(best))
        return false;
    hit->id = bestID;
    hit->distanceKm = 2 * std::asin(std::min(1.0, std::sqrt(best) / 2)) * kEarthRadiusKm;
    return true;
}

double CPlaceGrid::DistanceKm(double latitude1, double longitude1, double latitude2, double longitude2)
{
    const tagEntry a = Entry({0, latitude1, longitude1, 0}), b = Entry({0, latitude2, longitude2, 0});
    const double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return 2 * std::asin(std::min(1.0, std::sqrt(dx * dx + dy * dy + dz * dz) / 2)) * kEarthRadiusKm;
}
