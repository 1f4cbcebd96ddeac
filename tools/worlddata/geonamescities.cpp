#include "geonamescities.h"

#include <geonames.h>
#include <libintl.h>

#include <QDir>

#include <clocale>
#include <cstdlib>

namespace {

// gettext caches per language; bumping the domain makes it look again
// after LANGUAGE changed.
void UseMessageLanguage(const char* language)
{
    if (language)
        setenv("LANGUAGE", language, 1);
    else
        unsetenv("LANGUAGE");
    textdomain(textdomain(nullptr));
}

QString Utf8(const char* text)
{
    return QString::fromUtf8(text).trimmed();
}

} // namespace

QString CleanArabicName(const QString& raw)
{
    QString name;
    for (const QChar c : raw) {
        // U+200E/U+200F direction marks and U+0640 tatweel carry no letters.
        if (c == QChar(0x200E) || c == QChar(0x200F) || c == QChar(0x0640))
            continue;
        name += c;
    }
    name = name.simplified();
    while (!name.isEmpty() && (name.back() == u',' || name.back() == u'.' || name.back() == u'،'))
        name.chop(1);
    name = name.trimmed();

    bool arabic = false;
    for (const QChar c : name) {
        if (!c.isLetter())
            continue;
        if (c.script() != QChar::Script_Arabic)
            return QString();
        arabic = true;
    }
    return arabic ? name : QString();
}

QList<tagSourceCity> ReadGeoNamesCities()
{
    // The Arabic catalogue is only consulted under a real (non-C) locale.
    setenv("LC_ALL", "C.UTF-8", 1);
    std::setlocale(LC_ALL, "");

    const int count = geonames_get_n_cities();
    QList<tagSourceCity> cities(count);

    UseMessageLanguage(nullptr);
    for (int i = 0; i < count; ++i) {
        GeonamesCity* city = geonames_get_city(i);
        tagSourceCity& out = cities[i];
        // The record is (id, name, admin1 code, state, country code, ...).
        const char* id = nullptr;
        const char* admin1 = nullptr;
        g_variant_get_child(city, 0, "&s", &id);
        g_variant_get_child(city, 2, "&s", &admin1);
        out.geonameId = QByteArray(id).toUInt();
        out.key = QString::number(out.geonameId);
        out.admin1 = Utf8(admin1);
        out.name = Utf8(geonames_city_get_name(city));
        out.state = Utf8(geonames_city_get_state(city));
        out.countryCode = Utf8(geonames_city_get_country_code(city));
        out.zone = Utf8(geonames_city_get_timezone(city));
        out.latitude = geonames_city_get_latitude(city);
        out.longitude = geonames_city_get_longitude(city);
        out.population = geonames_city_get_population(city);
        geonames_city_free(city);
    }

    UseMessageLanguage("ar");
    for (int i = 0; i < count; ++i) {
        GeonamesCity* city = geonames_get_city(i);
        cities[i].arabicName = CleanArabicName(Utf8(geonames_city_get_name(city)));
        cities[i].arabicState = CleanArabicName(Utf8(geonames_city_get_state(city)));
        geonames_city_free(city);
    }
    // Every other language's name is a spelling someone types: Urdu,
    // Persian, Bengali, Turkish, Malay, Russian, Chinese, ... (one catalogue
    // a language, in the order of the locale folders).
    QDir locales(QStringLiteral("/usr/share/locale"));
    const QStringList languages = locales.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& language : languages) {
        if (language.startsWith(u"ar") || !locales.exists(language + QStringLiteral("/LC_MESSAGES/geonames.mo")))
            continue;
        UseMessageLanguage(language.toLatin1().constData());
        for (int i = 0; i < count; ++i) {
            GeonamesCity* city = geonames_get_city(i);
            const QString name = Utf8(geonames_city_get_name(city));
            if (name != cities[i].name && !cities[i].alternates.contains(name))
                cities[i].alternates << name;
            geonames_city_free(city);
        }
    }
    UseMessageLanguage(nullptr);
    return cities;
}
