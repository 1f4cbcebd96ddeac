// Place-database back end speed, on the shipped database and on a synthetic
// one of 150,000 cities built at start-up (in a temporary directory).
//
// Targets: every read under 1 ms on the shipped data; GetCities of the
// largest country under 5 ms on the synthetic database and the shipped one;
// the first-use copy under 1.5 s.
#include "syntheticplaces.h"

#include <terrafind/terrafind.h>

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QTemporaryDir g_dir;

QString Synthetic()
{
    const QString path = g_dir.filePath(QStringLiteral("synthetic"));
    if (!QFile::exists(path))
        MakeSyntheticPlaces(path, 150000);
    return path;
}

// Opens the back end on a database; m_largest is the country with most
// cities, m_city one of its cities.
class COpenedPlaces {
public:
    explicit COpenedPlaces(const QString& path, bool arabic = false)
    {
        qputenv("TERRAFIND_DB", path.toLocal8Bit());
        m_places.Init();
        if (arabic)
            m_places.SetArabic();
        m_places.CheckCountryExisting(QStringLiteral("SELECT County_ID FROM City GROUP BY County_ID "
                                                     "ORDER BY count(*) DESC LIMIT 1"), &m_largest);
        m_places.CheckCountryExisting(QStringLiteral("SELECT ID FROM City WHERE County_ID = %1 LIMIT 1").arg(m_largest),
                                      &m_city);
    }
    CTerrafind30 m_places;
    std::uint32_t m_largest = 0, m_city = 0;
};

void AllCountries(benchmark::State& state)
{
    COpenedPlaces db(ShippedPlacesCopy(), state.range(0));
    for (auto _ : state) {
        QStringList names;
        QList<unsigned int> ids;
        if (db.m_places.GetAllCountries(&names, &ids) < 0 || names.isEmpty())
            state.SkipWithError("GetAllCountries failed");
        benchmark::DoNotOptimize(names);
    }
}
BENCHMARK(AllCountries)->ArgName("arabic")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void CitiesOfLargestCountry(benchmark::State& state)
{
    COpenedPlaces db(state.range(0) ? Synthetic() : ShippedPlacesCopy(), state.range(1));
    for (auto _ : state) {
        QStringList names;
        QList<unsigned int> ids;
        if (db.m_places.GetCities(db.m_largest, &names, &ids) < 0 || names.isEmpty())
            state.SkipWithError("GetCities failed");
        benchmark::DoNotOptimize(names);
    }
    state.counters["cities"] = [&] { QStringList n; QList<unsigned int> i; db.m_places.GetCities(db.m_largest, &n, &i); return double(n.size()); }();
}
BENCHMARK(CitiesOfLargestCountry)->ArgNames({"synthetic", "arabic"})->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMicrosecond);

void CountriesOfATap(benchmark::State& state)
{
    COpenedPlaces db(ShippedPlacesCopy());
    // The centre of the first region that lists countries.
    std::uint32_t region = 0;
    db.m_places.CheckCountryExisting(QStringLiteral("SELECT RegionID FROM Region2County LIMIT 1"), &region);
    std::uint32_t x = 0, y = 0;
    db.m_places.CheckCountryExisting(QStringLiteral("SELECT (x + x_) / 2 FROM Region WHERE ID = %1").arg(region), &x);
    db.m_places.CheckCountryExisting(QStringLiteral("SELECT (y + y_) / 2 FROM Region WHERE ID = %1").arg(region), &y);
    for (auto _ : state) {
        QStringList names;
        QList<unsigned int> ids;
        if (db.m_places.GetCountries(x, y, &names, &ids) < 0)
            state.SkipWithError("GetCountries failed");
        benchmark::DoNotOptimize(names);
    }
}
BENCHMARK(CountriesOfATap)->Unit(benchmark::kMicrosecond);

void OneCity(benchmark::State& state)
{
    COpenedPlaces db(ShippedPlacesCopy());
    for (auto _ : state) {
        CCity city;
        if (db.m_places.GetCity(db.m_city, &city) < 0)
            state.SkipWithError("GetCity failed");
        benchmark::DoNotOptimize(city);
    }
}
BENCHMARK(OneCity)->Unit(benchmark::kMicrosecond);

void AddOneCity(benchmark::State& state)
{
    COpenedPlaces db(ShippedPlacesCopy());
    static int n = 0; // the database keeps the cities of earlier runs
    for (auto _ : state) {
        std::uint32_t id = 0;
        const HRESULT status = db.m_places.AddCity(db.m_largest, QStringLiteral("Bench %1").arg(++n),
                                                 QStringLiteral("مدينة"), 1, 2, 3, 4, 3.0, &id);
        if (status < 0)
            state.SkipWithError(qPrintable(QStringLiteral("AddCity: ") + DescribeStatus(status)));
    }
}
BENCHMARK(AddOneCity)->Unit(benchmark::kMicrosecond);

// A host's first Init for a user: the shipped database copied out of the
// library into a fresh XDG_DATA_HOME, then opened.
void FirstUseCopy(benchmark::State& state)
{
    qunsetenv("TERRAFIND_DB");
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir home;
        qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
        state.ResumeTiming();
        CTerrafind30 places;
        if (places.Init() != 1)
            state.SkipWithError("Init failed");
    }
}
BENCHMARK(FirstUseCopy)->Unit(benchmark::kMillisecond);

} // namespace
