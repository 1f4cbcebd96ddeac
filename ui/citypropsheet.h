// The picker's sheet: the Select page as tab 0 and the Add page as tab 1,
// in a modal window with a Done button in its title area and no menu. The
// back ends' Show runs it (citypropsheet.cpp).
#pragma once

#include "addpage.h"
#include "modaldialog.h"
#include "selectpage.h"

class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QTabWidget;

class CCityPropSheet : public CModalDialog<CCityPropSheet> {
    Q_OBJECT
public:
    CCityPropSheet(const QString& caption, int readOnly, QWidget* parent = nullptr, int startPage = 0);

    CSelectPage m_selectPage;
    // Created when its tab is first chosen; never on a read-only sheet,
    // whose tab strip is disabled.
    CAddPage m_addPage;
    int m_bArabic = 0;
    int m_bReadOnly = 0;

    // Runs the sheet modally: kOK or kCancel. The pages have recorded
    // their results when it returns.
    int Run();
    // The set-up Run does before the window opens: pages initialised with
    // the Arabic and read-only flags, tabs labelled, window sized.
    void OnInitDialog() override;
    QTabWidget* Tabs() const { return m_tabs; }
    QPushButton* DoneButton() const { return m_done; }
    QPushButton* CancelButton() const { return m_cancel; }
    // The search field of the Select page, in the title row beside Done.
    QLineEdit* SearchField() const { return m_search; }

protected:
    // The search field hands the arrow and page keys to the city list.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CMapPage* CurrentPage() const;
    void UpdateDone();

    QTabWidget* m_tabs;
    QPushButton* m_done = nullptr;
    QHBoxLayout* m_titleRow = nullptr;
    QPushButton* m_cancel = nullptr;
    QLineEdit* m_search = nullptr;
    int m_startPage;
};
