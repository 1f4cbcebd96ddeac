// The picker's colours, shared by its pages and forms.
#pragma once

#include "bidi/bidilistctrl.h"

class QWidget;

namespace PickerColours {
// The lists' selection colour: red 200, green 200, blue 250 (as 0xRRGGBB).
inline constexpr unsigned kBackground = CBiDiListCtrl::kSelectionRgb;
inline constexpr unsigned kText = 0x423F73; // red 0x42, green 0x3F, blue 0x73
}
// Edits, lists, buttons and scroll bars of page in the picker's colours.
void ApplyPickerColours(QWidget* page);
// Draws list's rows in the picker's text colour over its background.
void PaintInPickerColours(CBiDiListCtrl* list);
