// The owner-drawn list and the handed-over edit, rendered into images and
// looked at a few pixels.
#include "bidi/bidiedit.h"
#include "bidi/bidilistctrl.h"
#include "bidi/textlibs/kvedit12.h"
#include "drawing.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QColor kSelection(0xC8, 0xC8, 0xFA);
const QColor kWhite(Qt::white); // the window colour behind the rows

class List : public testing::Test {
protected:
    List() { m_list.setFont(TestFont()); m_list.resize(240, 120); }

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

TEST_F(List, SelectedAndFocusedRowsAndTheOwnersColoursAndMode)
{
    for (const QString& name : {u"Makkah"_qs, u"Madinah"_qs, u"Riyadh"_qs})
        AddRow({name});
    EXPECT_EQ(m_list.SelectionBrush(), nullptr);
    m_list.topLevelItem(1)->setSelected(true);
    m_list.show();
    QApplication::setActiveWindow(&m_list);
    m_list.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_list) && m_list.hasFocus());
    m_list.setCurrentItem(m_list.topLevelItem(2), 0, QItemSelectionModel::NoUpdate);
    const QPoint aboveText(Row(1).left() + 3, Row(1).top() + 1); // inside the text's box
    QImage image = Render();
    EXPECT_EQ(std::tuple(Fill(image, 0), Fill(image, 1), Fill(image, 2)), std::tuple(kWhite, kSelection, kWhite));
    EXPECT_EQ(image.pixelColor(aboveText), kWhite) << "by default the text's box is opaque in the window colour";
    ASSERT_NE(m_list.SelectionBrush(), nullptr); // made on first use
    EXPECT_EQ(m_list.SelectionBrush()->color(), kSelection);
    // A dotted line along the top of the focused row only.
    const auto topLine = [&](int row) { return InkBox(image, QRect(Row(row).topLeft(), QSize(Row(row).width(), 1))); };
    EXPECT_TRUE(topLine(2).width() > Row(2).width() / 2 && topLine(0).isNull());

    // The pages' own text colour on a transparent background: the selection
    // shows behind the text.
    const QColor listText(0x42, 0x3F, 0x73);
    QObject::connect(&m_list, &CBiDiListCtrl::PrePaint, [&](QPainter* dc) {
        dc->setPen(listText);
        dc->setBackgroundMode(Qt::TransparentMode);
    });
    image = Render();
    EXPECT_EQ(image.pixelColor(aboveText), kSelection);
    EXPECT_FALSE(InkBox(image, Row(1), listText, true).isNull());
}

TEST_F(List, PutsTheTextWhereTheColumnSaysAndShortensItWithinItsCell)
{
    // By layout direction, column and the column's format: 2 pixels inside
    // the cell at its left (L) or right (R), or in its middle (C), give or
    // take a glyph's side bearing.
    const std::tuple<Qt::LayoutDirection, int, Qt::AlignmentFlag, char> rows[] = {
        {Qt::LeftToRight, 0, Qt::AlignLeft, 'L'}, {Qt::LeftToRight, 0, Qt::AlignHCenter, 'C'},
        {Qt::RightToLeft, 0, Qt::AlignLeft, 'R'}, {Qt::RightToLeft, 0, Qt::AlignHCenter, 'R'}, // the first column reads from the right
        {Qt::RightToLeft, 1, Qt::AlignHCenter, 'C'}, {Qt::RightToLeft, 1, Qt::AlignLeft, 'L'},
        {Qt::RightToLeft, 1, Qt::AlignRight, 'R'},
    };
    m_list.setColumnCount(2);
    m_list.setColumnWidth(0, 110);
    m_list.setColumnWidth(1, 110);
    AddRow({u"مكة"_qs, u"مكة"_qs});
    for (const auto& [direction, column, format, place] : rows) {
        m_list.setLayoutDirection(direction);
        m_list.headerItem()->setTextAlignment(column, format);
        const QRect cell = Cell(column), ink = InkBox(Render(), cell);
        const int inside = place == 'L' ? ink.left() - cell.left() : place == 'R' ? cell.right() - ink.right()
                                                                                 : ink.center().x() - cell.center().x() + 2;
        EXPECT_NEAR(inside, 2, 2) << direction << " column " << column << " format " << format;
    }
    m_list.topLevelItem(0)->setText(0, u"المملكة العربية السعودية ودولة الإمارات العربية المتحدة"_qs);
    m_list.topLevelItem(0)->setText(1, QString());
    const QRect ink = InkBox(Render(), Cell(0).adjusted(-10, 0, 10, 0));
    EXPECT_TRUE(ink.left() >= Cell(0).left() + 2 && ink.right() <= Cell(0).right() - 1) << "a long text stays in its cell";
}

// Qt aligns a plain line edit by its text, so digits in a right-to-left
// edit sit on the left. A handed-over edit aligns by its reading order,
// also after the order changes (as a form's does in Arabic mode).
TEST(BiDiEdit, IsHandedOverOnceAndAlignsByItsReadingOrder)
{
    QWidget form;
    const auto newEdit = [&](const QString& text) {
        auto* edit = new QLineEdit(text, &form);
        edit->setFont(TestFont());
        edit->resize(200, 28);
        edit->setLayoutDirection(Qt::RightToLeft);
        return edit;
    };
    const auto textOnTheRight = [](QLineEdit* edit) { // in the right half
        const QImage image = Grab(edit);
        const QRect ink = InkBox(image, image.rect().adjusted(4, 4, -4, -4));
        return !ink.isNull() && ink.center().x() > image.width() / 2;
    };
    CBiDiEdit name, created;
    EXPECT_FALSE(name.Attach(nullptr));
    EXPECT_EQ(name.HandOver(), 0);
    EXPECT_FALSE(textOnTheRight(newEdit(u"39"_qs))); // plain
    for (const QString& text : {u"39"_qs, u"Makkah"_qs, u"مكة"_qs}) {
        SCOPED_TRACE(text.toStdString());
        CBiDiEdit bidi;
        QLineEdit* edit = newEdit(text);
        ASSERT_TRUE(bidi.Attach(edit));
        EXPECT_TRUE(textOnTheRight(edit));
        edit->setLayoutDirection(Qt::LeftToRight);
        EXPECT_FALSE(textOnTheRight(edit));
        edit->setLayoutDirection(Qt::RightToLeft);
        EXPECT_TRUE(textOnTheRight(edit));
        // A second binding keeps the first result: the library equips an edit once.
        const std::intptr_t first = bidi.HandOver();
        ASSERT_TRUE(bidi.Attach(edit));
        EXPECT_EQ(std::tuple(bidi.HandOver(), KvEditAttach(edit), edit->cursorMoveStyle()),
                  std::tuple(first, first, Qt::VisualMoveStyle));
    }
    EXPECT_EQ(created.Create(&form)->parentWidget(), &form);
    EXPECT_NE(created.HandOver(), 0);
    EXPECT_EQ(std::pair(KvEditAttach(&form), KvEditAttach(nullptr)), std::pair(std::intptr_t(0), std::intptr_t(0)))
        << "not a line edit";
}

} // namespace
