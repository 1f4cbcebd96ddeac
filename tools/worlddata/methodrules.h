// The prayer-time calculation method of each country, by a fixed rule
// table (data/README.md lists it with its reasons). Codes: 0 Karachi,
// 1 ISNA, 2 Muslim World League, 3 Umm Al-Qura, 4 Egyptian.
#pragma once

#include <QString>

// code: ISO 3166-1 alpha-2; continent: UN M49 code of its continent.
int CalculationMethod(const QString& code, const QString& continent);
