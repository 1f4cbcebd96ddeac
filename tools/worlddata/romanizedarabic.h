// Arabic script back from the way GeoNames romanizes most Arabic place
// names (the BGN/PCGN system: ā ī ū for long vowels, ḩ ş ţ ḑ z̧ for the
// emphatic letters, ‘ and ’ for ayn and hamza). That system writes every
// consonant and long vowel, so the Arabic comes back letter by letter; only
// the short vowels, which Arabic does not write, are dropped.
#pragma once

#include <QString>

// The Arabic spelling of a name written in that system: "Khaybar" is not
// (no mark of it), "Madīnat an Naşr" gives "مدينة النصر", "Bi’r al ‘Abd"
// "بئر العبد". Empty for a name that is not in it: without one of its marks,
// or with a letter it does not use (e, o, c, p, v, x: French or English
// spellings, which do not tell the letters apart).
QString ArabicFromRomanization(const QString& name);
