// A CUserMessages that records what the user would have been told and
// answers every box at once, installed for the life of the object.
#pragma once

#include "common/usermessages.h"

#include <QMessageBox>

#include <functional>

class CRecordingMessages : public CUserMessages {
public:
    struct tagShown {
        QMessageBox::Icon icon;
        QString caption;
        QString text;
        int beepsBefore; // stop beeps sounded before this box
    };

    CRecordingMessages() { Install(this); }
    ~CRecordingMessages() override { Install(nullptr); }

    void StopBeep() override { ++beeps; }
    void Show(QWidget*, Icon icon, const QString& caption, const QString& text) override
    {
        shown.append({QMessageBox::Icon(icon), caption, text, beeps});
        if (onShow)
            onShow(); // while the box would be up; timers keep running meanwhile
    }

    int beeps = 0;
    QList<tagShown> shown;
    std::function<void()> onShow;
};
