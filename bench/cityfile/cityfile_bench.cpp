// The city file back end beside the place-database back end, on the same
// data: the shipped database, and a synthetic one as large as the city
// file format allows (65,535 cities in 250 countries), each exported to a
// city file by the writer at start-up in a temporary directory.
//
// Target: GetCity by city number under 5 µs on the file back end.
#include "cityfile/cityfilewriter.h"
#include "syntheticplaces.h"

#include <terrafind/terrafind.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

QTemporaryDir g_dir;

// One set of places as a database and as a city file.
struct tagDataSet {
    QString database;
    QString directory;                  // holds kvCities.bin
    std::uint32_t dbLargest = 0;        // database ID of the country with most cities
    std::uint32_t fileLargest = 0;      // its file ID (the same country)
    QList<unsigned int> dbCities;       // every city ID, for random picks
    std::uint32_t fileCities = 0;       // city numbers are 1 to this
};

tagDataSet Prepare(const QString& name, bool synthetic)
{
    tagDataSet set;
    set.database = synthetic ? g_dir.filePath(name + QStringLiteral(".db")) : ShippedPlacesCopy();
    set.directory = g_dir.filePath(name);
    QDir().mkpath(set.directory);
    if (synthetic)
        MakeSyntheticPlaces(set.database, 65535);
    qputenv("TERRAFIND_DB", set.database.toLocal8Bit());

    QElapsedTimer timer;
    timer.start();
    CTerrafind30 places;
    places.Init();
    places.CheckCountryExisting(QStringLiteral("SELECT County_ID FROM City GROUP BY County_ID "
                                               "ORDER BY count(*) DESC LIMIT 1"), &set.dbLargest);
    QStringList names;
    QList<unsigned int> countries;
    places.GetAllCountries(&names, &countries);
    set.fileLargest = std::uint32_t(countries.indexOf(set.dbLargest) + 1);
    for (unsigned int country : countries)
        places.GetCities(country, &names, &set.dbCities);
    CCityFileWriter writer;
    if (!writer.Read(places) || !writer.Write(set.directory + QStringLiteral("/kvCities.bin")))
        std::fprintf(stderr, "cannot export %s: %s\n", qPrintable(name), qPrintable(writer.Error()));
    places.Close();
    set.fileCities = std::uint32_t(writer.CityCount());
    std::fprintf(stderr, "%s: %lld countries, %u cities, exported in %.1f s\n", qPrintable(name),
                 static_cast<long long>(countries.size()), set.fileCities, timer.elapsed() / 1000.0);
    return set;
}

const tagDataSet& DataSet(bool synthetic)
{
    static const tagDataSet shipped = Prepare(QStringLiteral("shipped"), false);
    static const tagDataSet large = Prepare(QStringLiteral("synthetic"), true);
    return synthetic ? large : shipped;
}

// The back end a benchmark runs on: the database (English on CTerrafind30,
// Arabic on CTerrafind31, which has a connection slot of its own) or the file.
std::unique_ptr<CTerrafind> Open(const tagDataSet& set, bool file, bool arabic)
{
    std::unique_ptr<CTerrafind> backend;
    if (file) {
        auto cityFile = std::make_unique<CTerrafindFile>();
        cityFile->Init(set.directory.utf16());
        backend = std::move(cityFile);
    } else {
        qputenv("TERRAFIND_DB", set.database.toLocal8Bit());
        if (arabic)
            backend = std::make_unique<CTerrafind31>();
        else
            backend = std::make_unique<CTerrafind30>();
        backend->Init();
    }
    if (arabic)
        backend->SetArabic();
    return backend;
}

// range(0): 1 synthetic data; range(1): 1 file back end, 0 database.

void GetCityByNumber(benchmark::State& state)
{
    const tagDataSet& set = DataSet(state.range(0));
    const bool file = state.range(1);
    auto backend = Open(set, file, false);
    // Random cities, the same sequence for both back ends' sizes.
    QRandomGenerator random(42);
    QList<std::uint32_t> picks;
    for (int i = 0; i < 4096; ++i) {
        const int n = random.bounded(int(set.dbCities.size()));
        picks.append(file ? std::uint32_t(n + 1) : set.dbCities[n]);
    }
    qsizetype next = 0;
    for (auto _ : state) {
        CCity city;
        if (backend->GetCity(picks[next], &city) < 0)
            state.SkipWithError("GetCity failed");
        next = (next + 1) % picks.size();
        benchmark::DoNotOptimize(city);
    }
}
BENCHMARK(GetCityByNumber)->ArgNames({"synthetic", "file"})->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

// The file back end's worst case: the last city, whose country is found
// by walking the whole country table.
void GetLastCityOfFile(benchmark::State& state)
{
    const tagDataSet& set = DataSet(state.range(0));
    auto backend = Open(set, true, false);
    for (auto _ : state) {
        CCity city;
        if (backend->GetCity(set.fileCities, &city) < 0)
            state.SkipWithError("GetCity failed");
        benchmark::DoNotOptimize(city);
    }
}
BENCHMARK(GetLastCityOfFile)->ArgName("synthetic")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void GetAllCountriesInArabic(benchmark::State& state)
{
    auto backend = Open(DataSet(state.range(0)), state.range(1), true);
    for (auto _ : state) {
        QStringList names;
        QList<unsigned int> ids;
        if (backend->GetAllCountries(&names, &ids) < 0 || names.isEmpty())
            state.SkipWithError("GetAllCountries failed");
        benchmark::DoNotOptimize(names);
    }
}
BENCHMARK(GetAllCountriesInArabic)->ArgNames({"synthetic", "file"})->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

// range(2): 1 Arabic.
void GetCitiesOfLargestCountry(benchmark::State& state)
{
    const tagDataSet& set = DataSet(state.range(0));
    const bool file = state.range(1);
    auto backend = Open(set, file, state.range(2));
    const std::uint32_t country = file ? set.fileLargest : set.dbLargest;
    qsizetype count = 0;
    for (auto _ : state) {
        QStringList names;
        QList<unsigned int> ids;
        if (backend->GetCities(country, &names, &ids) < 0 || names.isEmpty())
            state.SkipWithError("GetCities failed");
        count = names.size();
        benchmark::DoNotOptimize(names);
    }
    state.counters["cities"] = double(count);
}
BENCHMARK(GetCitiesOfLargestCountry)->ArgNames({"synthetic", "file", "arabic"})
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

} // namespace
