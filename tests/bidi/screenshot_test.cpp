// An Arabic Select-page-like panel drawn from the shipped place database:
// shaped labels, the country and city lists, and a name edit. Saved as
// screenshots/bidi-arabic-lists.png in the build directory.
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

void FillList(CBiDiListCtrl* list, const QStringList& names, const QList<unsigned int>& ids)
{
    for (qsizetype i = 0; i < ids.size(); ++i) {
        auto* item = new QTreeWidgetItem(QStringList{names.value(i)});
        item->setData(0, Qt::UserRole, ids[i]);
        list->addTopLevelItem(item);
    }
}

bool IsPresentationForm(QChar c)
{
    return c == QLatin1Char(' ') || (c.unicode() >= 0xFE70 && c.unicode() <= 0xFEFF);
}

TEST(Screenshot, ArabicListsAndLabels)
{
    // Saudi Arabia when the data has it, so Makkah and Madinah are shown.
    CTerrafind31 places;
    ASSERT_EQ(places.Init(), 1);
    QStringList englishNames;
    QList<unsigned int> englishIds;
    ASSERT_GE(places.GetAllCountries(&englishNames, &englishIds), 0);
    ASSERT_FALSE(englishIds.isEmpty());
    const qsizetype saudi = englishNames.indexOf(u"Saudi Arabia"_qs);
    const unsigned int countryId = englishIds.value(saudi, englishIds.first());

    places.SetArabic();
    QStringList countries{u"-- جميع الدول --"_qs};
    QList<unsigned int> countryIds{0};
    ASSERT_GE(places.GetAllCountries(&countries, &countryIds), 0);
    QStringList cities;
    QList<unsigned int> cityIds;
    ASSERT_GE(places.GetCities(countryId, &cities, &cityIds), 0);
    ASSERT_GE(cityIds.size(), 1);
    places.Close();

    QWidget panel;
    panel.setLayoutDirection(Qt::RightToLeft);
    panel.setFont(TestFont());
    panel.setAutoFillBackground(true);
    QPalette palette = panel.palette();
    palette.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
    palette.setColor(QPalette::Base, Qt::white);
    panel.setPalette(palette);
    panel.resize(420, 270);

    // Labels the way the pages make them: ShapeText's output, right-aligned.
    QLabel countriesLabel(&panel);
    QLabel citiesLabel(&panel);
    QString shaped;
    ShapeText(u"البلد"_qs, shaped, 1);
    countriesLabel.setText(shaped);
    ShapeText(u"المدينة"_qs, shaped, 1);
    citiesLabel.setText(shaped);
    countriesLabel.setGeometry(215, 8, 195, 22);
    citiesLabel.setGeometry(10, 8, 195, 22);
    for (QLabel* label : {&countriesLabel, &citiesLabel}) {
        label->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter);
        const QString text = label->text();
        EXPECT_FALSE(text.isEmpty());
        EXPECT_TRUE(std::all_of(text.begin(), text.end(), IsPresentationForm))
            << text.toStdString();
    }

    // Lists in Arabic mode, drawn in the pages' colours.
    CBiDiListCtrl countryList(&panel);
    CBiDiListCtrl cityList(&panel);
    countryList.setGeometry(215, 32, 195, 180);
    cityList.setGeometry(10, 32, 195, 180);
    FillList(&countryList, countries, countryIds);
    FillList(&cityList, cities, cityIds);
    for (CBiDiListCtrl* list : {&countryList, &cityList}) {
        list->headerItem()->setTextAlignment(0, Qt::AlignRight);
        QObject::connect(list, &CBiDiListCtrl::PrePaint, [](QPainter* dc) {
            dc->setPen(QColor(0x42, 0x3F, 0x73));
            dc->setBackground(QColor(0xC8, 0xC8, 0xFA));
            dc->setBackgroundMode(Qt::TransparentMode);
        });
    }
    QTreeWidgetItem* country = countryList.topLevelItem(int(countryIds.indexOf(countryId)));
    country->setSelected(true);
    countryList.scrollToItem(country, QAbstractItemView::PositionAtCenter);
    cityList.topLevelItem(0)->setSelected(true);

    CBiDiEdit name;
    QLineEdit* nameEdit = name.Create(&panel);
    nameEdit->setGeometry(10, 228, 400, 30);
    nameEdit->setText(cities.value(0));
    EXPECT_NE(name.HandOver(), 0);

    const QImage image = Grab(&panel);
    const QString directory = QStringLiteral(TERRAFIND_BINARY_DIR "/screenshots");
    ASSERT_TRUE(QDir().mkpath(directory));
    EXPECT_TRUE(image.save(directory + QStringLiteral("/bidi-arabic-lists.png")));

    // Every row in view ends 2 pixels inside the right edge of its cell.
    for (CBiDiListCtrl* list : {&countryList, &cityList}) {
        const QImage rows = Grab(list->viewport());
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QRect row = list->visualItemRect(list->topLevelItem(i));
            if (!list->viewport()->rect().contains(row))
                continue;
            const QColor behind = list->topLevelItem(i)->isSelected() ? QColor(0xC8, 0xC8, 0xFA)
                                                                       : QColor(Qt::white);
            const QRect ink = InkBox(rows, row, behind);
            SCOPED_TRACE(list->topLevelItem(i)->text(0).toStdString());
            ASSERT_FALSE(ink.isNull());
            // A letter's side bearing may leave a few pixels (alef has most).
            EXPECT_LE(ink.right(), row.right() - 2);
            EXPECT_GE(ink.right(), row.right() - 6);
        }
    }
}

} // namespace
