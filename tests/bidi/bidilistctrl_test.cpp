// The owner-drawn list, rendered into images and looked at a few pixels.
#include "bidi/bidilistctrl.h"
#include "drawing.h"

#include <QApplication>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QColor kSelection(0xC8, 0xC8, 0xFA);
const QColor kWhite(Qt::white); // the window colour behind the rows

class ListFixture : public testing::Test {
protected:
    ListFixture() { m_list.setFont(TestFont()); m_list.resize(240, 120); }

    void AddRow(const QStringList& cells) { m_list.addTopLevelItem(new QTreeWidgetItem(cells)); }
    // The viewport as the user sees it; rows and cells are in its coordinates.
    QImage Render() { return Grab(m_list.viewport()); }
    QRect Row(int row) { return m_list.visualItemRect(m_list.topLevelItem(row)); }
    QRect Cell(int column)
    {
        return QRect(m_list.columnViewportPosition(column), Row(0).top(), m_list.columnWidth(column), Row(0).height());
    }
    // A pixel right of the text, where only the row's fill shows.
    QColor Fill(const QImage& image, int row) { return image.pixelColor(Row(row).right() - 4, Row(row).center().y()); }

    CBiDiListCtrl m_list;
};

TEST_F(ListFixture, SelectedRowIsFilledWithTheSelectionColour)
{
    for (const QString& name : {u"Makkah"_qs, u"Madinah"_qs, u"Riyadh"_qs})
        AddRow({name});
    EXPECT_EQ(m_list.SelectionBrush(), nullptr);
    m_list.topLevelItem(1)->setSelected(true);
    const QImage image = Render();
    EXPECT_EQ(Fill(image, 0), kWhite);
    EXPECT_EQ(Fill(image, 1), kSelection);
    EXPECT_EQ(Fill(image, 2), kWhite);
    ASSERT_NE(m_list.SelectionBrush(), nullptr); // made on first use
    EXPECT_EQ(m_list.SelectionBrush()->color(), kSelection);
}

TEST_F(ListFixture, FocusedRowShowsItsFrame)
{
    AddRow({u"Makkah"_qs});
    AddRow({u"Madinah"_qs});
    m_list.show();
    QApplication::setActiveWindow(&m_list);
    m_list.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_list) && m_list.hasFocus());
    m_list.setCurrentItem(m_list.topLevelItem(1), 0, QItemSelectionModel::NoUpdate);
    const QImage image = Render();
    // A dotted line along the top of the focused row, which stays unselected.
    auto topLine = [&](int row) { return InkBox(image, QRect(Row(row).topLeft(), QSize(Row(row).width(), 1))); };
    EXPECT_GT(topLine(1).width(), Row(1).width() / 2);
    EXPECT_TRUE(topLine(0).isNull());
    EXPECT_EQ(Fill(image, 1), kWhite);
}

TEST_F(ListFixture, PutsTheTextWhereTheColumnSays)
{
    // By layout direction, column and the column's format: 2 pixels inside
    // the cell, give or take a glyph's side bearing.
    enum Place { Left, Centre, Right };
    const std::tuple<Qt::LayoutDirection, int, Qt::AlignmentFlag, Place> rows[] = {
        {Qt::LeftToRight, 0, Qt::AlignLeft, Left},
        {Qt::LeftToRight, 0, Qt::AlignHCenter, Centre},
        {Qt::RightToLeft, 0, Qt::AlignLeft, Right}, // the first column reads from the right
        {Qt::RightToLeft, 0, Qt::AlignHCenter, Right},
        {Qt::RightToLeft, 1, Qt::AlignHCenter, Centre},
        {Qt::RightToLeft, 1, Qt::AlignLeft, Left},
        {Qt::RightToLeft, 1, Qt::AlignRight, Right},
    };
    m_list.setColumnCount(2);
    m_list.setColumnWidth(0, 110);
    m_list.setColumnWidth(1, 110);
    AddRow({u"مكة"_qs, u"مكة"_qs});
    for (const auto& [direction, column, format, place] : rows) {
        SCOPED_TRACE(testing::Message() << direction << " column " << column << " format " << format);
        m_list.setLayoutDirection(direction);
        m_list.headerItem()->setTextAlignment(column, format);
        const QRect cell = Cell(column);
        const QRect ink = InkBox(Render(), cell);
        if (place == Left)
            EXPECT_NEAR(ink.left(), cell.left() + 2, 1);
        else if (place == Right)
            EXPECT_NEAR(ink.right(), cell.right() - 2, 2);
        else
            EXPECT_NEAR(ink.center().x(), cell.center().x(), 2);
    }
}

TEST_F(ListFixture, LongTextIsShortenedWithinItsCell)
{
    m_list.setLayoutDirection(Qt::RightToLeft);
    AddRow({u"المملكة العربية السعودية ودولة الإمارات العربية المتحدة"_qs});
    const QRect ink = InkBox(Render(), Cell(0).adjusted(-10, 0, 10, 0));
    EXPECT_GE(ink.left(), Cell(0).left() + 2);
    EXPECT_LE(ink.right(), Cell(0).right() - 1);
}

TEST_F(ListFixture, OwnerSetsColoursAndModeBeforeTheRowsAreDrawn)
{
    AddRow({u"Makkah"_qs});
    m_list.topLevelItem(0)->setSelected(true);
    const QPoint aboveText(Row(0).left() + 3, Row(0).top() + 1); // inside the text's box
    // By default the text's box is opaque in the window colour.
    EXPECT_EQ(Render().pixelColor(aboveText), kWhite);

    // The pages' own text colour on a transparent background: the selection
    // shows behind the text.
    const QColor listText(0x42, 0x3F, 0x73);
    QObject::connect(&m_list, &CBiDiListCtrl::PrePaint, [&](QPainter* dc) {
        dc->setPen(listText);
        dc->setBackground(kSelection);
        dc->setBackgroundMode(Qt::TransparentMode);
    });
    const QImage image = Render();
    EXPECT_EQ(image.pixelColor(aboveText), kSelection);
    EXPECT_FALSE(InkBox(image, Row(0), listText, true).isNull());
}

TEST_F(ListFixture, MissingRowOrNoColumnsDrawsNothing)
{
    AddRow({u"Makkah"_qs});
    QImage image = WhiteImage(200, 40);
    QPainter dc(&image);
    m_list.DrawItem(&dc, 5, CBiDiListCtrl::kStateSelected, QRect(0, 0, 200, 20));
    m_list.setColumnCount(0);
    m_list.DrawItem(&dc, 0, CBiDiListCtrl::kStateSelected, QRect(0, 0, 200, 20));
    dc.end();
    EXPECT_TRUE(InkBox(image, image.rect()).isNull());
    EXPECT_EQ(m_list.SelectionBrush(), nullptr);
}

} // namespace
