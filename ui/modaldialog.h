// What every modal window of the picker shares: the result codes, running
// it modally, Cancel and Escape, and a hook that sees it once it is shown.
#pragma once

#include <QDialog>
#include <QTimer>

#include <functional>

// Dialog is the class deriving from this one: each class has a hook of
// its own, called with the dialog as that class.
template <typename Dialog>
class CModalDialog : public QDialog {
public:
    // Result codes, as DoModal (and the back ends' Show) return them.
    enum { kOK = 1, kCancel = 2 };

    // Runs OnInitDialog, then the dialog modally: kOK or kCancel.
    int DoModal()
    {
        OnInitDialog();
        return exec() == kOK ? kOK : kCancel;
    }

    // Called with every dialog of the class once it is on screen, inside
    // its modal loop, so that a test (or an automation host) can answer it
    // without blocking. Empty to switch off.
    static void SetShownHook(std::function<void(Dialog*)> hook) { ShownHook() = std::move(hook); }

    void reject() override { done(kCancel); }

    // Asked when the user confirms, once the dialog has read its values
    // back: false keeps the dialog open (the check has told the user why).
    // The opener uses it to refuse what the back end refuses, such as a
    // place that already exists, without losing what was typed.
    std::function<bool()> m_accept;

protected:
    explicit CModalDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = {}) : QDialog(parent, flags)
    {
        setModal(true);
    }

    // The set-up DoModal does before the window opens.
    virtual void OnInitDialog() {}

    // Ends with kOK unless the opener's check refuses.
    void Accept()
    {
        if (!m_accept || m_accept())
            done(kOK);
    }

    void showEvent(QShowEvent* event) override
    {
        QDialog::showEvent(event);
        if (ShownHook())
            QTimer::singleShot(0, this, [this] {
                // A copy: the hook may replace itself while it runs.
                if (const auto hook = ShownHook())
                    hook(static_cast<Dialog*>(this));
            });
    }

private:
    static std::function<void(Dialog*)>& ShownHook()
    {
        static std::function<void(Dialog*)> hook;
        return hook;
    }
};
