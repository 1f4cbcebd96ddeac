// The nearest place to a point of the Earth, by great-circle distance,
// from places kept in memory in cells of one degree by one degree.
#pragma once

#include <cstdint>
#include <vector>

// One place as the grid takes it: positions in degrees, north and east
// positive. flags is the owner's: a search can ask for places that have
// all of some flags (such as "has a time zone").
struct tagGridPlace {
    std::uint32_t id = 0;
    double latitude = 0;
    double longitude = 0;
    std::uint8_t flags = 0;
};

// Cells are 1° of latitude by 1° of longitude, 180 rows of 360 columns.
// A search starts in the point's cell and takes the ring of cells around
// it, then the next ring, until no place outside the rings covered can be
// closer than the best one found. Columns wrap at ±180°; rows stop at the
// poles, where the longitude rings close the gap (every meridian meets
// there). Ties go to the lower ID.
//
// Cost: building is linear in the places (under 10 ms for 134,000); a
// search takes tens of microseconds, visiting a few hundred places where
// they are dense and more cells far out at sea or near a pole; an edit
// moves the places after it in memory.
class CPlaceGrid {
public:
    static constexpr double kEarthRadiusKm = 6371.0088; // IUGG mean radius

    struct tagHit {
        std::uint32_t id = 0;
        double distanceKm = 0;
    };

    // Replaces the grid's places. A place whose latitude lies outside -90
    // to 90 or is not a number is left out; longitudes are taken modulo 360.
    void Build(const std::vector<tagGridPlace>& places);
    // Adds the place, or moves it and takes its flags when its ID is there.
    // Returns false, removing the ID, for a position that is left out.
    bool Upsert(const tagGridPlace& place);
    void Remove(std::uint32_t id);
    std::size_t Size() const { return m_entries.size(); }

    // The nearest place having every flag of requiredFlags, other than
    // excludedID (0: none). false when there is none, or for a latitude
    // outside -90 to 90 or a coordinate that is not a number.
    bool Nearest(double latitude, double longitude, tagHit* hit, std::uint8_t requiredFlags = 0,
                 std::uint32_t excludedID = 0) const;

    // Great-circle distance in km between two points given in degrees.
    static double DistanceKm(double latitude1, double longitude1, double latitude2, double longitude2);

private:
    // A place as a point of the unit sphere: comparing squared chords
    // orders places as their great-circle distances do, without trigonometry.
    struct tagEntry {
        double x, y, z;
        std::uint32_t id;
        std::uint8_t flags;
    };

    static constexpr int kRows = 180;
    static constexpr int kColumns = 360;

    static bool Cell(double latitude, double longitude, int* cell);
    static tagEntry Entry(const tagGridPlace& place);

    std::vector<tagEntry> m_entries;  // grouped by cell, in cell order
    std::vector<std::uint32_t> m_start; // kRows * kColumns + 1: where each cell's entries begin
};
