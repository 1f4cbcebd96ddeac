// The message boxes and beeps of the GPS subsystem.
#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// Every message the GPS classes give the user goes through the object
// installed here. The default shows modal message boxes; tests install one
// that records and answers at once, so that no test waits on a box.
class CUserMessages {
public:
    virtual ~CUserMessages();

    // The sound that goes with a failure (the stop beep).
    virtual void StopBeep();
    // A modal box with one OK button. An empty caption is the application's
    // name. Without a widget application (a command-line host) the text
    // goes to the standard error stream instead.
    virtual void Show(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text);

    static CUserMessages& Current();
    // Makes messages (not owned) the current object; null restores the
    // message boxes.
    static void Install(CUserMessages* messages);
};
