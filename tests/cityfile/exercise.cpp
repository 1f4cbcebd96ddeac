#include "exercise.h"

#include <terrafind/terrafind.h>

#include <algorithm>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Near both ends of a range and just outside it: every code path without
// walking 65,535 records each time.
QList<std::uint32_t> Probes(std::uint32_t count)
{
    return {0, 1, 2, 3, count / 2, count - (count > 0), count, count + 1, 0xFFFF, 0x10000};
}

bool Terminated(const unsigned short (&field)[32])
{
    return std::find(std::begin(field), std::end(field), 0) != std::end(field);
}

bool Within(const QList<unsigned int>& ids, qsizetype count)
{
    return std::all_of(ids.begin(), ids.end(), [&](unsigned int id) { return id <= count; });
}

// An enumeration's calls: stops after stopAt of them (never when 0) and
// notes a name that is empty or longer than its 32-byte field.
struct CCalls {
    int calls = 0, stopAt = 0;
    bool badName = false;
    int Call(const unsigned short* name)
    {
        int length = 0;
        while (name[length] && length <= 32)
            ++length;
        badName |= length == 0 || length > 32;
        return ++calls == stopAt ? 0 : 1;
    }
    long Value() { return reinterpret_cast<long>(this); }
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

    for (Languages language : {Arabic, English, Languages(2)}) {
        for (int stopAt : {0, 2}) {
            CCalls calls{0, stopAt};
            const unsigned short result = file.EnumCountries(language, CountCountry, calls.Value());
            check(result <= countries && calls.calls <= int(countries) && !calls.badName,
                  "EnumCountries delivered more than the file holds");
            check(language != Languages(2) || calls.calls == 0, "EnumCountries in an unknown language called back");
        }
        for (std::uint32_t id : Probes(countries)) {
            const auto country = static_cast<unsigned short>(id);
            tagCOUNTRY record{};
            if (file.GetCountryInfo(language, country, &record))
                check(Terminated(record.szEnName) && Terminated(record.szArName), "GetCountryInfo left a name unterminated");
            CCalls calls;
            const unsigned short cities = file.GetCitiesCount(country);
            check(file.EnumCities(language, country, CountCity, calls.Value()) <= cities && calls.calls <= cities
                      && !calls.badName,
                  "EnumCities delivered more than the country holds");
            for (unsigned int index : {1u, 2u, unsigned(cities)}) {
                tagCity city{};
                if (file.GetCityInfo(language, country, static_cast<unsigned short>(index), &city))
                    check(Terminated(city.szEnName) && Terminated(city.szArName) && city.wEnOrder == index - 1,
                          "GetCityInfo by index filled a broken record");
            }
        }
    }

    // The interface, in both modes.
    for (int arabic : {0, 1}) {
        file.m_bArabic = arabic;
        QStringList names{QStringLiteral("earlier")};
        QList<unsigned int> ids{0}; // as the resize would leave it
        const qsizetype listed = countries == 0 ? 1 : qsizetype(countries);
        check(file.GetAllCountries(&names, &ids) == S_OK && names.size() == listed && ids.size() == listed
                  && Within(ids, countries),
              "GetAllCountries listed other than the countries");
        for (std::uint32_t country : Probes(countries)) {
            QStringList cityNames;
            QList<unsigned int> cityIDs;
            const qsizetype cities = country <= 0xFFFF ? file.GetCitiesCount(static_cast<unsigned short>(country)) : 0;
            check(file.GetCities(country, &cityNames, &cityIDs) == S_OK && cityNames.size() == cities
                      && cityIDs.size() == cities && Within(cityIDs, cities),
                  "GetCities listed other than the country's cities");
            CCity city;
            if (file.GetCity(1, country, &city) == S_OK)
                check(city.m_dwID == 1 && city.m_dwCountryID == country && city.m_strName.size() <= 31,
                      "GetCity by index filled the wrong city");
        }
        for (std::uint32_t number : {0u, 1u, 2u, 0xFFFEu, 0xFFFFu, 0x10000u}) {
            CCity city;
            std::uint32_t country = 0;
            if (file.GetCity(number, &city) == S_OK)
                check(city.m_dwID == number && city.m_dwCountryID <= countries, "GetCity by number filled the wrong city");
            if (file.GetCountryID(number, country) == S_OK)
                check(country >= 1 && country <= countries, "GetCountryID found an unknown country");
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
    const QStringList broken = written
        ? Exercise(QStringLiteral("/proc/self/fd/%1").arg(descriptor))
        : QStringList{QStringLiteral("cannot write the in-memory file")};
    ::close(descriptor);
    return broken;
}
