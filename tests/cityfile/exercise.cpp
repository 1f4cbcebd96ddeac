#include "exercise.h"

#include <terrafind/terrafind.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Countries and cities near both ends of each range, and just outside it.
// Enough to reach every code path without walking 65,535 records each time.
std::set<std::uint32_t> Probes(std::uint32_t count)
{
    return {0u, 1u, 2u, 3u, count / 2, count > 0 ? count - 1 : 0u, count, count + 1u, 0xFFFFu, 0x10000u};
}

bool Terminated(const unsigned short (&field)[32])
{
    return std::find(std::begin(field), std::end(field), 0) != std::end(field);
}

struct CCalls {
    int calls = 0;
    int stopAt = 0; // 0: never stop
    bool nameTooLong = false;
};

bool NameFits(const unsigned short* name)
{
    int length = 0;
    while (name[length] && length <= 32)
        ++length;
    return length >= 1 && length <= 32;
}

int CountCountry(unsigned short, unsigned short* name, unsigned short, unsigned short, long value)
{
    auto* calls = reinterpret_cast<CCalls*>(value);
    calls->nameTooLong |= !NameFits(name);
    return ++calls->calls == calls->stopAt ? 0 : 1;
}

int CountCity(unsigned short, unsigned short* name, unsigned short, long value)
{
    auto* calls = reinterpret_cast<CCalls*>(value);
    calls->nameTooLong |= !NameFits(name);
    return ++calls->calls == calls->stopAt ? 0 : 1;
}

} // namespace

QStringList ExerciseCityFile(const QString& path)
{
    QStringList broken;
    const auto check = [&](bool held, const QString& what) {
        if (!held)
            broken.append(what);
    };

    CTerrafindFile file;
    if (!file.InitByFile(path.utf16())) {
        check(file.GetCountriesCount() == 0, QStringLiteral("a refused file left a country count"));
        return broken;
    }
    const std::uint32_t countryCount = file.GetCountriesCount();

    for (Languages language : {Arabic, English, Languages(2)}) {
        // Enumerations delivered, stopped after the second entry.
        for (int stopAt : {0, 2}) {
            CCalls calls{0, stopAt};
            const unsigned short result = file.EnumCountries(language, CountCountry, reinterpret_cast<long>(&calls));
            check(result <= countryCount && calls.calls <= int(countryCount) && !calls.nameTooLong,
                  QStringLiteral("EnumCountries delivered more than the file holds"));
            check(language != Languages(2) || (result == 0 && calls.calls == 0),
                  QStringLiteral("EnumCountries in an unknown language called back"));
        }
        for (std::uint32_t id : Probes(countryCount)) {
            const auto country = static_cast<unsigned short>(id);
            if (country != id)
                continue;
            tagCOUNTRY record{};
            if (file.GetCountryInfo(language, country, &record))
                check(Terminated(record.szEnName) && Terminated(record.szArName),
                      QStringLiteral("GetCountryInfo left a name without terminator"));
            CCalls calls;
            const unsigned short delivered = file.EnumCities(language, country, CountCity, reinterpret_cast<long>(&calls));
            check(delivered <= file.GetCitiesCount(country) && !calls.nameTooLong,
                  QStringLiteral("EnumCities delivered more than the country holds"));
            for (std::uint32_t index : {1u, 2u, std::uint32_t(file.GetCitiesCount(country))}) {
                tagCity city{};
                if (file.GetCityInfo(language, country, static_cast<unsigned short>(index), &city))
                    check(Terminated(city.szEnName) && Terminated(city.szArName) && city.wEnOrder == index - 1,
                          QStringLiteral("GetCityInfo by index filled a broken record"));
            }
        }
    }

    // The interface, in both modes.
    for (int arabic : {0, 1}) {
        file.m_bArabic = arabic;
        QStringList names{QStringLiteral("earlier")};
        QList<unsigned int> ids{0}; // 0 as the resize would leave
        check(file.GetAllCountries(&names, &ids) == S_OK, QStringLiteral("GetAllCountries failed"));
        const qsizetype expected = countryCount == 0 ? 1 : qsizetype(countryCount);
        check(names.size() == expected && ids.size() == expected,
              QStringLiteral("GetAllCountries' lists are not as long as the country count"));
        for (unsigned int id : ids)
            check(countryCount == 0 || id <= countryCount, QStringLiteral("GetAllCountries listed an unknown country"));

        for (std::uint32_t country : Probes(countryCount)) {
            QStringList cityNames;
            QList<unsigned int> cityIDs;
            check(file.GetCities(country, &cityNames, &cityIDs) == S_OK, QStringLiteral("GetCities failed"));
            const qsizetype count = country <= 0xFFFF ? file.GetCitiesCount(static_cast<unsigned short>(country)) : 0;
            check(cityNames.size() == count && cityIDs.size() == count,
                  QStringLiteral("GetCities' lists are not as long as the city count"));
            for (unsigned int index : cityIDs)
                check(index <= count, QStringLiteral("GetCities listed an unknown city"));

            CCity city;
            if (file.GetCity(1, country, &city) == S_OK)
                check(city.m_dwID == 1 && city.m_dwCountryID == country && city.m_strName.size() <= 31,
                      QStringLiteral("GetCity by index filled the wrong city"));
        }
        std::uint32_t anyCountry = 0;
        for (std::uint32_t number : {0u, 1u, 2u, 0xFFFEu, 0xFFFFu, 0x10000u}) {
            CCity city;
            if (file.GetCity(number, &city) == S_OK)
                check(city.m_dwID == number && city.m_dwCountryID <= countryCount,
                      QStringLiteral("GetCity by number filled the wrong city"));
            if (file.GetCountryID(number, anyCountry) == S_OK)
                check(anyCountry >= 1 && anyCountry <= countryCount, QStringLiteral("GetCountryID found an unknown country"));
        }
    }

    // Copies keep reading after the original is closed.
    CTerrafindFile copy(file);
    file.Close();
    check(copy.GetCountriesCount() == countryCount, QStringLiteral("a copy lost the file"));
    return broken;
}

QStringList ExerciseCityFileBytes(const QByteArray& bytes)
{
    const int descriptor = memfd_create("kvCities.bin", MFD_CLOEXEC);
    if (descriptor < 0)
        return {QStringLiteral("memfd_create failed")};
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(descriptor, bytes.constData() + written, std::size_t(bytes.size() - written));
        if (n <= 0)
            break;
        written += n;
    }
    const QStringList broken = written == bytes.size()
        ? ExerciseCityFile(QStringLiteral("/proc/self/fd/%1").arg(descriptor))
        : QStringList{QStringLiteral("cannot write the in-memory file")};
    ::close(descriptor);
    return broken;
}
