// Dialog templates and the widgets built from them.
//
// A template lists controls by ID with rectangles in dialog units; the
// builder turns those into pixels with the dialog font's base units (the
// classic mapping x * averageCharWidth / 4, y * charHeight / 8) and names
// every widget after its control ID, so code and tests find it by ID.
#pragma once

#include <QFont>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

struct tagControlTemplate {
    int id = 0;
    QString kind;     // static, groupbox, listview, button, edit, radio, combobox, progress
    QString text;
    QRect units;      // dialog units
    QStringList styles;
};

struct tagDialogTemplate {
    int id = 0;
    QString caption;
    QSize units;
    QList<tagControlTemplate> controls;

    // The compiled-in template, or one without controls (id 0) if unknown.
    static tagDialogTemplate Load(int id);
    const tagControlTemplate* Control(int id) const;
};

// The font the dialogs are laid out in: the system's sans-serif at 8 points
// (DejaVu Sans on a Debian desktop) standing in for Tahoma, which Linux
// does not ship.
QFont DialogFont();
// Horizontal and vertical dialog base units of a font, in pixels.
QSize DialogBaseUnits(const QFont& font);
QRect DialogUnitsToPixels(const QRect& units, QSize baseUnits);

// Creates the template's controls on parent, sizes parent to the template
// and sets the dialog font. make may create a control itself (for the
// owner-drawn lists and the bidirectional edits) or return null for the
// default widget of its kind.
using ControlFactory = std::function<QWidget*(const tagControlTemplate&, QWidget* parent)>;
void BuildDialog(QWidget* parent, const tagDialogTemplate& dialog, const ControlFactory& make = {});

// Shortens a dialog built from a template to its controls, with the
// template's left margin below the lowest, for forms whose template leaves
// an empty strip at the bottom. Becomes the dialog's smallest size. Rows
// of a group box that its title (as the style draws it) would cross move
// below the title first, and all below them with them.
void FitToControls(QWidget* dialog);

// Names widget as the control with that ID, as BuildDialog names the
// controls it makes.
void SetControlID(QWidget* widget, int id);
// The control with that ID among parent's descendants, or null.
QWidget* FindControl(const QWidget* parent, int id);
template <typename T>
T* FindControl(const QWidget* parent, int id)
{
    return qobject_cast<T*>(FindControl(parent, id));
}
