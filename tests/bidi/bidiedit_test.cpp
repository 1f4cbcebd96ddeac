// Edits handed over to the edit-control library.
#include "bidi/bidiedit.h"
#include "bidi/textlibs/kvedit12.h"
#include "drawing.h"

#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

QLineEdit* NewEdit(QWidget* parent, const QString& text, Qt::LayoutDirection direction)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setFont(TestFont());
    edit->resize(200, 28);
    edit->setLayoutDirection(direction);
    return edit;
}

// Whether the edit's text sits in its right half.
bool TextOnTheRight(QLineEdit* edit)
{
    const QImage image = Grab(edit);
    const QRect ink = InkBox(image, image.rect().adjusted(4, 4, -4, -4));
    EXPECT_FALSE(ink.isNull());
    return ink.center().x() > image.width() / 2;
}

TEST(BiDiEdit, IsHandedOverOnceWhenAttachedOrCreated)
{
    QWidget form;
    CBiDiEdit name;
    EXPECT_FALSE(name.Attach(nullptr));
    EXPECT_EQ(name.HandOver(), 0);
    QLineEdit* edit = NewEdit(&form, QString(), Qt::RightToLeft);
    ASSERT_TRUE(name.Attach(edit));
    const std::intptr_t first = name.HandOver();
    EXPECT_NE(first, 0);
    EXPECT_EQ(edit->cursorMoveStyle(), Qt::VisualMoveStyle);
    // A second binding keeps the first result; the library equips an edit once.
    ASSERT_TRUE(name.Attach(edit));
    EXPECT_EQ(name.HandOver(), first);
    EXPECT_EQ(KvEditAttach(edit), first);

    CBiDiEdit latitude;
    EXPECT_EQ(latitude.Create(&form)->parentWidget(), &form);
    EXPECT_NE(latitude.HandOver(), 0);
    EXPECT_EQ(KvEditAttach(&form), 0); // not a line edit
    EXPECT_EQ(KvEditAttach(nullptr), 0);
}

TEST(BiDiEdit, TextFollowsTheEditsReadingOrder)
{
    // Qt aligns a plain line edit by its text, so digits in a right-to-left
    // edit sit on the left. A handed-over edit aligns by its reading order,
    // also after the order changes (as a form's does in Arabic mode).
    QWidget form;
    EXPECT_FALSE(TextOnTheRight(NewEdit(&form, u"39"_qs, Qt::RightToLeft))); // plain
    for (const QString& text : {u"39"_qs, u"Makkah"_qs, u"مكة"_qs}) {
        SCOPED_TRACE(text.toStdString());
        CBiDiEdit bidi;
        QLineEdit* edit = NewEdit(&form, text, Qt::RightToLeft);
        bidi.Attach(edit);
        EXPECT_TRUE(TextOnTheRight(edit));
        edit->setLayoutDirection(Qt::LeftToRight);
        EXPECT_FALSE(TextOnTheRight(edit));
        edit->setLayoutDirection(Qt::RightToLeft);
        EXPECT_TRUE(TextOnTheRight(edit));
    }
}

} // namespace
