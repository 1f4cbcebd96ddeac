// The user messages as modal message boxes: the default wherever the
// picker is linked in.
#include "common/usermessages.h"
#include "labels.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

class CMessageBoxes : public CUserMessages {
public:
    void StopBeep() override
    {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()))
            QApplication::beep();
    }

    // Without a widget application (a command-line host) the text goes to
    // the standard error stream instead.
    void Show(QWidget* parent, Icon icon, const QString& caption, const QString& text) override
    {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
            CUserMessages::Show(parent, icon, caption, text);
            return;
        }
        const QString title = caption.isEmpty() ? QGuiApplication::applicationDisplayName() : caption;
        QMessageBox box(static_cast<QMessageBox::Icon>(icon), title, text, QMessageBox::Ok,
                        parent ? parent : QApplication::activeModalWidget());
        // An Arabic message reads right to left, its button in Arabic too.
        if (text.isRightToLeft()) {
            box.setLayoutDirection(Qt::RightToLeft);
            box.button(QMessageBox::Ok)->setText(ArabicDisplayLabel("message.ok"));
        }
        box.exec();
    }
};

static_assert(int(CUserMessages::Information) == QMessageBox::Information
              && int(CUserMessages::Warning) == QMessageBox::Warning
              && int(CUserMessages::Critical) == QMessageBox::Critical
              && int(CUserMessages::Question) == QMessageBox::Question);

CMessageBoxes g_messageBoxes;
// Before main runs, so that no message is ever given any other way unless
// a host or a test installs one.
[[maybe_unused]] const bool g_isDefault = (CUserMessages::SetDefault(&g_messageBoxes), true);

} // namespace
