// Nearest-place speed on the shipped place database (134,308 cities).
//
// Targets: a search's 95th percentile at most 0.2 ms; building the grid at
// most 20 ms. Query benchmarks time every search on its own and report the
// percentiles as counters (p95_us, max_us) beside the mean.
#include "common/placegrid.h"
#include "syntheticplaces.h"

#include <terrafind/terrafind.h>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <numbers>
#include <random>

#include <benchmark/benchmark.h>

namespace {

std::vector<tagGridPlace> ShippedPositions()
{
    static std::vector<tagGridPlace> places;
    if (!places.empty())
        return places;
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    const QByteArray path = QByteArrayLiteral(TERRAFIND_SOURCE_DIR "/data/KVCities");
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK
        && sqlite3_prepare_v2(db, "SELECT ID, latitude_Degree + latitude_Minute / 60.0, longitude_Degree + "
                                  "longitude_Minute / 60.0 FROM City", -1, &stmt, nullptr) == SQLITE_OK)
        while (sqlite3_step(stmt) == SQLITE_ROW)
            places.push_back({std::uint32_t(sqlite3_column_int64(stmt, 0)), sqlite3_column_double(stmt, 1),
                              sqlite3_column_double(stmt, 2), 0});
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return places;
}

// Points spread evenly over the sphere (seas and poles included).
std::vector<std::pair<double, double>> RandomPoints()
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<std::pair<double, double>> points(10000);
    for (auto& [latitude, longitude] : points)
        latitude = std::asin(2 * unit(random) - 1) * 180 / std::numbers::pi, longitude = 360 * unit(random) - 180;
    return points;
}

// Runs search once per iteration on the next point, timing each on its own.
template <typename Search>
void TimeSearches(benchmark::State& state, Search search)
{
    const auto points = RandomPoints();
    std::vector<double> micros;
    std::size_t next = 0;
    for (auto _ : state) {
        const auto& [latitude, longitude] = points[next++ % points.size()];
        const auto start = std::chrono::steady_clock::now();
        search(latitude, longitude);
        micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(micros.begin(), micros.end());
    state.counters["p95_us"] = micros[micros.size() * 95 / 100];
    state.counters["max_us"] = micros.back();
}

void GridBuild(benchmark::State& state)
{
    const std::vector<tagGridPlace> places = ShippedPositions();
    for (auto _ : state) {
        CPlaceGrid grid;
        grid.Build(places);
        benchmark::DoNotOptimize(grid);
    }
    state.counters["places"] = double(places.size());
}
BENCHMARK(GridBuild)->Unit(benchmark::kMillisecond);

void GridSearch(benchmark::State& state)
{
    CPlaceGrid grid;
    grid.Build(ShippedPositions());
    TimeSearches(state, [&](double latitude, double longitude) {
        CPlaceGrid::tagHit hit;
        if (!grid.Nearest(latitude, longitude, &hit))
            state.SkipWithError("no place");
        benchmark::DoNotOptimize(hit);
    });
}
BENCHMARK(GridSearch)->Unit(benchmark::kMicrosecond);

// What a host calls: the search and reading the city found with its details.
void FindNearestCityOnDatabase(benchmark::State& state)
{
    qputenv("TERRAFIND_DB", ShippedPlacesCopy().toLocal8Bit());
    CTerrafind30 places;
    places.Init();
    TimeSearches(state, [&](double latitude, double longitude) {
        CCity city;
        tagCityDetails details;
        if (FindNearestCity(places, latitude, longitude, &city, &details, nullptr) != S_OK)
            state.SkipWithError("FindNearestCity failed");
    });
}
BENCHMARK(FindNearestCityOnDatabase)->Unit(benchmark::kMicrosecond);

// The first search after Init: every city's position read and the grid built.
void FirstSearchOnDatabase(benchmark::State& state)
{
    qputenv("TERRAFIND_DB", ShippedPlacesCopy().toLocal8Bit());
    CTerrafind30 places;
    for (auto _ : state) {
        state.PauseTiming();
        places.Init();
        state.ResumeTiming();
        CCity city;
        if (FindNearestCity(places, 0, 0, &city, nullptr, nullptr) != S_OK)
            state.SkipWithError("FindNearestCity failed");
    }
}
BENCHMARK(FirstSearchOnDatabase)->Unit(benchmark::kMillisecond);

void FirstSearchOnCityFile(benchmark::State& state)
{
    const QString directory = QStringLiteral(TERRAFIND_SOURCE_DIR "/data");
    for (auto _ : state) {
        CTerrafindFile file;
        file.Init(directory.utf16());
        CCity city;
        if (FindNearestCity(file, 0, 0, &city, nullptr, nullptr) != S_OK)
            state.SkipWithError("FindNearestCity failed");
    }
}
BENCHMARK(FirstSearchOnCityFile)->Unit(benchmark::kMillisecond);

} // namespace
