// Picker responsiveness on the shipped world data (offscreen).
//
// Targets: Show to first paint under 150 ms; a map tap updating both lists
// under 16 ms (one frame at 60 Hz).
#include "syntheticplaces.h"
#include "ui/citypropsheet.h"

#include <terrafind/terrafind.h>

#include <QTreeWidget>

#include <benchmark/benchmark.h>

namespace {

void UseShippedCopy()
{
    qputenv("TERRAFIND_DB", ShippedPlacesCopy().toLocal8Bit());
}

// Everything Show does up to the first complete paint of the sheet, with a
// city of the country of most cities preselected, as a host passes it.
void ShowToFirstPaint(benchmark::State& state)
{
    UseShippedCopy();
    CTerrafind30 places;
    places.Init();
    std::uint32_t largest = 0, city = 0;
    places.CheckCountryExisting(QStringLiteral("SELECT County_ID FROM City GROUP BY County_ID ORDER BY count(*) DESC LIMIT 1"),
                                &largest);
    places.CheckCountryExisting(QStringLiteral("SELECT min(ID) FROM City WHERE County_ID = %1").arg(largest), &city);
    if (state.range(0))
        places.SetArabic();
    for (auto _ : state) {
        CCityPropSheet sheet(QString(), 0);
        sheet.m_selectPage.m_dwPendingCityID = city;
        sheet.m_selectPage.m_dwCurrentCountryID = largest;
        sheet.m_selectPage.SetBackend(&places);
        sheet.m_bArabic = int(state.range(0));
        sheet.OnInitDialog();
        sheet.show();
        benchmark::DoNotOptimize(sheet.grab());
    }
}
BENCHMARK(ShowToFirstPaint)->ArgName("arabic")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A tap on Cairo's pixel (132, 39): the country block and the city list
// are refilled and both lists repainted.
void MapTap(benchmark::State& state)
{
    UseShippedCopy();
    CTerrafind30 places;
    places.Init();
    CCityPropSheet sheet(QString(), 0);
    sheet.m_selectPage.SetBackend(&places);
    sheet.OnInitDialog();
    sheet.show();
    for (auto _ : state) {
        sheet.m_selectPage.OnMapClick(132, 39);
        benchmark::DoNotOptimize(sheet.m_selectPage.CountryList()->grab());
        benchmark::DoNotOptimize(sheet.m_selectPage.CityList()->grab());
    }
}
BENCHMARK(MapTap)->Unit(benchmark::kMillisecond);

} // namespace
