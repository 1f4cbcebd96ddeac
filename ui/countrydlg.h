// The country form: one country's name and prayer-time calculation method.
#pragma once

#include "bidi/bidiedit.h"
#include "modaldialog.h"

#include <QLineEdit>
#include <QString>

#include <cstdint>

class QComboBox;

// Template 106. The opener sets the Arabic flag and, to edit a country,
// the name (in the picker's language) and the method, runs the form with
// DoModal and, after kOK, reads both back. The form touches no stored data.
//
// Refusals keep the form open: an empty name with a beep and the focus on
// the name; a name longer than kMaxName characters with a message (both
// through CUserMessages, so a test can answer them).
class CCountryDlg : public CModalDialog<CCountryDlg> {
    Q_OBJECT
public:
    static constexpr int kMaxName = 50;

    explicit CCountryDlg(QWidget* parent = nullptr);

    int m_bArabic = 0;
    QString m_strName;
    // Calculation-method code 0 to 4; -1 after OK with no method selected.
    std::int16_t m_sMethod = 0;

    QLineEdit* NameEdit() const { return m_name.Edit(); }
    QComboBox* MethodCombo() const { return m_methods; }

protected:
    void OnInitDialog() override;
    void OnOK();

private:
    void SetUpEnglish();
    void SetUpArabic();
    // Adds the methods in code order; the list keeps them sorted by text.
    void FillMethods(const QStringList& texts);

    CBiDiEdit m_name;
    QComboBox* m_methods = nullptr;
};
