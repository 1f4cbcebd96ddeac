#include "collation.h"

#include <QCollator>
#include <QLocale>
#include <QStringView>

#include <sqlite3.h>

namespace {

int CompareNames(void* collator, int length1, const void* text1, int length2, const void* text2)
{
    // Registered for aligned native UTF-16: lengths are in bytes.
    const QStringView a(static_cast<const QChar*>(text1), length1 / 2);
    const QStringView b(static_cast<const QChar*>(text2), length2 / 2);
    if (const int order = static_cast<QCollator*>(collator)->compare(a, b); order != 0)
        return order;
    // ICU calls "Paris" and "PARIS" (or a name with a soft hyphen and one
    // without) equal. The order stays ICU's, but a tie is broken on the
    // stored text, so "=" matches only a name exactly as stored.
    return a.compare(b, Qt::CaseSensitive);
}

void DeleteCollator(void* collator)
{
    delete static_cast<QCollator*>(collator);
}

int Register(sqlite3* db, const char* name, QCollator* collator)
{
    // On failure sqlite3_create_collation_v2 calls DeleteCollator itself.
    return sqlite3_create_collation_v2(db, name, SQLITE_UTF16_ALIGNED, collator, CompareNames,
                                       DeleteCollator);
}

} // namespace

int RegisterNameCollations(sqlite3* db)
{
    auto* english = new QCollator(QLocale(QLocale::English, QLocale::UnitedStates));
    english->setCaseSensitivity(Qt::CaseInsensitive);
    if (const int rc = Register(db, "english", english); rc != SQLITE_OK)
        return rc;
    return Register(db, "arabic", new QCollator(QLocale(QLocale::Arabic, QLocale::SaudiArabia)));
}
