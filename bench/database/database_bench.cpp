// Place-database back end speed, on the shipped database and on a synthetic
// one of 150,000 cities built at start-up (in a temporary directory).
//
// Targets: every read under 1 ms on the shipped data; GetCities of the
// largest country under 5 ms on the synthetic database and the shipped one;
// the first-use copy under 1.5 s.
//
// The *_RawStatement benchmarks do the read beside them through SQLite
// alone, for what the back end adds to it.
#include "syntheticplaces.h"

#include "common/hemisphere.h"
#include "database/collation.h"

#include <terrafind/terrafind.h>

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <iterator>

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

// The same reads done by hand: one connection to the same file, statements
// prepared once, and each row read into Qt types as a host would read it.
// Beside the back end's figures these show what the back end costs over
// SQLite itself (targets: GetCity at most 2x, GetCities at most 1.2x).
class CRawPlaces {
public:
    explicit CRawPlaces(const QString& path)
    {
        // Opened as the back end opens its connection (no SQLite mutex, the
        // name orderings registered), so only the reading differs.
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK
            || RegisterNameCollations(m_db) != SQLITE_OK)
            return;
        m_city = Prepare("SELECT ID, name, arabic_name, longitude_Degree, longitude_Minute, latitude_Degree, "
                         "latitude_Minute, gmt, County_ID FROM City WHERE ID = ?");
        m_country = Prepare("SELECT name, arabic_name, Method FROM Country WHERE ID = ?");
        m_cities = Prepare("SELECT name, ID FROM City WHERE County_ID = ? ORDER BY name");
    }
    ~CRawPlaces()
    {
        for (sqlite3_stmt* stmt : {m_city, m_country, m_cities})
            sqlite3_finalize(stmt);
        sqlite3_close(m_db);
    }
    CRawPlaces(const CRawPlaces&) = delete;
    CRawPlaces& operator=(const CRawPlaces&) = delete;

    bool IsOpen() const { return m_city && m_country && m_cities; }

    bool GetCity(std::uint32_t cityID, CCity* city)
    {
        sqlite3_bind_int64(m_city, 1, cityID);
        const bool found = sqlite3_step(m_city) == SQLITE_ROW;
        if (found) {
            city->m_dwID = std::uint32_t(sqlite3_column_int64(m_city, 0));
            city->m_strName = Text(m_city, 1);
            city->m_strArabicName = Text(m_city, 2);
            SplitAngle(Short(m_city, 3), Short(m_city, 4), ZeroAngle::Positive, &city->m_sLongitudeDegree,
                       &city->m_sLongitudeMinute, &city->m_sEast);
            SplitAngle(Short(m_city, 5), Short(m_city, 6), ZeroAngle::Positive, &city->m_sLatitudeDegree,
                       &city->m_sLatitudeMinute, &city->m_sNorth);
            city->m_sGmt = Short(m_city, 7);
            city->m_dwCountryID = std::uint32_t(sqlite3_column_int64(m_city, 8));
        }
        sqlite3_reset(m_city);
        if (!found)
            return false;
        sqlite3_bind_int64(m_country, 1, city->m_dwCountryID);
        const bool country = sqlite3_step(m_country) == SQLITE_ROW;
        if (country) {
            city->m_strCountryName = Text(m_country, 0);
            city->m_strCountryArabicName = Text(m_country, 1);
            city->m_sMethod = Short(m_country, 2);
        }
        sqlite3_reset(m_country);
        return country;
    }

    bool GetCities(std::uint32_t countryID, QStringList* names, QList<unsigned int>* ids)
    {
        sqlite3_bind_int64(m_cities, 1, countryID);
        int rc;
        while ((rc = sqlite3_step(m_cities)) == SQLITE_ROW) {
            names->append(Text(m_cities, 0));
            ids->append(unsigned(sqlite3_column_int64(m_cities, 1)));
        }
        sqlite3_reset(m_cities);
        return rc == SQLITE_DONE;
    }

    // How SQLite runs a statement, one line per step of its plan.
    QStringList Plan(const QString& statement)
    {
        QStringList plan;
        sqlite3_stmt* stmt = Prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + statement);
        while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
            plan.append(Text(stmt, 3));
        sqlite3_finalize(stmt);
        return plan;
    }

private:
    sqlite3_stmt* Prepare(const QString& text)
    {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare16_v2(m_db, text.utf16(), int(text.size() * sizeof(QChar)), &stmt, nullptr);
        return stmt;
    }
    // As stored (UTF-8), decoded by Qt, as the back end reads text.
    static QString Text(sqlite3_stmt* stmt, int column)
    {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                                 sqlite3_column_bytes(stmt, column));
    }
    static std::int16_t Short(sqlite3_stmt* stmt, int column)
    {
        return std::int16_t(sqlite3_column_int(stmt, column));
    }

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_city = nullptr;
    sqlite3_stmt* m_country = nullptr;
    sqlite3_stmt* m_cities = nullptr;
};

// Large cities in several countries, read in turn so that no one row stays
// the only one in SQLite's page cache: Makkah, Cairo, Istanbul, Jakarta,
// New York, London.
constexpr std::uint32_t kTypicalCities[] = {18723, 6291, 19725, 9102, 22391, 8147};

