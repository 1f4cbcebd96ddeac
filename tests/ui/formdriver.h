// Drives the modal city and country forms from inside their own event
// loops, so that no test blocks on one.
#pragma once

#include "ui/citydlg.h"
#include "ui/countrydlg.h"
#include "ui/dialogtemplate.h"

#include <QGroupBox>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include <functional>

// Runs step on the next form of that kind once it is on screen; step ends
// the form (Press(form, 1) for OK, 2 for Cancel) or leaves it open for a
// later step.
template <typename Form>
void WhenFormShown(std::function<void(Form*)> step)
{
    Form::SetShownHook([step](Form* form) {
        Form::SetShownHook({}); // once
        step(form);
    });
}

// Clicks the form's push button with that control ID (1 OK, 2 Cancel).
inline void Press(QWidget* form, int id)
{
    if (auto* button = FindControl<QPushButton>(form, id))
        button->click();
}

// Runs form modally with step inside its loop; the form's result.
template <typename Form>
int RunForm(Form& form, std::function<void(Form*)> step)
{
    WhenFormShown<Form>(std::move(step));
    return form.DoModal();
}

// Where the style draws a group box's title, in the box's own pixels.
inline QRect GroupTitleRect(const QGroupBox* group)
{
    QStyleOptionGroupBox option;
    option.initFrom(group);
    option.text = group->title();
    option.textAlignment = group->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    return group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
}

// True when the title ends at the box's right edge (within the style's margin).
inline bool TitleAtTheRight(const QGroupBox* group)
{
    const QRect title = GroupTitleRect(group);
    return title.x() > group->width() / 2 && title.right() > group->width() - 16;
}
