#include "citypropsheet.h"

#include "labels.h"

#include <terrafind/terrafinddb.h>
#include <terrafind/terrafindfile.h>

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>

CCityPropSheet::CCityPropSheet(const QString& caption, int readOnly, QWidget* parent, int startPage)
    : CModalDialog(parent), m_bReadOnly(readOnly), m_tabs(new QTabWidget(this)), m_startPage(startPage)
{
    setWindowTitle(caption);
    // The title area: the caption, Done, which ends with OK, and Cancel for
    // those who do not reach for Escape.
    m_done = new QPushButton(QStringLiteral("Done"), this);
    m_done->setObjectName(QStringLiteral("done"));
    m_done->setDefault(true);
    connect(m_done, &QPushButton::clicked, this, [this] { done(kOK); });
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &CCityPropSheet::reject);
    // Typing a few letters of a place lists the places that match on the
    // Select page; Enter is Done's, as anywhere in the sheet.
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setClearButtonEnabled(true);
    // It takes the room the row has and never widens the sheet.
    m_search->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_search->installEventFilter(this);
    connect(m_search, &QLineEdit::textChanged, &m_selectPage, &CSelectPage::ShowSearch);
    // The caption's stretch leaves room for more in this row.
    m_titleRow = new QHBoxLayout;
    m_titleRow->addWidget(new QLabel(caption, this), 1);
    m_titleRow->addWidget(m_search, 1);
    m_titleRow->addWidget(m_done);
    m_titleRow->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(m_titleRow);
    layout->addWidget(m_tabs);
    m_tabs->addTab(&m_selectPage, QString());
    m_tabs->addTab(&m_addPage, QString());
    connect(&m_selectPage, &CSelectPage::CityChosen, this, [this] { done(kOK); });
    // Done ends with the city highlighted on the page in view, so it waits
    // for one.
    for (CMapPage* page : {static_cast<CMapPage*>(&m_selectPage), static_cast<CMapPage*>(&m_addPage)})
        connect(page, &CMapPage::CityHighlightChanged, this, &CCityPropSheet::UpdateDone);
    connect(m_tabs, &QTabWidget::currentChanged, this, &CCityPropSheet::UpdateDone);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int tab) { m_search->setVisible(tab == 0); });
}

bool CCityPropSheet::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_search && event->type() == QEvent::KeyPress && m_selectPage.CityList()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            QCoreApplication::sendEvent(m_selectPage.CityList(), event);
            return true;
        }
        // A second Escape, on the empty field, cancels as it always did.
        if (key == Qt::Key_Escape && !m_search->text().isEmpty()) {
            m_search->clear();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

CMapPage* CCityPropSheet::CurrentPage() const
{
    return static_cast<CMapPage*>(m_tabs->currentWidget());
}

void CCityPropSheet::UpdateDone()
{
    m_done->setEnabled(CurrentPage() && CurrentPage()->HighlightedCity(nullptr));
}

void CCityPropSheet::OnInitDialog()
{
    // Every page sees the Arabic flag before it initialises itself.
    m_selectPage.SetArabic(m_bArabic);
    m_addPage.SetArabic(m_bArabic);
    m_selectPage.m_bReadOnly = m_bReadOnly != 0;
    m_selectPage.EnsureInitialised();
    m_tabs->setCurrentIndex(m_startPage);

    m_tabs->setTabText(0, DisplayLabel("Select", "select.tab", m_bArabic));
    m_tabs->setTabText(1, DisplayLabel("Add", "add.tab", m_bArabic));
    m_done->setText(DisplayLabel("Done", "sheet.done", m_bArabic));
    m_cancel->setText(DisplayLabel("Cancel", "sheet.cancel", m_bArabic));
    // Screen readers get the words, not the shaped display forms.
    m_done->setAccessibleName(PlainLabel("Done", "sheet.done", m_bArabic));
    m_cancel->setAccessibleName(PlainLabel("Cancel", "sheet.cancel", m_bArabic));
    // Qt shapes what is typed; the placeholder goes unshaped for the same reason.
    m_search->setPlaceholderText(PlainLabel("Search", "sheet.search", m_bArabic));
    m_search->setAccessibleName(PlainLabel("Search for a city", "a11y.search", m_bArabic));
    m_search->setVisible(m_startPage == 0);
    m_tabs->tabBar()->setAccessibleTabName(0, PlainLabel("Select", "select.tab", m_bArabic));
    m_tabs->tabBar()->setAccessibleTabName(1, PlainLabel("Add", "add.tab", m_bArabic));
    // A window with a name, for the window list and for screen readers.
    if (windowTitle().isEmpty())
        setWindowTitle(PlainLabel("Choose a City", "sheet.title", m_bArabic));
    if (m_bArabic) {
        m_tabs->setLayoutDirection(Qt::RightToLeft);
        m_titleRow->setDirection(QBoxLayout::RightToLeft);
        m_search->setLayoutDirection(Qt::RightToLeft);
    }
    // Only the Add tab is out of reach on a read-only sheet: Select stays
    // as usable as ever.
    if (m_bReadOnly)
        m_tabs->setTabEnabled(1, false);
    UpdateDone();

    // The pages' template size is the smallest; the whole screen only where
    // the screen is small.
    adjustSize();
    setMinimumSize(size());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize available = screen->availableSize();
        if (available.width() < width() * 2 || available.height() < height() * 2) {
            setWindowState(windowState() | Qt::WindowFullScreen);
            return;
        }
    }
    PlaceWindow();
}

