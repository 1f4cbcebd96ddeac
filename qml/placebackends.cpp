#include "placebackends.h"

#include <QCoreApplication>
#include <QPointer>

CPlaceBackEnds::~CPlaceBackEnds() = default;

namespace {

// The first search for a letter beyond ASCII sets up the library's folding
// of accents and Arabic spellings, some 12 ms, once a process. Done as the
// database opens, where a pause is expected, it never lands on a keystroke.
CTerrafind* Prepared(CTerrafind* backEnd)
{
    static bool prepared = false;
    if (backEnd && !prepared) {
        QList<tagCityHit> hits;
        SearchCities(*backEnd, QStringLiteral("\u00E9"), 1, &hits);
        prepared = true;
    }
    return backEnd;
}

} // namespace

CTerrafind* CPlaceBackEnds::For(bool arabic)
{
    static QPointer<CPlaceBackEnds> owner;
    if (!owner) {
        if (!QCoreApplication::instance())
            return nullptr;
        owner = new CPlaceBackEnds(QCoreApplication::instance());
    }
    if (arabic) {
        if (!owner->m_arabic) {
            // CTerrafind31 opens the database as it is constructed.
            owner->m_arabic = std::make_unique<CTerrafind31>();
            owner->m_arabic->SetArabic();
        }
        if (GetInitStatus(*owner->m_arabic) != S_OK)
            owner->m_arabic.reset();
        return Prepared(owner->m_arabic.get());
    }
    if (!owner->m_english) {
        owner->m_english = std::make_unique<CTerrafind30>();
        if (!owner->m_english->Init())
            owner->m_english.reset();
    }
    return Prepared(owner->m_english.get());
}
