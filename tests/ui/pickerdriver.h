// Drives the picker and its forms as a user does, from inside their own
// modal loops so that no test blocks, on a copy of the shipped place database.
#pragma once

#include "placedb.h"

#include "ui/citydlg.h"
#include "ui/citypropsheet.h"
#include "ui/countrydlg.h"
#include "ui/dialogtemplate.h"
#include "ui/labels.h"

#include "resources/controlids.h"

#include <terrafind/terrafind.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

// Failure messages show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

// A place and its pixel on the map, which is equirectangular, 225 x 120
// pixels for the whole world.
struct tagPlace {
    double longitude, latitude;
    unsigned X() const { return unsigned((longitude + 180.0) * 225.0 / 360.0); }
    unsigned Y() const { return unsigned((90.0 - latitude) * 120.0 / 180.0); }
};
constexpr tagPlace kCairo{31.23, 30.05}, kKarachi{67.0, 24.86};
constexpr tagPlace kCapeVerde{-23.5, 15.0}; // a region with one country
constexpr tagPlace kPacific{-135.0, 40.0};  // in no region

// Runs step on the next window of that class once it is on screen; the
// window is cancelled afterwards unless step ended it.
template <typename Window>
void WhenShown(std::function<void(Window*)> step)
{
    Window::SetShownHook([step](Window* window) {
        Window::SetShownHook({}); // once
        step(window);
        if (window->isVisible()) // a failed assertion left it open
            window->reject();
    });
}
// Runs window modally with step inside its loop: its result.
template <typename Window>
int RunModal(Window& window, std::function<void(Window*)> step)
{
    WhenShown<Window>(std::move(step));
    return window.DoModal();
}
// Clicks the push button with that control ID.
inline void Press(QWidget* window, int id) { FindControl<QPushButton>(window, id)->click(); }

// Saves a picture of widget under the build directory's screenshots/.
void SaveScreenshot(QWidget* widget, const QString& name);
// Taps a list's row, or a sheet's tab, as a user would.
void TapRow(QTreeWidget* list, int row);
void TapTab(CCityPropSheet* sheet, int tab);
// Texts of a list's rows (or only of its selected rows), from the top.
QStringList RowTexts(const QTreeWidget* list, bool selectedOnly = false);
inline int RowOf(const QTreeWidget* list, const QString& text) { return int(RowTexts(list).indexOf(text)); }
// An Arabic label as the pages show it, shaped.
inline QString Shaped(const char* key) { return DisplayLabel("", key, 1); }
// Expects each control (by ID) to show its Arabic label (by key), shaped,
// as its text or, for a group box, as its title drawn at the right.
void ExpectShaped(const QWidget* parent, std::initializer_list<std::pair<int, const char*>> labels);
// The city form's number edits and hemisphere buttons as "zone,lon
// degree,lon minute,lat degree,lat minute,E|W,N|S": typed in, or read.
void TypeCity(CCityDlg* form, const QString& values);
QString ShownCity(const CCityDlg* form);

// Points the user's settings (the sheet's stored size) at dir; an empty dir
// at a folder of the test run's own, never at the real user's.
void KeepSettingsIn(const QString& dir = QString());

// A CTerrafind30 on a writable copy of the shipped place database, and
// settings of its own that start empty.
class PlaceCopy : public ::testing::Test {
protected:
    PlaceCopy();
    ~PlaceCopy() override { KeepSettingsIn(); }
    // The ID of the row of table ("City", "Country") with that English name.
    std::uint32_t ID(const char* table, const QString& name);
    CCity City(const QString& name);
    // The back end's own lists: a map region's countries, a country's cities.
    QStringList Countries(tagPlace place);
    QStringList Cities(const QString& country);
    // Shows the picker on Cairo with step inside it: Show's result.
    int ShowOnCairo(int arabic, std::function<void(CCityPropSheet*)> step);

    CEnvironmentGuard m_environment;
    QTemporaryDir m_dir;
    QString m_file;
    CTerrafind30 m_places;
};
