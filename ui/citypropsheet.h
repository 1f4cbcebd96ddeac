// The picker's sheet: the Select page as tab 0 and the Add page as tab 1,
// in a modal window with a Done button in its title area and no menu. The
// back ends' Show runs it (citypropsheet.cpp).
#pragma once

#include "addpage.h"
#include "modaldialog.h"
#include "selectpage.h"

#include <QSize>

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

    // Where the sheet's size and position are kept between pickers.
    static constexpr const char* kSettingsOrganization = "terrafind";
    static constexpr const char* kSettingsApplication = "picker";
    // The size the sheet first opens at, where the screen has room for it.
    static constexpr QSize kComfortableSize{640, 520};

    // Remembers the size and position the user leaves the sheet at.
    void done(int result) override;

protected:
    // The search field hands the arrow and page keys to the city list, and
    // Escape clears what it holds before it may cancel the sheet.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CMapPage* CurrentPage() const;
    void UpdateDone();
    // The size and position stored for the user, else a comfortable size;
    // never below the template's size nor beyond the screen.
    void PlaceWindow();

    QTabWidget* m_tabs;
    QPushButton* m_done = nullptr;
    QHBoxLayout* m_titleRow = nullptr;
    QPushButton* m_cancel = nullptr;
    QLineEdit* m_search = nullptr;
    int m_startPage;
};
