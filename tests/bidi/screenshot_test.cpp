// An Arabic panel like the Select page, drawn from the shipped place
// database: shaped labels, the country and city lists and a name edit.
// Saved as screenshots/bidi-arabic-lists.png in the build directory.
#include "bidi/bidiedit.h"
#include "bidi/bidilistctrl.h"
#include "bidi/shapetext.h"
#include "drawing.h"

#include <terrafind/terrafind.h>

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

const QColor kSelection(0xC8, 0xC8, 0xFA);

// A label as the pages make one: ShapeText's output, right-aligned.
void AddLabel(QWidget* panel, const QString& text, int x)
{
    QString shaped;
    EXPECT_EQ(ShapeText(text, shaped, 1), 1);
    auto* label = new QLabel(shaped, panel);
    label->setGeometry(x, 8, 195, 22);
    label->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter);
}

// A list as the pages draw one: their text colour on a transparent background.
CBiDiListCtrl* AddList(QWidget* panel, const QStringList& names, int x)
{
    auto* list = new CBiDiListCtrl(panel);
    list->setGeometry(x, 32, 195, 180);
    for (const QString& name : names)
        list->addTopLevelItem(new QTreeWidgetItem(QStringList{name}));
    QObject::connect(list, &CBiDiListCtrl::PrePaint, [](QPainter* dc) {
        dc->setPen(QColor(0x42, 0x3F, 0x73));
        dc->setBackground(kSelection);
        dc->setBackgroundMode(Qt::TransparentMode);
    });
    return list;
}

TEST(Screenshot, ArabicListsAndLabels)
{
    // Saudi Arabia's cities, so Makkah and Madinah are shown.
    CTerrafind31 places;
    ASSERT_EQ(places.Init(), 1);
    QStringList names, countries{u"-- جميع الدول --"_qs}, cities;
    QList<unsigned int> ids, countryIds{0}, cityIds;
    ASSERT_GE(places.GetAllCountries(&names, &ids), 0);
    const unsigned int saudi = ids.value(names.indexOf(u"Saudi Arabia"_qs));
    ASSERT_NE(saudi, 0u);
    places.SetArabic();
    ASSERT_GE(places.GetAllCountries(&countries, &countryIds), 0);
    ASSERT_GE(places.GetCities(saudi, &cities, &cityIds), 0);
    ASSERT_FALSE(cities.isEmpty());
    places.Close();

    QWidget panel;
    panel.setLayoutDirection(Qt::RightToLeft);
    panel.setFont(TestFont());
    panel.resize(420, 270);
    AddLabel(&panel, u"البلد"_qs, 215);
    AddLabel(&panel, u"المدينة"_qs, 10);
    CBiDiListCtrl* countryList = AddList(&panel, countries, 215);
    CBiDiListCtrl* cityList = AddList(&panel, cities, 10);
    QTreeWidgetItem* country = countryList->topLevelItem(int(countryIds.indexOf(saudi)));
    country->setSelected(true);
    countryList->scrollToItem(country, QAbstractItemView::PositionAtCenter);
    cityList->topLevelItem(0)->setSelected(true);
    CBiDiEdit name;
    name.Create(&panel)->setGeometry(10, 228, 400, 30);
    name.Edit()->setText(cities.first());
    const QString directory = QStringLiteral(TERRAFIND_BINARY_DIR "/screenshots");
    ASSERT_TRUE(QDir().mkpath(directory));
    EXPECT_TRUE(Grab(&panel).save(directory + QStringLiteral("/bidi-arabic-lists.png")));

    // Every row in view ends 2 pixels inside its cell's right edge; a
    // letter's side bearing may leave a few more (alef has most).
    for (CBiDiListCtrl* list : {countryList, cityList}) {
        const QImage rows = Grab(list->viewport());
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            const QRect row = list->visualItemRect(item);
            const QRect ink = InkBox(rows, row, item->isSelected() ? kSelection : QColor(Qt::white));
            if (list->viewport()->rect().contains(row))
                EXPECT_TRUE(ink.right() <= row.right() - 2 && ink.right() >= row.right() - 6)
                    << item->text(0).toStdString() << " ends at " << ink.right() << " of " << row.right();
        }
    }
}

} // namespace
