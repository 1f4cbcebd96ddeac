// The picker's Arabic labels, compiled into the library.
#pragma once

#include <QString>

#include <initializer_list>

class QWidget;

// The Arabic text stored under key, unshaped; empty for an unknown key.
QString ArabicLabel(const char* key);
// The label as the user sees it in the given mode: english as it is when
// arabic is 0, the Arabic text otherwise, and in both cases passed through
// the text library's shaping (an unshapeable label comes out empty).
QString DisplayLabel(const char* english, const char* key, int arabic);
// DisplayLabel in Arabic: the Arabic text under key, shaped.
QString ArabicDisplayLabel(const char* key);
// A message in the picker's language, as DisplayLabel gives it, with %1
// replaced by name inside a directional isolate, so that a name of the
// other script keeps its punctuation in place and moves none of the
// message's.
QString DisplayMessage(const char* english, const char* key, int arabic, const QString& name = QString());
// The text under key for an accessible name or a window title: the
// English in English mode, the Arabic unshaped (assistive technology and
// window managers shape for themselves), logical order.
QString PlainLabel(const char* english, const char* key, int arabic);

// What a screen reader announces for the control with that ID: its
// English name, or the Arabic under key.
struct tagAccessibleText {
    int id;
    const char* english;
    const char* key;
};
// The letters that shaped text shows, in logical order.
QString UnshapedText(const QString& shaped);
// Gives parent's controls their accessible names in the picker's language
// (PlainLabel); controls that are missing are skipped. Every other label,
// group title and button of parent that shows shaped text is named by its
// text unshaped, so that a screen reader gets words.
void NameControls(QWidget* parent, int arabic, std::initializer_list<tagAccessibleText> names);
