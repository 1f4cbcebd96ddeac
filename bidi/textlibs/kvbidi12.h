// libKVBiDi12: the bidirectional-text library the component draws Arabic
// through. It stands outside the component, which binds BiDiTextWidth and
// BiDiTextOut when it is loaded and looks StringShape up by name each time
// it shapes.
//
// Plain C linkage: texts are UTF-16 code units with an explicit length (no
// terminator needed); a device is the painter to measure or draw with.
#pragma once

class QPainter;

#define KVBIDI12_API extern "C" __attribute__((visibility("default")))

// Writes the display form of an Arabic text into destination: each letter
// in the presentation form its neighbours call for, lam followed by alef
// as one ligature, everything else unchanged. The result is never longer
// than the source, so destination needs room for length units only.
// mode 0 reads the text as a left-to-right paragraph, 1 as right-to-left.
// dc is not used: shaping to presentation forms depends on no device.
// Returns the number of units written; 0 for an empty or invalid source.
KVBIDI12_API int StringShape(QPainter* dc, const unsigned short* source, int length,
                             unsigned short* destination, int mode);

// Width in pixels that BiDiTextOut takes for the same text with dc's font,
// laid out in the base direction rightToLeft (0 or 1). 0 without a device.
KVBIDI12_API int BiDiTextWidth(QPainter* dc, const unsigned short* text, int length,
                               unsigned char rightToLeft);

// Draws a text with its top-left corner at (x, y), shaped and reordered in
// the base direction rightToLeft, with dc's font and pen. When dc's
// background mode is opaque the text's box is first filled with dc's
// background brush. Returns 1, or 0 without a device.
KVBIDI12_API int BiDiTextOut(QPainter* dc, int x, int y, const unsigned short* text, int length,
                             unsigned char rightToLeft);

// The type StringShape is called through once it has been looked up.
using StringShapeFunction = int (*)(QPainter*, const unsigned short*, int, unsigned short*, int);
