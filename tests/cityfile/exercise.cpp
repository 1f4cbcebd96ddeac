#include "exercise.h"

#include <terrafind/terrafind.h>

#include <algorithm>
#include <sys/mman.h>
#include <unistd.h>

namespace {

bool Terminated(const unsigned short (&field)[32])
{
    return std::find(std::begin(field), std::end(field), 0) != std::end(field);
}

bool Within(const QList<unsigned int>& ids, qsizetype count)
{
    return std::all_of(ids.begin(), ids.end(), [&](unsigned int id) { return id <= count; });
}

// Counts an enumeration's calls, and notes a name that is empty or longer
// than its 32-byte field.
struct CCalls {
    bool badName = false;
    int calls = 0;
    static int Country(unsigned short, unsigned short* name, unsigned short, unsigned short, long value)
    {
        return City(0, name, 0, value);
    }
    static int City(unsigned short, unsigned short* name, unsigned short, long value)
    {
        auto* self = reinterpret_cast<CCalls*>(value);
        const auto length = std::find(name, name + 33, 0) - name;
        self->badName |= length == 0 || length > 32;
        return ++self->calls;
    }
    long Value() { return reinterpret_cast<long>(this); }
};

QStringList Exercise(const QString& path)
{
    QStringList broken;
    const auto check = [&](bool held, const char* what) {
        if (!held)
            broken.append(QString::fromLatin1(what));
    };
    CTerrafindFile file;
    if (!file.InitByFile(path.utf16()))
        return broken;
    const std::uint32_t countries = file.GetCountriesCount();
    // Near both ends of each range and just outside it, past 16 bits too.
    const std::uint32_t probes[] = {0, 1, 2, countries / 2, countries, countries + 1, 0xFFFF, 0x10001};
    for (Languages language : {Arabic, English, Languages(2)}) {
        CCalls all;
        check(file.EnumCountries(language, CCalls::Country, all.Value()) <= countries && all.calls <= int(countries)
                  && !all.badName, "EnumCountries delivered more than the file holds");
        file.m_bArabic = language == Arabic;
        QStringList names;
        QList<unsigned int> ids;
        check(file.GetAllCountries(&names, &ids) == S_OK && names.size() == countries && ids.size() == countries
                  && Within(ids, countries), "GetAllCountries listed other than the countries");
        for (std::uint32_t id : probes) {
            const auto country = static_cast<unsigned short>(id);
            const unsigned short cities = file.GetCitiesCount(country);
            tagCOUNTRY record{};
            check(!file.GetCountryInfo(language, country, &record) || (Terminated(record.szEnName) && Terminated(record.szArName)),
                  "GetCountryInfo left a name unterminated");
            CCalls calls;
            check(file.EnumCities(language, country, CCalls::City, calls.Value()) <= cities && calls.calls <= cities
                      && !calls.badName, "EnumCities delivered more than the country holds");
            tagCity info{};
            check(!file.GetCityInfo(language, country, cities, &info) || (Terminated(info.szEnName) && Terminated(info.szArName)),
                  "GetCityInfo filled a broken record");
            QStringList cityNames;
            QList<unsigned int> cityIDs;
            const qsizetype listed = id == country ? cities : 0; // no country past 16 bits
            check(file.GetCities(id, &cityNames, &cityIDs) == S_OK && cityNames.size() == listed && cityIDs.size() == listed
                      && Within(cityIDs, listed), "GetCities listed other than the country's cities");
            CCity city;
            check(file.GetCity(1, id, &city) != S_OK || (city.m_dwCountryID == id && id <= countries && city.m_strName.size() <= 31),
                  "GetCity by index filled the wrong city");
            check(file.GetCity(id, &city) != S_OK || (city.m_dwID == id && id <= 0xFFFF && city.m_dwCountryID <= countries),
                  "GetCity by number filled the wrong city");
            std::uint32_t found = 0;
            check(file.GetCountryID(id, found) != S_OK || (found >= 1 && found <= countries), "GetCountryID found an unknown country");
        }
    }
    return broken;
}

} // namespace

QStringList ExerciseCityFileBytes(const QByteArray& bytes)
{
    // An anonymous in-memory file, opened by its /proc/self/fd path.
    const int descriptor = memfd_create("kvCities.bin", MFD_CLOEXEC);
    const bool written = descriptor >= 0 && ::write(descriptor, bytes.constData(), std::size_t(bytes.size())) == bytes.size();
    const QStringList broken = written ? Exercise(QStringLiteral("/proc/self/fd/%1").arg(descriptor))
                                       : QStringList{QStringLiteral("cannot write the in-memory file")};
    ::close(descriptor);
    return broken;
}
