// Dialog templates and their layout in pixels.
#include "ui/dialogtemplate.h"

#include <gtest/gtest.h>

namespace {

TEST(DialogTemplate, EveryTemplateBuildsAtItsPixelRectanglesWithEveryControlFoundByID)
{
    // Base units 6 x 13 (an 8-point font at 96 dpi): x * 6 / 4 and y * 13 / 8,
    // rounded, so the 150 x 75 unit placeholder holds the 225 x 120 map.
    EXPECT_EQ(DialogUnitsToPixels(QRect(5, 5, 150, 75), QSize(6, 13)), QRect(8, 8, 225, 122));
    EXPECT_EQ(tagDialogTemplate::Load(999).id, 0);
    // Control counts of templates 103 to 107, as resources/dialogs.json lists them.
    for (const auto& [id, count] : {std::pair{103, 5}, std::pair{104, 9}, std::pair{105, 21}, std::pair{106, 7}, std::pair{107, 4}}) {
        SCOPED_TRACE(id);
        const tagDialogTemplate dialog = tagDialogTemplate::Load(id);
        ASSERT_EQ(dialog.controls.size(), count);
        QWidget page;
        BuildDialog(&page, dialog);
        for (const tagControlTemplate& control : dialog.controls) {
            QWidget* widget = FindControl(&page, control.id);
            ASSERT_NE(widget, nullptr) << control.id;
            const QRect expected = DialogUnitsToPixels(control.units, DialogBaseUnits(DialogFont()));
            EXPECT_EQ(widget->geometry().topLeft(), expected.topLeft()) << control.id;
            EXPECT_EQ(widget->width(), expected.width()) << control.id;
        }
    }
}

} // namespace
