// Picker responsiveness on the shipped world data (offscreen).
//
// Targets: Show to first paint under 150 ms; a map tap updating both lists,
// and a letter typed into the search field updating the city list, under
// 16 ms (one frame at 60 Hz).
#include "syntheticplaces.h"
#include "ui/citypropsheet.h"

#include <terrafind/terrafind.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

namespace {

void UseShippedCopy()
{
    qputenv("TERRAFIND_DB", ShippedPlacesCopy().toLocal8Bit());
}

// The sheet's two sizes: its smallest (the template's) and 900 x 700,
// where the map is drawn scaled from the 2x bitmap.
void SizeSheet(CCityPropSheet& sheet, std::int64_t large)
{
    if (large)
        sheet.resize(900, 700);
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
        SizeSheet(sheet, state.range(1));
        sheet.show();
        benchmark::DoNotOptimize(sheet.grab());
    }
}
BENCHMARK(ShowToFirstPaint)->ArgNames({"arabic", "large"})->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

// A tap on Cairo's pixel (132, 39): the country block and the city list
// are refilled and both lists repainted (and the scaled map, at the larger
// size, where the tap arrives in widget pixels).
void MapTap(benchmark::State& state)
{
    UseShippedCopy();
    CTerrafind30 places;
    places.Init();
    CCityPropSheet sheet(QString(), 0);
    sheet.m_selectPage.SetBackend(&places);
    sheet.OnInitDialog();
    SizeSheet(sheet, state.range(0));
    sheet.show();
    QWidget* map = sheet.m_selectPage.findChild<QWidget*>(QStringLiteral("1201"));
    const qreal scale = map->width() / 225.0;
    const QPointF at((132 + 0.5) * scale, (39 + 0.5) * scale);
    for (auto _ : state) {
        QMouseEvent press(QEvent::MouseButtonPress, at, map->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(map, &press);
        benchmark::DoNotOptimize(sheet.m_selectPage.CountryList()->grab());
        benchmark::DoNotOptimize(sheet.m_selectPage.CityList()->grab());
        if (state.range(0))
            benchmark::DoNotOptimize(map->grab());
    }
}
BENCHMARK(MapTap)->ArgName("large")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Typing "alexandria" into the search field a letter at a time: each letter
// lists the matches and repaints the city list. The time is for all ten
// letters; a tenth of it is one refresh.
void SearchTyping(benchmark::State& state)
{
    UseShippedCopy();
    CTerrafind30 places;
    places.Init();
    if (state.range(0))
        places.SetArabic();
    CCityPropSheet sheet(QString(), 0);
    sheet.m_selectPage.SetBackend(&places);
    sheet.m_bArabic = int(state.range(0));
    sheet.OnInitDialog();
    sheet.show();
    const QString word = state.range(0) ? QStringLiteral("الاسكندرية") : QStringLiteral("alexandria");
    for (auto _ : state) {
        for (qsizetype letters = 1; letters <= word.size(); ++letters) {
            sheet.SearchField()->setText(word.left(letters));
            benchmark::DoNotOptimize(sheet.m_selectPage.CityList()->grab());
        }
    }
}
BENCHMARK(SearchTyping)->ArgName("arabic")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
