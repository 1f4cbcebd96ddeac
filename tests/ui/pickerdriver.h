// Drives a modal picker from inside its own event loop, so no test blocks.
#pragma once

#include "ui/citypropsheet.h"

#include <QString>

#include <functional>

// Runs step on the sheet as soon as it is shown modally. step ends the
// sheet itself (done, a tap on a city, ...).
void WhenSheetShown(std::function<void(CCityPropSheet*)> step);

// Saves a picture of widget under the build directory's screenshots/.
void SaveScreenshot(QWidget* widget, const QString& name);

// Taps a row of a list as a user would.
void TapRow(QTreeWidget* list, int row);
// Texts of a list's rows, from the top.
QStringList RowTexts(const QTreeWidget* list);
