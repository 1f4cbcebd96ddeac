// Arabic names written by hand where no source has one: large towns and
// divisions of the Arab League that GeoNames names only in Latin script
// (French and Somali spellings that no romanization gives back) and the
// divisions Morocco and Algeria made after CLDR's last names for them.
#pragma once

#include <QHash>
#include <QString>

// By GeoNames id; the English name it was written for, and the Arabic.
struct tagHandName {
    const char* englishName;
    const char* arabicName;
};
const QHash<quint32, tagHandName>& HandArabicTownNames();
// By "CC.admin1".
const QHash<QString, tagHandName>& HandArabicDivisionNames();
