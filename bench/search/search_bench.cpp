// Search as you type on the shipped data: the place database (a copy of
// the shipped one) and the shipped city file.
//
// Targets, 10 hits: a query of 1, 2, 3 or 6 letters under 1 ms at the 95th
// percentile on the place database, under 2 ms on the city file; a
// mistyped one under 5 ms; the first search that looks for a typo (it
// reads the index's words) no more than 50 ms and 50 MB beyond a later
// one. Each run times one query per prefix of that length of the most
// populous cities' names, English and Arabic (the prefixes people type; up
// to 400 cities whose words start with a, s, m or alef), or per such name
// with two of its letters swapped, and reports their 95th percentile as
// p95_ms beside the mean.
#include "syntheticplaces.h"

#include <terrafind/terrafind.h>

#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <algorithm>

#include <malloc.h>

namespace {

constexpr int kHits = 10;

// Prefixes of the given length of the most populous cities' names.
QStringList Prefixes(CTerrafind& places, int length)
{
    QList<tagCityHit> hits;
    QStringList prefixes;
    // Every place has a word starting with one of these letters or more.
    for (const QString letter : {QStringLiteral("a"), QStringLiteral("s"), QStringLiteral("m"), QStringLiteral("ا")}) {
        SearchCities(places, letter, 100, &hits);
        for (const tagCityHit& hit : hits)
            for (const QString& name : {hit.city.m_strName, hit.city.m_strArabicName})
                if (name.size() >= length && !prefixes.contains(name.left(length)))
                    prefixes.append(name.left(length));
    }
    return prefixes;
}

// The first words of 5 letters or more of the most populous cities'
// English names, the second and third letters swapped: one edit away.
QStringList Mistyped(CTerrafind& places)
{
    QList<tagCityHit> hits;
    QStringList mistyped;
    for (const QString letter : {QStringLiteral("a"), QStringLiteral("s"), QStringLiteral("m")}) {
        SearchCities(places, letter, 100, &hits);
        for (const tagCityHit& hit : hits) {
            QString word = hit.city.m_strName.section(QLatin1Char(' '), 0, 0).toLower();
            if (word.size() < 5 || word[1] == word[2])
                continue;
            std::swap(word[1], word[2]);
            if (!mistyped.contains(word))
                mistyped.append(word);
        }
    }
    return mistyped;
}

// The memory the process has allocated and not freed, in megabytes (the
// resident size would miss what reuses pages freed before).
double AllocatedMegabytes()
{
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / (1 << 20);
}

void Run(benchmark::State& state, CTerrafind& places, const QStringList& queries = {})
{
    const QStringList prefixes = queries.isEmpty() ? Prefixes(places, int(state.range(0))) : queries;
    std::vector<double> times;
    for (auto _ : state) {
        for (const QString& prefix : prefixes) {
            QElapsedTimer timer;
            timer.start();
            QList<tagCityHit> hits;
            if (SearchCities(places, prefix, kHits, &hits) < 0)
                state.SkipWithError("SearchCities failed");
            times.push_back(timer.nsecsElapsed() / 1e6);
        }
    }
    if (times.empty())
        return;
    std::sort(times.begin(), times.end());
    state.counters["p95_ms"] = times[times.size() * 95 / 100];
    state.counters["queries"] = double(prefixes.size());
}

void PlaceDatabase(benchmark::State& state)
{
    qputenv("TERRAFIND_DB", ShippedPlacesCopy().toLocal8Bit());
    CTerrafind30 places;
    places.Init();
    Run(state, places);
}
BENCHMARK(PlaceDatabase)->ArgName("letters")->Arg(1)->Arg(2)->Arg(3)->Arg(6)->Unit(benchmark::kMillisecond);

void CityFile(benchmark::State& state)
{
    CTerrafindFile file;
    if (!file.Init(QStringLiteral(TERRAFIND_SOURCE_DIR "/data").utf16())) {
        state.SkipWithError("no city file");
        return;
    }
    Run(state, file);
}
BENCHMARK(CityFile)->ArgName("letters")->Arg(1)->Arg(2)->Arg(3)->Arg(6)->Unit(benchmark::kMillisecond);

void MistypedOnPlaceDatabase(benchmark::State& state)
{
    qputenv("TERRAFIND_DB", ShippedPlacesCopy().toLocal8Bit());
    CTerrafind30 places;
    places.Init();
    Run(state, places, Mistyped(places));
}
BENCHMARK(MistypedOnPlaceDatabase)->Unit(benchmark::kMillisecond);

void MistypedOnCityFile(benchmark::State& state)
{
    CTerrafindFile file;
    if (!file.Init(QStringLiteral(TERRAFIND_SOURCE_DIR "/data").utf16())) {
        state.SkipWithError("no city file");
        return;
    }
    Run(state, file, Mistyped(file));
}
BENCHMARK(MistypedOnCityFile)->Unit(benchmark::kMillisecond);

// The first search that looks for a typo on a freshly opened place
// database, against the same search again: first_ms and added_mb are what
// reading the index's words costs.
void FirstMistypedSearch(benchmark::State& state)
{
    qputenv("TERRAFIND_DB", ShippedPlacesCopy().toLocal8Bit());
    double first = 0, again = 0, added = 0;
    for (auto _ : state) {
        CTerrafind30 places;
        places.Init();
        QList<tagCityHit> hits;
        SearchCities(places, QStringLiteral("cairo"), kHits, &hits); // the exact search warmed up
        const double before = AllocatedMegabytes();
        QElapsedTimer timer;
        timer.start();
        SearchCities(places, QStringLiteral("lahroe"), kHits, &hits);
        first += timer.nsecsElapsed() / 1e6;
        added += AllocatedMegabytes() - before;
        timer.start();
        SearchCities(places, QStringLiteral("lahroe"), kHits, &hits);
        again += timer.nsecsElapsed() / 1e6;
    }
    state.counters["first_ms"] = first / double(state.iterations());
    state.counters["again_ms"] = again / double(state.iterations());
    state.counters["added_mb"] = added / double(state.iterations());
}
BENCHMARK(FirstMistypedSearch)->Unit(benchmark::kMillisecond)->Iterations(5);

// The first search of an open city file builds its index.
void FirstCityFileSearch(benchmark::State& state)
{
    double added = 0;
    for (auto _ : state) {
        CTerrafindFile file;
        if (!file.Init(QStringLiteral(TERRAFIND_SOURCE_DIR "/data").utf16()))
            state.SkipWithError("no city file");
        const double before = AllocatedMegabytes();
        QList<tagCityHit> hits;
        SearchCities(file, QStringLiteral("cairo"), kHits, &hits);
        added += AllocatedMegabytes() - before;
    }
    state.counters["added_mb"] = added / double(state.iterations());
}
BENCHMARK(FirstCityFileSearch)->Unit(benchmark::kMillisecond)->Iterations(3);

// Opening the city file reads its header alone.
void OpenCityFile(benchmark::State& state)
{
    for (auto _ : state) {
        CTerrafindFile file;
        if (!file.Init(QStringLiteral(TERRAFIND_SOURCE_DIR "/data").utf16()))
            state.SkipWithError("no city file");
    }
}
BENCHMARK(OpenCityFile)->Unit(benchmark::kMillisecond);

} // namespace
