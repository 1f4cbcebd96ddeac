// Edits handed over to the edit-control library.
#include "bidi/bidiedit.h"
#include "bidi/textlibs/kvedit12.h"
#include "drawing.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>

#include <gtest/gtest.h>

namespace {

// Where the text of an edit sits, as a share of the edit's width: the
// middle of its ink.
double InkCentre(QLineEdit* edit)
{
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, Qt::white);
    edit->setPalette(palette);
    const QImage image = Grab(edit);
    const QRect ink = InkBox(image, image.rect().adjusted(4, 4, -4, -4), Qt::white);
    return ink.isNull() ? -1 : double(ink.center().x()) / image.width();
}

QLineEdit* NewEdit(QWidget* parent, const QString& text, Qt::LayoutDirection direction)
{
    auto* edit = new QLineEdit(parent);
    edit->setFont(TestFont());
    edit->resize(200, 28);
    edit->setLayoutDirection(direction);
    edit->setText(text);
    return edit;
}

TEST(BiDiEdit, AttachHandsTheEditOver)
{
    QWidget form;
    CBiDiEdit name;
    EXPECT_EQ(name.HandOver(), 0);
    EXPECT_FALSE(name.Attach(nullptr));
    EXPECT_EQ(name.HandOver(), 0);

    QLineEdit* edit = NewEdit(&form, QString(), Qt::RightToLeft);
    ASSERT_TRUE(name.Attach(edit));
    EXPECT_EQ(name.Edit(), edit);
    EXPECT_NE(name.HandOver(), 0);
    EXPECT_EQ(edit->cursorMoveStyle(), Qt::VisualMoveStyle);

    // Handed over once: a second binding keeps the first result, and the
    // library equips an edit only once however often it is asked.
    const std::intptr_t first = name.HandOver();
    ASSERT_TRUE(name.Attach(edit));
    EXPECT_EQ(name.HandOver(), first);
    EXPECT_EQ(KvEditAttach(edit), first);
}

TEST(BiDiEdit, CreateMakesAHandedOverChild)
{
    QWidget form;
    CBiDiEdit latitude;
    QLineEdit* edit = latitude.Create(&form);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->parentWidget(), &form);
    EXPECT_NE(latitude.HandOver(), 0);
}

TEST(BiDiEdit, OnlyLineEditsCanBeEquipped)
{
    QWidget notAnEdit;
    EXPECT_EQ(KvEditAttach(&notAnEdit), 0);
    EXPECT_EQ(KvEditAttach(nullptr), 0);
}

TEST(BiDiEdit, TextFollowsTheEditsReadingOrder)
{
    // Qt aligns a plain line edit by its text: digits in a right-to-left
    // edit sit on the left. A handed-over edit aligns by its reading order.
    struct Row {
        const char* name;
        QString text;
        Qt::LayoutDirection direction;
        bool right;
    };
    const Row rows[] = {
        {"digits, right to left", u"39"_qs, Qt::RightToLeft, true},
        {"latin, right to left", u"Makkah"_qs, Qt::RightToLeft, true},
        {"arabic, right to left", u"مكة"_qs, Qt::RightToLeft, true},
        {"arabic, left to right", u"مكة"_qs, Qt::LeftToRight, false},
        {"digits, left to right", u"39"_qs, Qt::LeftToRight, false},
    };
    QWidget form;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CBiDiEdit bidi;
        QLineEdit* edit = NewEdit(&form, row.text, row.direction);
        bidi.Attach(edit);
        const double centre = InkCentre(edit);
        ASSERT_GE(centre, 0);
        EXPECT_EQ(centre > 0.5, row.right) << centre;
    }

    // The plain edit the library improves on.
    QLineEdit* plain = NewEdit(&form, u"39"_qs, Qt::RightToLeft);
    EXPECT_LT(InkCentre(plain), 0.5);
}

TEST(BiDiEdit, AlignmentFollowsALaterChangeOfReadingOrder)
{
    QWidget form;
    CBiDiEdit bidi;
    QLineEdit* edit = NewEdit(&form, u"39"_qs, Qt::LeftToRight);
    bidi.Attach(edit);
    EXPECT_LT(InkCentre(edit), 0.5);
    edit->setLayoutDirection(Qt::RightToLeft); // as a form does in Arabic mode
    EXPECT_GT(InkCentre(edit), 0.5);
}

TEST(BiDiEdit, TypedArabicIsKeptInLogicalOrder)
{
    QWidget form;
    CBiDiEdit bidi;
    QLineEdit* edit = NewEdit(&form, QString(), Qt::RightToLeft);
    bidi.Attach(edit);
    for (const QString& letter : {u"م"_qs, u"ك"_qs, u"ة"_qs, u" "_qs, u"1"_qs}) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, letter);
        QApplication::sendEvent(edit, &press);
    }
    EXPECT_EQ(edit->text(), u"مكة 1"_qs);
    EXPECT_GT(InkCentre(edit), 0.5);
}

} // namespace