bool SameCity(const CCity& a, const CCity& b)
{
    return a.m_dwID == b.m_dwID && a.m_strName == b.m_strName && a.m_strArabicName == b.m_strArabicName
        && a.m_sLongitudeDegree == b.m_sLongitudeDegree && a.m_sLongitudeMinute == b.m_sLongitudeMinute
        && a.m_sEast == b.m_sEast && a.m_sLatitudeDegree == b.m_sLatitudeDegree
        && a.m_sLatitudeMinute == b.m_sLatitudeMinute && a.m_sNorth == b.m_sNorth && a.m_sGmt == b.m_sGmt
        && a.m_dwCountryID == b.m_dwCountryID && a.m_strCountryName == b.m_strCountryName
        && a.m_strCountryArabicName == b.m_strCountryArabicName && a.m_sMethod == b.m_sMethod;
}

// The back end and the raw statements on the same file, once each has been
// seen to read what the other reads; otherwise the pair would compare
// different work. The error is empty when they agree.
struct CBothWays {
    COpenedPlaces m_db{ShippedPlacesCopy()};
    CRawPlaces m_raw{ShippedPlacesCopy()};
    QString m_error;

    CBothWays()
    {
        if (!m_raw.IsOpen()) {
            m_error = QStringLiteral("raw statements not prepared");
            return;
        }
        for (const std::uint32_t id : kTypicalCities) {
            CCity viaBackEnd, raw;
            if (m_db.m_places.GetCity(id, &viaBackEnd) < 0 || !m_raw.GetCity(id, &raw) || !SameCity(viaBackEnd, raw))
                m_error = QStringLiteral("city %1 reads differently").arg(id);
        }
        QStringList names, rawNames;
        QList<unsigned int> ids, rawIds;
        if (m_db.m_places.GetCities(m_db.m_largest, &names, &ids) < 0
            || !m_raw.GetCities(m_db.m_largest, &rawNames, &rawIds) || names != rawNames || ids != rawIds)
            m_error = QStringLiteral("the cities of country %1 read differently").arg(m_db.m_largest);
        // Both walk the (County_ID, name) index, already in order; a sort on
        // either side would make this a comparison of sorts.
        const QStringList plan = m_raw.Plan(QStringLiteral("SELECT City.name, City.ID FROM City WHERE City.County_ID = %1 "
                                                           "ORDER BY City.name ").arg(m_db.m_largest));
        if (plan.isEmpty() || plan != m_raw.Plan(QStringLiteral("SELECT name, ID FROM City WHERE County_ID = ? ORDER BY name")))
            m_error = QStringLiteral("the two city lists are planned differently");
    }
};

// Reads the typical cities in turn through read(both, id, &city).
template <typename Read>
void ReadCities(benchmark::State& state, Read read)
{
    CBothWays both;
    if (!both.m_error.isEmpty())
        state.SkipWithError(qPrintable(both.m_error));
    std::size_t next = 0;
    for (auto _ : state) {
        CCity city;
        if (!read(both, kTypicalCities[next++ % std::size(kTypicalCities)], &city))
            state.SkipWithError("the city read failed");
        benchmark::DoNotOptimize(city);
    }
}

void BM_GetCity(benchmark::State& state)
{
    ReadCities(state, [](CBothWays& both, std::uint32_t id, CCity* city) { return both.m_db.m_places.GetCity(id, city) >= 0; });
}
BENCHMARK(BM_GetCity)->Unit(benchmark::kMicrosecond);

void BM_GetCity_RawStatement(benchmark::State& state)
{
    ReadCities(state, [](CBothWays& both, std::uint32_t id, CCity* city) { return both.m_raw.GetCity(id, city); });
}
BENCHMARK(BM_GetCity_RawStatement)->Unit(benchmark::kMicrosecond);

// The cities of the country with most cities (the United States in the
// shipped data), in English order, through list(both, country, &names, &ids).
template <typename List>
void ListLargest(benchmark::State& state, List list)
{
    CBothWays both;
    if (!both.m_error.isEmpty())
        state.SkipWithError(qPrintable(both.m_error));
    for (auto _ : state) {
        QStringList names;
        QList<unsigned int> ids;
        if (!list(both, both.m_db.m_largest, &names, &ids) || names.isEmpty())
            state.SkipWithError("the city list read failed");
        benchmark::DoNotOptimize(names);
    }
    state.counters["country"] = both.m_db.m_largest;
}

void BM_GetCities_Largest(benchmark::State& state)
{
    ListLargest(state, [](CBothWays& both, std::uint32_t country, QStringList* names, QList<unsigned int>* ids) {
        return both.m_db.m_places.GetCities(country, names, ids) >= 0;
    });
}
BENCHMARK(BM_GetCities_Largest)->Unit(benchmark::kMicrosecond);

void BM_GetCities_Largest_RawStatement(benchmark::State& state)
{
    ListLargest(state, [](CBothWays& both, std::uint32_t country, QStringList* names, QList<unsigned int>* ids) {
        return both.m_raw.GetCities(country, names, ids);
    });
}
BENCHMARK(BM_GetCities_Largest_RawStatement)->Unit(benchmark::kMicrosecond);

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
