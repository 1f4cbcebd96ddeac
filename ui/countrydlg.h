// The country form: one country's name and prayer-time calculation method.
#pragma once

#include "bidi/bidiedit.h"

#include <QDialog>
#include <QLineEdit>
#include <QString>

#include <cstdint>
#include <functional>

class QComboBox;

// Template 106. The opener sets the Arabic flag and, to edit a country,
// the name (in the picker's language) and the method, runs the form with
// DoModal and, after kOK, reads both back. The form touches no stored data.
//
// Refusals keep the form open: an empty name with a beep and the focus on
// the name; a name longer than kMaxName characters with a message (both
// through CUserMessages, so a test can answer them).
class CCountryDlg : public QDialog {
    Q_OBJECT
public:
    enum { kOK = 1, kCancel = 2 };
    static constexpr int kMaxName = 50;

    explicit CCountryDlg(QWidget* parent = nullptr);

    int m_bArabic = 0;
    QString m_strName;
    // Calculation-method code 0 to 4; -1 after OK with no method selected.
    std::int16_t m_sMethod = 0;

    // Runs the form modally: kOK or kCancel.
    int DoModal();

    QLineEdit* NameEdit() const { return m_name.Edit(); }
    QComboBox* MethodCombo() const { return m_methods; }

    // Called with every form once it is on screen, inside its modal loop,
    // so that a test can fill it in and end it. Empty to switch off.
    static void SetShownHook(std::function<void(CCountryDlg*)> hook);

    void reject() override;

protected:
    void OnInitDialog();
    void OnOK();
    void showEvent(QShowEvent* event) override;

private:
    void SetUpEnglish();
    void SetUpArabic();
    // Adds the methods in code order; the list keeps them sorted by text.
    void FillMethods(const QStringList& texts);

    CBiDiEdit m_name;               // 1116
    QComboBox* m_methods = nullptr; // 1128
};
