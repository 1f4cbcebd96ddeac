// What the component tells the user, and the failure beep, without knowing
// how it reaches them.
#pragma once

#include <QString>

class QWidget;

// Every message the component gives the user goes through the object
// installed here. The default is the picker's message boxes (they register
// themselves, ui/messageboxes.cpp); this class itself writes the text to the
// standard error stream and sounds nothing, for code without widgets.
// Tests install one that records and answers at once, so that no test
// waits on a box.
class CUserMessages {
public:
    // The message's icon; the values are QMessageBox::Icon's.
    enum Icon { NoIcon = 0, Information = 1, Warning = 2, Critical = 3, Question = 4 };

    virtual ~CUserMessages();

    // The sound that goes with a failure (the stop beep).
    virtual void StopBeep();
    // A modal box with one OK button. An empty caption is the application's
    // name.
    virtual void Show(QWidget* parent, Icon icon, const QString& caption, const QString& text);

    static CUserMessages& Current();
    // Makes messages (not owned) the current object; null restores the
    // default.
    static void Install(CUserMessages* messages);
    // Makes messages (not owned) the default; null makes it this class.
    static void SetDefault(CUserMessages* messages);
};
