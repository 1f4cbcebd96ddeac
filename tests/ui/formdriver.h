// Drives the modal city and country forms from inside their own event
// loops, so that no test blocks on one.
#pragma once

#include "pickerdriver.h"

#include "ui/citydlg.h"
#include "ui/countrydlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>

// Runs step on the next form of that kind once it is on screen; step ends
// the form (Press(form, 1) for OK, 2 for Cancel), else it is cancelled.
template <typename Form>
void WhenFormShown(std::function<void(Form*)> step)
{
    Form::SetShownHook([step](Form* form) {
        Form::SetShownHook({}); // once
        step(form);
        if (form->isVisible()) // a failed assertion left it open
            form->reject();
    });
}

// Clicks the form's push button with that control ID (1 OK, 2 Cancel).
inline void Press(QWidget* form, int id)
{
    FindControl<QPushButton>(form, id)->click();
}

// Runs form modally with step inside its loop; the form's result.
template <typename Form>
int RunForm(Form& form, std::function<void(Form*)> step)
{
    WhenFormShown<Form>(std::move(step));
    return form.DoModal();
}

// The city form's number edits and hemisphere buttons as "zone,lon
// degree,lon minute,lat degree,lat minute,E|W,N|S": typed in, or read.
inline void TypeCity(CCityDlg* form, const QString& values)
{
    const QStringList v = values.split(u',');
    for (int i = 0; const int id : {1127, 1118, 1119, 1124, 1123})
        form->Edit(id)->setText(v[i++]);
    form->Radio(v[5] == "E"_L1 ? 1120 : 1121)->setChecked(true);
    form->Radio(v[6] == "N"_L1 ? 1125 : 1126)->setChecked(true);
}
inline QString ShownCity(const CCityDlg* form)
{
    QStringList v;
    for (const int id : {1127, 1118, 1119, 1124, 1123})
        v << form->Edit(id)->text();
    v << (form->Radio(1120)->isChecked() ? u"E"_s : form->Radio(1121)->isChecked() ? u"W"_s : u"?"_s);
    v << (form->Radio(1125)->isChecked() ? u"N"_s : form->Radio(1126)->isChecked() ? u"S"_s : u"?"_s);
    return v.join(u',');
}

// True when the style draws the group box's title at the box's right edge
// (within the style's margin).
inline bool TitleAtTheRight(const QGroupBox* group)
{
    QStyleOptionGroupBox option;
    option.initFrom(group);
    option.text = group->title();
    option.textAlignment = group->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect title = group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
    return title.x() > group->width() / 2 && title.right() > group->width() - 16;
}
