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

// An enumeration's calls: the second returns 0 when stop is set; a name
// that is empty or longer than its 32-byte field is noted.
struct CCalls {
    bool stop = false, badName = false;
    int calls = 0;
    int Call(const unsigned short* name)
    {
        int length = 0;
        while (name[length] && length <= 32)
            ++length;
        badName |= length == 0 || length > 32;
        return ++calls == 2 && stop ? 0 : 1;
    }
};

int CountCountry(unsigned short, unsigned short* name, unsigned short, unsigned short, long value)
{
    return reinterpret_cast<CCalls*>(value)->Call(name);
}

int CountCity(unsigned short, unsigned short* name, unsigned short, long value)
{
    return reinterpret_cast<CCalls*>(value)->Call(name);
}

QStringList Exercise(const QString& path)
{
    QStringList broken;
    const auto check = [&](bool held, const char* what) {
        if (!held)
            broken.append(QString::fromLatin1(what));
    };
    CTerrafindFile file;
    if (!file.InitByFile(path.utf16())) {
        check(file.GetCountriesCount() == 0, "a refused file left a country count");
        return broken;
    }
    const std::uint32_t countries = file.GetCountriesCount();
    // Near both ends of each range and just outside it, past 16 bits too.
    const std::uint32_t probes[] = {0, 1, 2, countries / 2, countries, countries + 1, 0xFFFF, 0x10001};

    for (Languages language : {Arabic, English, Languages(2)}) {
        CCalls all, stopped{true};
        const unsigned short result = file.EnumCountries(language, CountCountry, reinterpret_cast<long>(&all));
        file.EnumCountries(language, CountCountry, reinterpret_cast<long>(&stopped));
        check(result <= countries && all.calls <= int(countries) && stopped.calls <= 2 && !all.badName,
              "EnumCountries delivered more than the file holds");
        check(language != Languages(2) || all.calls == 0, "EnumCountries in an unknown language called back");

        file.m_bArabic = language == Arabic;
        QStringList names{QStringLiteral("earlier")};
        QList<unsigned int> ids{0}; // as the resize would leave it
        const qsizetype listed = std::max<qsizetype>(countries, 1);
        check(file.GetAllCountries(&names, &ids) == S_OK && names.size() == listed && ids.size() == listed
                  && Within(ids, countries),
              "GetAllCountries listed other than the countries");

        for (std::uint32_t id : probes) {
            const auto country = static_cast<unsigned short>(id);
            const unsigned short cities = file.GetCitiesCount(country);
            tagCOUNTRY record{};
            if (file.GetCountryInfo(language, country, &record))
                check(Terminated(record.szEnName) && Terminated(record.szArName), "GetCountryInfo left a name unterminated");
            CCalls calls;
            check(file.EnumCities(language, country, CountCity, reinterpret_cast<long>(&calls)) <= cities
                      && calls.calls <= cities && !calls.badName,
                  "EnumCities delivered more than the country holds");
            for (unsigned int index : {1u, 2u, unsigned(cities)}) {
                tagCity city{};
                if (file.GetCityInfo(language, country, static_cast<unsigned short>(index), &city))
                    check(Terminated(city.szEnName) && Terminated(city.szArName) && city.wEnOrder == index - 1,
                          "GetCityInfo by index filled a broken record");
            }
            QStringList cityNames;
            QList<unsigned int> cityIDs;
            const qsizetype listedCities = id == country ? cities : 0; // no country past 16 bits
            check(file.GetCities(id, &cityNames, &cityIDs) == S_OK && cityNames.size() == listedCities
                      && cityIDs.size() == listedCities && Within(cityIDs, listedCities),
                  "GetCities listed other than the country's cities");
            CCity city;
            if (file.GetCity(1, id, &city) == S_OK)
                check(city.m_dwID == 1 && city.m_dwCountryID == id && id <= countries && city.m_strName.size() <= 31,
                      "GetCity by index filled the wrong city");
            std::uint32_t found = 0;
            if (file.GetCity(id, &city) == S_OK)
                check(city.m_dwID == id && id <= 0xFFFF && city.m_dwCountryID <= countries,
                      "GetCity by number filled the wrong city");
            if (file.GetCountryID(id, found) == S_OK)
                check(found >= 1 && found <= countries, "GetCountryID found an unknown country");
        }
    }

    CTerrafindFile copy(file);
    file.Close();
    check(copy.GetCountriesCount() == countries, "a copy lost the file when the original closed");
    return broken;
}

} // namespace

QStringList ExerciseCityFileBytes(const QByteArray& bytes)
{
    // An anonymous in-memory file, opened by its /proc/self/fd path.
    const int descriptor = memfd_create("kvCities.bin", MFD_CLOEXEC);
    if (descriptor < 0)
        return {QStringLiteral("memfd_create failed")};
    const bool written = ::write(descriptor, bytes.constData(), std::size_t(bytes.size())) == ssize_t(bytes.size());
    const QStringList broken = written ? Exercise(QStringLiteral("/proc/self/fd/%1").arg(descriptor))
                                       : QStringList{QStringLiteral("cannot write the in-memory file")};
    ::close(descriptor);
    return broken;
}
