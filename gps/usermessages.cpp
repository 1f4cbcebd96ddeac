#include "usermessages.h"

#include <QApplication>

#include <cstdio>

namespace {

CUserMessages g_messageBoxes;
CUserMessages* g_current = &g_messageBoxes;

} // namespace

CUserMessages::~CUserMessages() = default;

void CUserMessages::StopBeep()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::beep();
}

void CUserMessages::Show(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return;
    }
    const QString title = caption.isEmpty() ? QGuiApplication::applicationDisplayName() : caption;
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent ? parent : QApplication::activeModalWidget());
    box.exec();
}

CUserMessages& CUserMessages::Current()
{
    return *g_current;
}

void CUserMessages::Install(CUserMessages* messages)
{
    g_current = messages ? messages : &g_messageBoxes;
}
