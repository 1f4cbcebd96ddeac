// The picker's Arabic labels, compiled into the library.
#pragma once

#include <QString>

// The Arabic text stored under key, unshaped; empty for an unknown key.
QString ArabicLabel(const char* key);
// The label as the user sees it in the given mode: english as it is when
// arabic is 0, the Arabic text otherwise, and in both cases passed through
// the text library's shaping (an unshapeable label comes out empty).
QString DisplayLabel(const char* english, const char* key, int arabic);
// DisplayLabel in Arabic: the Arabic text under key, shaped.
QString ArabicDisplayLabel(const char* key);
