// The text a search compares: place names and queries are both folded by
// SearchFold, so that case, accents and the ways people type Arabic do not
// keep a place from being found.
#pragma once

#include <QString>
#include <QStringList>

// Folds compatibility forms and case in every script (ICU's NFKC_Casefold:
// "ＣＡＩＲＯ" gives "cairo", "ﾃｽﾄ" "テスト", "ς" "σ"), then decomposes,
// drops the non-spacing marks, transliterates Latin to ASCII and
// lower-cases (the ICU transform "NFD; [:Nonspacing Mark:] Remove;
// Latin-ASCII; Lower; NFC"), then folds Arabic: tatweel and the harakat
// (U+064B to U+065F, U+0670) go, every alef with hamza or madda and alef
// wasla become a bare alef, teh marbuta heh, alef maksura yeh, and the
// Persian keheh and yeh Arabic kaf and yeh. "Łódź" gives "lodz", "مُحَمَّد"
// "محمد". Folding a folded text changes nothing. Text with only ASCII
// characters never reaches ICU.
QString SearchFold(QStringView text);

// The words of the folded text: runs of letters, digits and marks, in
// order. Anything else (blanks, punctuation, control characters, unpaired
// surrogates) separates words.
QStringList SearchWords(QStringView text);

// The words of the folded text joined by single blanks: what the search
// index holds for a name.
QString SearchIndexText(QStringView text);
