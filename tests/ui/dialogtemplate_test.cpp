// Dialog templates and their layout in pixels.
#include "ui/dialogtemplate.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

TEST(DialogTemplate, EveryTemplateBuildsWithEveryControlFoundByID)
{
    // Control counts of templates 103 to 107.
    const std::pair<int, int> templates[] = {{103, 5}, {104, 9}, {105, 21}, {106, 7}, {107, 4}};
    for (const auto& [id, count] : templates) {
        SCOPED_TRACE(id);
        const CDialogTemplate dialog = CDialogTemplate::Load(id);
        ASSERT_EQ(dialog.id, id);
        EXPECT_EQ(dialog.controls.size(), count);
        QWidget page;
        BuildDialog(&page, dialog);
        for (const CControlTemplate& control : dialog.controls) {
            QWidget* widget = FindControl(&page, control.id);
            ASSERT_NE(widget, nullptr) << control.id;
            const QRect expected = DialogUnitsToPixels(control.units, DialogBaseUnits(DialogFont()));
            EXPECT_EQ(widget->geometry().topLeft(), expected.topLeft());
            EXPECT_EQ(widget->width(), expected.width());
        }
    }
    EXPECT_EQ(CDialogTemplate::Load(999).id, 0);
}

TEST(DialogTemplate, DialogUnitsScaleByTheFontsBaseUnits)
{
    // With base units 6 x 13 (an 8-point dialog font at 96 dpi) the map's
    // placeholder, 150 x 75 units, holds the 225 x 120 map.
    const QRect map = DialogUnitsToPixels(QRect(5, 5, 150, 75), QSize(6, 13));
    EXPECT_EQ(map, QRect(8, 8, 225, 122));
    const QSize base = DialogBaseUnits(DialogFont());
    EXPECT_GE(base.width(), 4);
    EXPECT_GE(base.height(), 9);
}

TEST(DialogTemplate, StylesBecomeWidgetBehaviour)
{
    QWidget form;
    BuildDialog(&form, CDialogTemplate::Load(105));
    // Digits-only edits take no sign or letter.
    auto* degrees = FindControl<QLineEdit>(&form, 1118);
    ASSERT_NE(degrees, nullptr);
    int at = 0;
    QString minus = QStringLiteral("-5");
    EXPECT_NE(degrees->validator()->validate(minus, at), QValidator::Acceptable);
    QString digits = QStringLiteral("175");
    EXPECT_EQ(degrees->validator()->validate(digits, at), QValidator::Acceptable);
    // Each radio pair is exclusive on its own.
    FindControl<QRadioButton>(&form, 1120)->setChecked(true);
    FindControl<QRadioButton>(&form, 1125)->setChecked(true);
    FindControl<QRadioButton>(&form, 1121)->setChecked(true);
    EXPECT_FALSE(FindControl<QRadioButton>(&form, 1120)->isChecked());
    EXPECT_TRUE(FindControl<QRadioButton>(&form, 1125)->isChecked());
    EXPECT_FALSE(FindControl(&form, 1101)); // not in this template

    QWidget page;
    BuildDialog(&page, CDialogTemplate::Load(103));
    EXPECT_FALSE(FindControl(&page, 1101)->isVisibleTo(&page)) << "the map placeholder stays invisible";
}

} // namespace
