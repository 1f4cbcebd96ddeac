#include "pickercolours.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>

void ApplyPickerColours(QWidget* page)
{
    // Edits, lists, buttons and scroll bars get the picker's background
    // brush; list text is the picker's dark blue.
    const QColor background = QColor::fromRgb(PickerColours::kBackground);
    const QColor text = QColor::fromRgb(PickerColours::kText);
    const auto widgets = page->findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        QPalette palette = widget->palette();
        if (qobject_cast<QTreeWidget*>(widget)) {
            palette.setColor(QPalette::Text, text);
        } else if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget)
                   || qobject_cast<QComboBox*>(widget) || qobject_cast<QScrollBar*>(widget)) {
            palette.setColor(QPalette::Button, background);
            palette.setColor(QPalette::Base, background);
        } else {
            continue;
        }
        widget->setPalette(palette);
    }
}

void PaintInPickerColours(CBiDiListCtrl* list)
{
    QObject::connect(list, &CBiDiListCtrl::PrePaint, list, [](QPainter* dc) {
        dc->setPen(QColor::fromRgb(PickerColours::kText));
        dc->setBackground(QColor::fromRgb(PickerColours::kBackground));
        dc->setBackgroundMode(Qt::TransparentMode);
    });
}
