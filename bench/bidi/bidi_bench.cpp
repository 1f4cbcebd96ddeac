// Cost of shaping a label and of drawing list rows through the text library.
#include "bidi/bidilistctrl.h"
#include "bidi/fittext.h"
#include "bidi/shapetext.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

const QString kLongName = QStringLiteral(u"المملكة العربية السعودية ودولة الإمارات العربية المتحدة");

void ShapeLabel(benchmark::State& state)
{
    QString shaped;
    for (auto _ : state) {
        ShapeText(QStringLiteral(u"المدينة المنورة"), shaped, 1);
        benchmark::DoNotOptimize(shaped.data());
    }
}
BENCHMARK(ShapeLabel);

// The worst cell: a long Arabic name shortened down to a narrow cell.
void FitLongName(benchmark::State& state)
{
    QImage image(10, 10, QImage::Format_ARGB32_Premultiplied);
    QPainter dc(&image);
    for (auto _ : state) {
        QString text = kLongName;
        FitTextToWidth(&dc, text, 0, 0, int(state.range(0)), 20, true);
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(FitLongName)->Arg(60)->Arg(200);

// One row as a paint pass draws it, Arabic, right to left, selected.
void DrawRow(benchmark::State& state)
{
    CBiDiListCtrl list;
    list.resize(220, 300);
    list.setLayoutDirection(Qt::RightToLeft);
    list.addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral(u"مكة المكرمة")}));
    QImage image(220, 20, QImage::Format_ARGB32_Premultiplied);
    QPainter dc(&image);
    for (auto _ : state)
        list.DrawItem(&dc, 0, CBiDiListCtrl::kStateSelected, QRect(0, 0, 220, 20));
}
BENCHMARK(DrawRow);

} // namespace
