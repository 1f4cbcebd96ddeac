// Shortening of a list cell's text to the width of its cell.
#pragma once

#include <QString>

class QPainter;

// Shortens text in place until BiDiTextWidth with dc's font finds it no
// wider than right - left: the characters just before an appended "..."
// are dropped one by one, down to nothing if not even "..." fits. A
// trailing U+200E (left-to-right mark) stays the very last character.
// Text that fits is left alone. top and bottom are not used. Returns 1.
int FitTextToWidth(QPainter* dc, QString& text, int left, int top, int right, int bottom,
                   bool rightToLeft);
