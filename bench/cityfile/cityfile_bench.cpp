// The city file back end beside the place-database back end, on the same
// data: the shipped database, and a synthetic one as large as the city
// file format allows (65,535 cities in 250 countries), each exported to a
// city file by the writer at start-up in a temporary directory.
//
// Target: GetCity by city number under 5 µs on the file back end.
#include "cityfile/cityfilewriter.h"
#include "database/collation.h"

#include <terrafind/terrafind.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <memory>

namespace {

QTemporaryDir g_dir;

// One set of places as a database and as a city file.
struct CDataSet {
    QString database;
    QString directory;                  // holds kvCities.bin
    std::uint32_t dbLargest = 0;        // database ID of the country with most cities
    std::uint32_t fileLargest = 0;      // its file ID (the same country)
    QList<unsigned int> dbCities;       // every city ID, for random picks
    std::uint32_t fileCities = 0;       // city numbers are 1 to this
};

QString RandomName(QRandomGenerator& random, char16_t first, char16_t last, int length)
{
    QString name;
    for (int i = 0; i < length; ++i)
        name += QChar(char16_t(first + random.bounded(int(last - first) + 1)));
    return name;
}

// 250 countries; city counts fall off with rank, the largest country
// holding about a tenth of the 65,535 cities.
void MakeSyntheticDatabase(const QString& path)
{
    constexpr int kCountries = 250, kCities = 65535;
    QFile schema(QStringLiteral(TERRAFIND_SOURCE_DIR "/database/schema.sql"));
    schema.open(QIODevice::ReadOnly);
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    RegisterNameCollations(db);
    sqlite3_exec(db, schema.readAll().constData(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    QRandomGenerator random(1256);
    sqlite3_stmt* country = nullptr;
    sqlite3_stmt* city = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Country VALUES (?, ?, ?, 2)", -1, &country, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO City VALUES (?, ?, ?, ?, ?, ?, ?, 30, ?)", -1, &city, nullptr);
    int cityID = 0;
    for (int c = 1; c <= kCountries; ++c) {
        const QString name = RandomName(random, u'a', u'z', 9), arabic = RandomName(random, u'\u0627', u'\u064A', 7);
        sqlite3_bind_int(country, 1, c);
        sqlite3_bind_text16(country, 2, name.utf16(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text16(country, 3, arabic.utf16(), -1, SQLITE_TRANSIENT);
        sqlite3_step(country);
        sqlite3_reset(country);
        const int cities = c == kCountries ? kCities - cityID : std::max(1, int(6500.0 / (1 + (c - 1) * 0.35)));
        for (int i = 0; i < cities && cityID < kCities; ++i) {
            const QString cityName = RandomName(random, u'a', u'z', 10), cityArabic = RandomName(random, u'\u0627', u'\u064A', 8);
            sqlite3_bind_int(city, 1, ++cityID);
            sqlite3_bind_text16(city, 2, cityName.utf16(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text16(city, 3, cityArabic.utf16(), -1, SQLITE_TRANSIENT);
            const int degrees[] = {random.bounded(-179, 180), random.bounded(-59, 60), random.bounded(-89, 90), random.bounded(-59, 60)};
            for (int k = 0; k < 4; ++k)
                sqlite3_bind_int(city, 4 + k, degrees[k]);
            sqlite3_bind_int(city, 8, c);
            sqlite3_step(city);
            sqlite3_reset(city);
        }
    }
    sqlite3_finalize(country);
    sqlite3_finalize(city);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

CDataSet Prepare(const QString& name, bool synthetic)
{
    CDataSet set;
    set.database = g_dir.filePath(name + QStringLiteral(".db"));
    set.directory = g_dir.filePath(name);
    QDir().mkpath(set.directory);
    if (synthetic) {
        MakeSyntheticDatabase(set.database);
    } else {
        QFile::copy(QStringLiteral(TERRAFIND_SOURCE_DIR "/data/KVCities"), set.database);
        QFile::setPermissions(set.database, QFile::ReadOwner | QFile::WriteOwner);
    }
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

const CDataSet& DataSet(bool synthetic)
{
    static const CDataSet shipped = Prepare(QStringLiteral("shipped"), false);
    static const CDataSet large = Prepare(QStringLiteral("synthetic"), true);
    return synthetic ? large : shipped;
}

// The back end a benchmark runs on: the database (English on CTerrafind30,
// Arabic on CTerrafind31, which has a connection slot of its own) or the file.
std::unique_ptr<CTerrafind> Open(const CDataSet& set, bool file, bool arabic)
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
    const CDataSet& set = DataSet(state.range(0));
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
    const CDataSet& set = DataSet(state.range(0));
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
    const CDataSet& set = DataSet(state.range(0));
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

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
