// The owner-drawn list, rendered into images and looked at a few pixels.
#include "bidi/bidilistctrl.h"
#include "drawing.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QColor kSelection(0xC8, 0xC8, 0xFA);
const QColor kListText(0x42, 0x3F, 0x73); // the pages' text colour 0x733F42

// A list of the given rows in a fixed font and size, white behind its rows.
class ListFixture : public testing::Test {
protected:
    ListFixture()
    {
        m_list.setFont(TestFont());
        QPalette palette = m_list.palette();
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Text, Qt::black);
        m_list.setPalette(palette);
        m_list.resize(240, 120);
    }

    void AddRows(const QStringList& rows)
    {
        for (const QString& text : rows)
            m_list.addTopLevelItem(new QTreeWidgetItem(QStringList{text}));
    }

    // The viewport as the user sees it; row and cell rectangles are in its
    // coordinates.
    QImage Render() { return Grab(m_list.viewport()); }
    QRect Row(int row) { return m_list.visualItemRect(m_list.topLevelItem(row)); }
    QRect Cell(int row, int column)
    {
        return QRect(m_list.columnViewportPosition(column), Row(row).top(),
                     m_list.columnWidth(column), Row(row).height());
    }

    CBiDiListCtrl m_list;
};

TEST_F(ListFixture, SelectedRowIsFilledWithTheSelectionColour)
{
    AddRows({u"Makkah"_qs, u"Madinah"_qs, u"Riyadh"_qs});
    EXPECT_EQ(m_list.SelectionBrush(), nullptr);
    m_list.topLevelItem(1)->setSelected(true);
    const QImage image = Render();

    const QRect selected = Row(1);
    // Right of the text, the row shows the selection brush; the others the
    // window colour.
    EXPECT_EQ(image.pixelColor(selected.right() - 4, selected.center().y()), kSelection);
    EXPECT_EQ(image.pixelColor(Row(0).right() - 4, Row(0).center().y()), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(Row(2).right() - 4, Row(2).center().y()), QColor(Qt::white));
    ASSERT_NE(m_list.SelectionBrush(), nullptr);
    EXPECT_EQ(m_list.SelectionBrush()->color(), kSelection);
}

TEST_F(ListFixture, FocusedRowShowsItsFrame)
{
    AddRows({u"Makkah"_qs, u"Madinah"_qs});
    m_list.show();
    QApplication::setActiveWindow(&m_list);
    m_list.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_list));
    ASSERT_TRUE(m_list.hasFocus());
    m_list.setCurrentItem(m_list.topLevelItem(1), 0, QItemSelectionModel::NoUpdate);
    const QImage image = Render();

    // A dotted line along the top edge of the focused, unselected row: on
    // the window colour, not on the selection brush.
    auto framePixels = [&](const QRect& row) {
        int count = 0;
        for (int x = row.left(); x <= row.right(); ++x)
            count += image.pixelColor(x, row.top()) != QColor(Qt::white);
        return count;
    };
    EXPECT_GT(framePixels(Row(1)), Row(1).width() / 3);
    EXPECT_EQ(framePixels(Row(0)), 0);
    EXPECT_EQ(image.pixelColor(Row(1).right() - 4, Row(1).center().y()), QColor(Qt::white));
    EXPECT_EQ(m_list.SelectionBrush(), nullptr);
}

// Where a cell's text sits: rows of layout direction, column, the column's
// format and the expected place. Left and right are 2 pixels inside the
// cell; glyphs may add a pixel of side bearing.
enum class Place { Left, Centre, Right };
struct AlignRow {
    const char* name;
    Qt::LayoutDirection direction;
    int column;
    Qt::Alignment format;
    Place expected;
};
const AlignRow kAlignRows[] = {
    {"ltr_first_left", Qt::LeftToRight, 0, Qt::AlignLeft, Place::Left},
    {"ltr_first_right", Qt::LeftToRight, 0, Qt::AlignRight, Place::Right},
    {"ltr_first_centred", Qt::LeftToRight, 0, Qt::AlignHCenter, Place::Centre},
    {"rtl_first_left_is_right", Qt::RightToLeft, 0, Qt::AlignLeft, Place::Right},
    {"rtl_first_centred_is_right", Qt::RightToLeft, 0, Qt::AlignHCenter, Place::Right},
    {"ltr_second_centred", Qt::LeftToRight, 1, Qt::AlignHCenter, Place::Centre},
    {"rtl_second_centred", Qt::RightToLeft, 1, Qt::AlignHCenter, Place::Centre},
    {"rtl_second_left", Qt::RightToLeft, 1, Qt::AlignLeft, Place::Left},
    {"rtl_second_right", Qt::RightToLeft, 1, Qt::AlignRight, Place::Right},
};

