// libkvEdit12: the edit-control library that equips a line edit for
// bidirectional input. It stands outside the component, which binds its one
// function when it is loaded.
#pragma once

#include <cstdint>

class QWidget;

// Equips a QLineEdit for bidirectional input and display:
// - its text is aligned to the side its reading order (layout direction)
//   starts from, right for right-to-left, whatever the text's first letter
//   is, and stays so when the reading order changes later;
// - the arrow keys move the cursor visually through mixed Arabic and Latin.
// Typed Arabic is stored in logical order and shown shaped, as Qt does.
// Returns a nonzero handle when the edit is equipped (the same handle when
// it already was), 0 for anything that is not a QLineEdit. The handle
// belongs to the edit and goes with it; the caller never releases it.
extern "C" __attribute__((visibility("default"))) std::intptr_t KvEditAttach(QWidget* edit);