namespace {

// Whether a window at rect can be reached: its title row, where it is
// dragged from, lies on a screen.
bool OnAScreen(const QRect& rect)
{
    const QPoint title(rect.center().x(), rect.top() + 10);
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().contains(title))
            return true;
    return false;
}

} // namespace

void CCityPropSheet::PlaceWindow()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize available = screen ? screen->availableGeometry().size() : kComfortableSize;
    QSettings settings(QString::fromLatin1(kSettingsOrganization), QString::fromLatin1(kSettingsApplication));
    const QSize stored = settings.value(QStringLiteral("sheet/size")).toSize();
    resize((stored.isValid() ? stored : kComfortableSize).boundedTo(available).expandedTo(minimumSize()));
    // A position on a screen that is gone would open the sheet out of
    // reach: the window system places it instead.
    const QVariant position = settings.value(QStringLiteral("sheet/position"));
    if (position.isValid() && OnAScreen(QRect(position.toPoint(), size())))
        move(position.toPoint());
}

void CCityPropSheet::done(int result)
{
    if (isVisible() && !(windowState() & (Qt::WindowFullScreen | Qt::WindowMaximized))) {
        QSettings settings(QString::fromLatin1(kSettingsOrganization), QString::fromLatin1(kSettingsApplication));
        settings.setValue(QStringLiteral("sheet/size"), size());
        settings.setValue(QStringLiteral("sheet/position"), pos());
    }
    CModalDialog::done(result);
}

int CCityPropSheet::Run()
{
    const int result = DoModal();
    // The city the user saw highlighted: on the Add page when that page is
    // in view, since its choice is the one on screen.
    std::uint32_t id = 0;
    if (result == kOK && CurrentPage() == &m_addPage && m_addPage.HighlightedCity(&id))
        m_selectPage.m_dwPendingCityID = id;
    else
        m_selectPage.RecordChosenCity();
    return result;
}

namespace {

// Reads the city the user chose into city, by the IDs the Select page's
// lists carry.
using ReadChosenCity = HRESULT (*)(CTerrafind* backend, std::uint32_t cityID, std::uint32_t countryID, CCity* city);

// Runs the picker for a back end, as every back end's Show does: city is
// read for its city and country IDs and, after a pick, filled by read.
// Works with or without a QApplication in the host.
int RunPicker(CTerrafind* backend, CCity* city, int arabic, int readOnly, ReadChosenCity read)
{
    if (!city)
        return CCityPropSheet::kCancel;
    // A host without a Qt application gets one for the length of the call;
    // a Qt host's own application is used as it is.
    std::unique_ptr<QApplication> ownApplication;
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "terrafind";
        static char* argv[] = {name, nullptr};
        ownApplication = std::make_unique<QApplication>(argc, argv);
    } else if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return CCityPropSheet::kCancel; // a console-only application cannot show windows
    }

    int result = CCityPropSheet::kCancel;
    {
        CCityPropSheet sheet(QString(), readOnly, nullptr, 0);
        sheet.m_selectPage.m_dwPendingCityID = city->m_dwID;
        sheet.m_selectPage.m_dwCurrentCountryID = city->m_dwCountryID;
        sheet.m_selectPage.SetBackend(backend);
        sheet.m_addPage.SetBackend(backend);
        sheet.m_bArabic = arabic;
        if (sheet.Run() == CCityPropSheet::kOK
            && read(backend, sheet.m_selectPage.m_dwPendingCityID, sheet.m_selectPage.m_dwCurrentCountryID, city) >= 0)
            result = CCityPropSheet::kOK;
    }
    return result;
}

} // namespace

// The back ends' Show, here with the picker they run, so that the back ends
// themselves need no widgets.

int CTerrafindDB::Show(CCity* city, int arabic)
{
    // Arabic stays on for this back end after an Arabic picker; an English
    // one leaves the mode as it was.
    if (arabic)
        SetArabic();
    return RunPicker(this, city, arabic, 0, [](CTerrafind* backend, std::uint32_t cityID, std::uint32_t, CCity* chosen) {
        return backend->GetCity(cityID, chosen);
    });
}

int CTerrafindFile::Show(CCity* city, int arabic)
{
    // The file cannot be changed, so the sheet is read-only; each picker
    // sets the language to its own argument. The chosen city is read by its
    // index within the chosen country, which is what the lists carry here.
    m_bArabic = arabic;
    return RunPicker(this, city, arabic, 1,
                     [](CTerrafind* backend, std::uint32_t cityIndex, std::uint32_t countryID, CCity* chosen) {
                         return static_cast<CTerrafindFile*>(backend)->GetCity(cityIndex, countryID, chosen);
                     });
}
