// The picker's sheet: the Select page as tab 0 and the Add page as tab 1,
// in a modal window with a Done button in its title area and no menu.
#pragma once

#include "advancedpage.h"
#include "selectpage.h"

#include <QDialog>

#include <functional>

class QTabWidget;

class CCityPropSheet : public QDialog {
    Q_OBJECT
public:
    // Result codes of the sheet, as Show returns them.
    enum { kOK = 1, kCancel = 2 };

    CCityPropSheet(const QString& caption, int readOnly, QWidget* parent = nullptr, int startPage = 0);

    CMapSimplePage m_selectPage;
    // Created when its tab is first chosen; never on a read-only sheet,
    // whose tab strip is disabled.
    CAdvancedPage m_addPage;
    int m_bArabic = 0;
    int m_bReadOnly = 0;

    // Runs the sheet modally: kOK or kCancel. The pages have recorded
    // their results when it returns.
    int Run();
    // The set-up Run does before the window opens: pages initialised with
    // the Arabic and read-only flags, tabs labelled, window sized.
    void OnInitDialog();
    QTabWidget* Tabs() const { return m_tabs; }

    // Called with every sheet once it is on screen, inside its modal loop;
    // lets a test (or an automation host) answer the picker without
    // blocking. Empty to switch off.
    static void SetShownHook(std::function<void(CCityPropSheet*)> hook);

protected:
    void showEvent(QShowEvent* event) override;

private:

    QTabWidget* m_tabs;
    int m_startPage;
};

// Runs the picker for a back end, as every back end's Show does: city is
// read for its city and country IDs and, after a pick, filled by read.
// Works with or without a QApplication in the host.
using ReadChosenCity = HRESULT (*)(CTerrafind* backend, std::uint32_t cityID, std::uint32_t countryID, CCity* city);
int RunPicker(CTerrafind* backend, CCity* city, int arabic, int readOnly, ReadChosenCity read);