class ListAlignment : public ListFixture, public testing::WithParamInterface<AlignRow> {};

TEST_P(ListAlignment, PutsTheTextWhereTheColumnSays)
{
    const AlignRow& row = GetParam();
    m_list.setColumnCount(2);
    m_list.setColumnWidth(0, 110);
    m_list.setColumnWidth(1, 110);
    m_list.setLayoutDirection(row.direction);
    m_list.headerItem()->setTextAlignment(row.column, row.format);
    m_list.addTopLevelItem(new QTreeWidgetItem(QStringList{u"مكة"_qs, u"مكة"_qs}));
    const QImage image = Render();

    const QRect cell = Cell(0, row.column);
    const QRect ink = InkBox(image, cell, Qt::white);
    ASSERT_FALSE(ink.isNull());
    switch (row.expected) {
    case Place::Left:
        EXPECT_NEAR(ink.left(), cell.left() + 2, 1);
        break;
    case Place::Right:
        EXPECT_NEAR(ink.right(), cell.right() - 2, 2);
        break;
    case Place::Centre:
        EXPECT_NEAR(ink.center().x(), cell.center().x(), 2);
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, ListAlignment, testing::ValuesIn(kAlignRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListFixture, LongTextIsShortenedWithinItsCell)
{
    m_list.setLayoutDirection(Qt::RightToLeft);
    AddRows({u"المملكة العربية السعودية ودولة الإمارات العربية المتحدة"_qs});
    const QImage image = Render();
    const QRect cell = Cell(0, 0);
    const QRect ink = InkBox(image, cell.adjusted(-10, 0, 10, 0), Qt::white);
    ASSERT_FALSE(ink.isNull());
    EXPECT_GE(ink.left(), cell.left() + 2);
    EXPECT_LE(ink.right(), cell.right() - 1);
}

TEST_F(ListFixture, OwnerSetsColoursAndModeBeforeTheRowsAreDrawn)
{
    AddRows({u"Makkah"_qs});
    m_list.topLevelItem(0)->setSelected(true);
    const QRect row = Row(0);
    // Just above the letters, inside the text's box.
    const QPoint aboveText(row.left() + 3, row.top() + 1);

    // By default the text's box is opaque in the window colour.
    QImage image = Render();
    EXPECT_EQ(image.pixelColor(aboveText), QColor(Qt::white));

    // The pages draw their lists in their own text colour on a transparent
    // background, so the selection brush shows behind the text.
    QObject::connect(&m_list, &CBiDiListCtrl::PrePaint, [](QPainter* dc) {
        dc->setPen(kListText);
        dc->setBackground(QColor(0xC8, 0xC8, 0xFA));
        dc->setBackgroundMode(Qt::TransparentMode);
    });
    image = Render();
    EXPECT_EQ(image.pixelColor(aboveText), kSelection);
    bool textColourSeen = false;
    for (int x = row.left(); x < row.left() + 60; ++x)
        for (int y = row.top(); y <= row.bottom(); ++y)
            textColourSeen |= image.pixelColor(x, y) == kListText;
    EXPECT_TRUE(textColourSeen);
}

TEST_F(ListFixture, ListWithoutColumnsDrawsNothing)
{
    AddRows({u"Makkah"_qs});
    QImage image = WhiteImage(200, 40);
    {
        QPainter dc(&image);
        dc.setFont(TestFont());
        m_list.setColumnCount(0);
        m_list.DrawItem(&dc, 0, CBiDiListCtrl::kStateSelected, QRect(0, 0, 200, 20));
    }
    EXPECT_TRUE(InkBox(image, image.rect(), Qt::white).isNull());
    EXPECT_EQ(m_list.SelectionBrush(), nullptr);
}

TEST_F(ListFixture, RowThatDoesNotExistDrawsNothing)
{
    AddRows({u"Makkah"_qs});
    QImage image = WhiteImage(200, 40);
    {
        QPainter dc(&image);
        m_list.DrawItem(&dc, 5, CBiDiListCtrl::kStateSelected, QRect(0, 0, 200, 20));
    }
    EXPECT_TRUE(InkBox(image, image.rect(), Qt::white).isNull());
}

} // namespace
