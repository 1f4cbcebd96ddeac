#include "methodrules.h"

#include <QStringList>

namespace {

// The Arabian Peninsula, where Umm Al-Qura is the official calendar method.
const QStringList kUmmAlQura = {"SA", "AE", "BH", "KW", "OM", "QA", "YE"};
// The United States and Canada, whose Islamic Society drew up the method,
// and their neighbours of Northern America (UN M49 021).
const QStringList kIsna = {"US", "CA", "BM", "GL", "PM"};
// South Asia, where the Karachi university's method is the usual one.
const QStringList kKarachi = {"PK", "IN", "BD", "AF", "LK", "NP", "BT", "MV"};
// The Levant, Iraq and the Muslim-majority states of South-East Asia; with
// all of Africa these follow the Egyptian General Authority of Survey.
const QStringList kEgyptian = {"SY", "LB", "JO", "PS", "IL", "IQ", "MY", "ID", "BN"};

constexpr int kKarachiMethod = 0;
constexpr int kIsnaMethod = 1;
constexpr int kMuslimWorldLeague = 2;
constexpr int kUmmAlQuraMethod = 3;
constexpr int kEgyptianMethod = 4;

} // namespace

int CalculationMethod(const QString& code, const QString& continent)
{
    if (kUmmAlQura.contains(code))
        return kUmmAlQuraMethod;
    if (kIsna.contains(code))
        return kIsnaMethod;
    if (kKarachi.contains(code))
        return kKarachiMethod;
    if (kEgyptian.contains(code) || continent == u"002")
        return kEgyptianMethod;
    return kMuslimWorldLeague;
}
