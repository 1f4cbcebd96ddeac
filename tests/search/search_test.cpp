// Search as you type: the folding of names and queries, and queries over
// the place database and the city file made from it.
#include "placedb.h"

#include "cityfile/cityfilewriter.h"
#include "common/searchtext.h"
#include "database/connection.h"
#include "database/searchindex.h"

#include <terrafind/terrafind.h>

#include <QDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Rows of the shipped data/KVCities (GeoNames, CLDR): IDs, names,
// positions, populations and divisions as shipped; Makkah with two of its
// search-only spellings, and İskenderun with its old name, which starts as
// Alexandria's does (and a population above Alexandria, Virginia's).
constexpr char kPlaces[] = R"sql(
INSERT INTO Country VALUES (43, 'Switzerland', 'سويسرا', 2), (65, 'Egypt', 'مصر', 4),
    (193, 'Saudi Arabia', 'المملكة العربية السعودية', 3), (233, 'United States', 'الولايات المتحدة', 1),
    (225, 'Turkey', 'تركيا', 2);
INSERT INTO City VALUES (22391, 'New York', 'نيويورك', -74, 0, 40, 43, -50, 233),
    (6291, 'Cairo', 'القاهرة', 31, 15, 30, 4, 20, 65), (6275, 'Alexandria', 'الإسكندرية', 29, 55, 31, 12, 20, 65),
    (18723, 'Makkah al Mukarramah', 'مكة المكرمة', 39, 50, 21, 26, 30, 193),
    (6278, 'Assiut', 'أسيوط', 31, 11, 27, 11, 20, 65), (2726, 'Zurich', 'زيورخ', 8, 33, 47, 22, 10, 43),
    (23139, 'Springfield (Missouri)', 'سبرينغفيلد (ميزوري)', -93, -18, 37, 13, -60, 233),
    (20505, 'Alexandria (Virginia)', 'الإسكندرية (فرجينيا)', -77, -3, 38, 48, -50, 233),
    (23138, 'Springfield (Massachusetts)', 'سبرينغفيلد (ماساتشوستس)', -72, -35, 42, 6, -50, 233),
    (19936, 'İskenderun', 'إسكندرونة', 36, 10, 36, 35, 30, 225);
INSERT INTO Division VALUES (878, 65, '17', 'Asyut', 'محافظة أسيوط'), (872, 65, '11', 'Cairo', 'محافظة القاهرة'),
    (3488, 233, 'VA', 'Virginia', 'فرجينيا'), (3477, 233, 'NY', 'New York', 'نيويورك'),
    (3462, 233, 'MA', 'Massachusetts', 'ماساتشوستس'), (3467, 233, 'MO', 'Missouri', 'ميزوري');
INSERT INTO CityInfo VALUES (22391, 3477, 8175133, 'America/New_York'), (6291, 872, 7734614, 'Africa/Cairo'),
    (6275, NULL, 3811516, 'Africa/Cairo'), (18723, NULL, 1323624, 'Asia/Riyadh'), (6278, 878, 420585, 'Africa/Cairo'),
    (2726, NULL, 341730, 'Europe/Zurich'), (23139, 3467, 166810, 'America/Chicago'),
    (20505, 3488, 153511, 'America/New_York'), (23138, 3462, 154341, 'America/New_York'),
    (19936, NULL, 159965, 'Europe/Istanbul');
INSERT INTO CityAlternate VALUES ('Mecca', 18723), ('Mekka', 18723), ('Alexandretta', 19936);
)sql";

QStringList Names(const QList<tagCityHit>& hits)
{
    QStringList names;
    for (const tagCityHit& hit : hits)
        names.append(hit.city.m_strName);
    return names;
}

TEST(SearchFold, FoldsCaseAccentsAndArabicSpellings)
{
    // The folded forms are those a reader of each script would accept as the same word.
    const struct {
        QString text, folded;
    } rows[] = {
        {u"Łódź"_s, u"lodz"_s},          {u"Zürich"_s, u"zurich"_s},
        {u"São Paulo"_s, u"sao paulo"_s}, {u"Straße"_s, u"strasse"_s},
        {u"أسيوط"_s, u"اسيوط"_s},          {u"القاهرة"_s, u"القاهره"_s},
        {u"مُحَمَّد"_s, u"محمد"_s},          {u"إمارة آل ٱلرحمن"_s, u"اماره ال الرحمن"_s},
        {u"مصطفى"_s, u"مصطفي"_s},          {u"کرمانشاه ی"_s, u"كرمانشاه ي"_s},
        {u"محـــمد"_s, u"محمد"_s},          {u"MAKKAH"_s, u"makkah"_s},
        // Compatibility forms and case in every script.
        {u"ＣＡＩＲＯ"_s, u"cairo"_s},       {u"ｶｲﾛ"_s, u"カイロ"_s},
        {u"ΑΘΗΝΑΣ Αθήνας"_s, u"αθηνασ αθηνασ"_s}, {u"ﻣﻜﺔ"_s, u"مكه"_s},
        {u"КАИР"_s, u"каир"_s},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(SearchFold(row.text), row.folded) << qPrintable(row.text);
        EXPECT_EQ(SearchFold(row.folded), row.folded) << qPrintable(row.text);
    }
    EXPECT_EQ(SearchWords(u"  \"N'Djamena\"*OR-\u0001x\xd800y "_s), (QStringList{u"n"_s, u"djamena"_s, u"or"_s, u"x"_s, u"y"_s}));
}

class Search : public ::testing::Test {
protected:
    Search()
    {
        m_db.Use();
        EXPECT_EQ(m_places.Init(), 1);
        // The city file of the same places, as 'terrafind export-cityfile' writes it.
        CTerrafind31 reader;
        CCityFileWriter writer;
        EXPECT_TRUE(writer.Read(reader) && writer.Write(m_dir.filePath(u"kvCities.bin"_s)));
        EXPECT_EQ(m_file.Init(m_dir.path().utf16()), 1);
    }

    QStringList Find(CTerrafind& places, const QString& query, int count = 10, HRESULT expected = S_OK)
    {
        QList<tagCityHit> hits;
        EXPECT_EQ(SearchCities(places, query, count, &hits), expected) << qPrintable(query);
        return Names(hits);
    }

    CEnvironmentGuard m_environment;
    CScratchPlaceDb m_db{kPlaces};
    CTerrafind30 m_places;
    QTemporaryDir m_dir;
    CTerrafindFile m_file;
};

TEST_F(Search, FindsByWordStartsNameFirst)
{
    // First the names that are the query, then the names starting with it,
    // then the places found through other spellings or their country alone;
    // within each, database order: population; file order: the English name.
    const struct {
        QString query;
        QStringList database, file;
    } rows[] = {
        {u"york"_s, {u"New York"_s}, {u"New York"_s}},
        {u"mecca"_s, {u"Makkah al Mukarramah"_s}, {}}, // spellings are the database's alone
        {u"makk"_s, {u"Makkah al Mukarramah"_s}, {u"Makkah al Mukarramah"_s}},
        {u"MUKARRAMAH m"_s, {u"Makkah al Mukarramah"_s}, {u"Makkah al Mukarramah"_s}},
        // Fewer than asked: those a typo away follow (Alexandretta, two edits).
        {u"alexandria"_s, {u"Alexandria"_s, u"Alexandria (Virginia)"_s, u"İskenderun"_s}, {u"Alexandria"_s, u"Alexandria (Virginia)"_s}},
        {u"alexandria egypt"_s, {u"Alexandria"_s}, {u"Alexandria"_s}},
        {u"الاسكندريه"_s, {u"Alexandria"_s, u"Alexandria (Virginia)"_s}, {u"Alexandria"_s, u"Alexandria (Virginia)"_s}},
        {u"اسيوط"_s, {u"Assiut"_s}, {u"Assiut"_s}},
        {u"القاهره"_s, {u"Cairo"_s}, {u"Cairo"_s}},
        {u"Zürich"_s, {u"Zurich"_s}, {u"Zurich"_s}},
        {u"spring"_s, {u"Springfield (Missouri)"_s, u"Springfield (Massachusetts)"_s},
         {u"Springfield (Massachusetts)"_s, u"Springfield (Missouri)"_s}},
        {u"united s"_s, {u"Springfield (Missouri)"_s, u"Springfield (Massachusetts)"_s, u"New York"_s, u"Alexandria (Virginia)"_s},
         {u"Springfield (Massachusetts)"_s, u"Springfield (Missouri)"_s, u"Alexandria (Virginia)"_s, u"New York"_s}},
        // An old name of a more populous place ranks after the names.
        {u"alexandr"_s, {u"Alexandria"_s, u"Alexandria (Virginia)"_s, u"İskenderun"_s}, {u"Alexandria"_s, u"Alexandria (Virginia)"_s}},
        {u"alexandria virginia"_s, {u"Alexandria (Virginia)"_s}, {u"Alexandria (Virginia)"_s}},
        {u"cairo egypt"_s, {u"Cairo"_s}, {u"Cairo"_s}},
        // One edit from 4 letters (a swap is one), two from 8, the last word
        // a prefix; exact hits first.
        {u"kairo"_s, {u"Cairo"_s}, {u"Cairo"_s}},
        {u"yrok"_s, {u"New York"_s}, {u"New York"_s}},
        {u"asiut"_s, {u"Assiut"_s}, {u"Assiut"_s}},
        {u"zurih"_s, {u"Zurich"_s}, {u"Zurich"_s}},
        {u"alxenadria"_s, {u"Alexandria"_s, u"Alexandria (Virginia)"_s}, {u"Alexandria"_s, u"Alexandria (Virginia)"_s}},
        {u"sprngf"_s, {u"Springfield (Missouri)"_s, u"Springfield (Massachusetts)"_s},
         {u"Springfield (Massachusetts)"_s, u"Springfield (Missouri)"_s}},
        {u"mecka"_s, {u"Makkah al Mukarramah"_s}, {}},
        {u"alexandria egpyt"_s, {u"Alexandria"_s}, {u"Alexandria"_s}},
        {u"nwe"_s, {}, {}},        // three letters: as typed only
        {u"kajro"_s, {}, {}},      // two edits in five letters
        {u"alxenadira"_s, {}, {}}, // three in ten
        // FTS5 syntax is text: quotes, stars and operators separate or are words.
        {u"\"cairo"_s, {u"Cairo"_s}, {u"Cairo"_s}},
        {u"cai* OR zur"_s, {}, {}},
        {u"NEAR(cairo)"_s, {}, {}},
        {u"-york"_s, {u"New York"_s}, {u"New York"_s}},
        {u"\xdc00york\u0007"_s, {u"New York"_s}, {u"New York"_s}},
        {u""_s, {}, {}},
        {u" \t "_s, {}, {}},
        {u"**\"\""_s, {}, {}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Find(m_places, row.query), row.database) << qPrintable(row.query);
        EXPECT_EQ(Find(m_file, row.query), row.file) << qPrintable(row.query);
    }
    EXPECT_EQ(Find(m_places, u"a"_s, 2), (QStringList{u"Alexandria"_s, u"Makkah al Mukarramah"_s}));
    EXPECT_EQ(Find(m_places, u"a"_s, 0), QStringList());
}

TEST_F(Search, HitsCarryTheCityAndItsFacts)
{
    QList<tagCityHit> hits;
    ASSERT_EQ(SearchCities(m_places, u"alexandria virginia"_s, 5, &hits), S_OK);
    ASSERT_EQ(hits.size(), 1);
    CCity expected;
    ASSERT_EQ(m_places.GetCity(20505, &expected), S_OK);
    const CCity& city = hits[0].city;
    EXPECT_EQ(std::tie(city.m_dwID, city.m_strName, city.m_strArabicName, city.m_strCountryName, city.m_sLongitudeDegree,
                       city.m_sLongitudeMinute, city.m_sEast, city.m_sNorth, city.m_sGmt, city.m_sMethod, city.m_dwCountryID),
              std::tie(expected.m_dwID, expected.m_strName, expected.m_strArabicName, expected.m_strCountryName,
                       expected.m_sLongitudeDegree, expected.m_sLongitudeMinute, expected.m_sEast, expected.m_sNorth,
                       expected.m_sGmt, expected.m_sMethod, expected.m_dwCountryID));
    EXPECT_EQ(hits[0].details.admin1, u"Virginia"_s);
    EXPECT_EQ(hits[0].details.population, 153511);

    // On the file, the ID is the index within the country, as its lists give it.
    ASSERT_EQ(SearchCities(m_file, u"zurich"_s, 5, &hits), S_OK);
    ASSERT_EQ(hits.size(), 1);
    EXPECT_EQ(hits[0].city.m_dwID, 1u);
    EXPECT_EQ(hits[0].city.m_strCountryName, u"Switzerland"_s);

    CTerrafind30 closed;
    EXPECT_EQ(SearchCities(closed, u"cairo"_s, 5, &hits), E_FAIL);
    EXPECT_EQ(SearchCities(m_places, u"cairo"_s, 5, nullptr), E_FAIL);
}

TEST_F(Search, IndexWordsReadFromPagesAreFts5VocabsAlso)
{
    // One segment, then a second beside it after an edit; and the shipped index.
    std::uint32_t added = 0;
    ASSERT_EQ(m_places.AddCity(65, u"Bardaï"_s, u"برداي"_s, 17, 0, 21, 21, 1, &added), S_OK);
    for (const QString& path : {m_db.Path(), QStringLiteral(TERRAFIND_SOURCE_DIR "/data/KVCities")}) {
        CConnection connection;
        ASSERT_GE(connection.Open(path, CConnection::Mode::ReadOnly), 0);
        const auto pages = ReadSearchVocabulary(&connection), table = ReadSearchVocabulary(&connection, true);
        ASSERT_TRUE(pages && table);
        EXPECT_GT(pages->Size(), 20u);
        EXPECT_TRUE(*pages == *table) << qPrintable(path);
    }
}

TEST_F(Search, EditsAreFoundAtOnce)
{
    std::uint32_t added = 0;
    ASSERT_EQ(m_places.AddCity(65, u"Bardaï"_s, u"برداي"_s, 17, 0, 21, 21, 1, &added), S_OK);
    // A new place has no population: it comes after every other.
    EXPECT_EQ(Find(m_places, u"egypt"_s), (QStringList{u"Cairo"_s, u"Alexandria"_s, u"Assiut"_s, u"Bardaï"_s}));
    EXPECT_EQ(Find(m_places, u"بردا"_s), QStringList{u"Bardaï"_s});

    // A renamed city keeps its place in population order.
    ASSERT_EQ(m_places.ModifyCity(65, 6291, u"Al Qahirah"_s, u"القاهرة"_s, 31, 15, 30, 4, 2), S_OK);
    EXPECT_EQ(Find(m_places, u"cairo"_s), QStringList());
    EXPECT_EQ(Find(m_places, u"egypt"_s), (QStringList{u"Al Qahirah"_s, u"Alexandria"_s, u"Assiut"_s, u"Bardaï"_s}));
    ASSERT_EQ(m_places.ModifyCountry(65, u"Misr"_s, u"مصر"_s, 4), S_OK);
    EXPECT_EQ(Find(m_places, u"egypt"_s), QStringList());
    EXPECT_EQ(Find(m_places, u"misr qahirah"_s), QStringList{u"Al Qahirah"_s});
    ASSERT_EQ(m_places.ExecuteStatement(u"DELETE FROM City WHERE ID = 6275"_s), S_OK);
    EXPECT_EQ(Find(m_places, u"alexandria"_s), (QStringList{u"Alexandria (Virginia)"_s, u"İskenderun"_s}));
}

// The per-user copy of the shipped database, made in a home of its own.
class SearchShipped : public ::testing::Test {
protected:
    void SetUp() override
    {
        qunsetenv("TERRAFIND_DB");
        qputenv("XDG_DATA_HOME", m_home.path().toLocal8Bit());
        ASSERT_EQ(places.Init(), 1);
    }

    CEnvironmentGuard m_environment;
    QTemporaryDir m_home;
    CTerrafind30 places;
};

TEST_F(SearchShipped, FindsWhatPeopleType)
{
    // And the shipped city file.
    CTerrafindFile file;
    ASSERT_EQ(file.Init(QStringLiteral(TERRAFIND_SOURCE_DIR "/data").utf16()), 1);
    // The place each query must find among its first three (first, where
    // first), in the country given, and a place that may only come after it.
    const struct {
        QString query, place, country;
        bool first, inFile;
        QString after;
    } rows[] = {
        {u"Каир"_s, u"Cairo"_s, u"Egypt"_s, true, false, {}},
        {u"カイロ"_s, u"Cairo"_s, u"Egypt"_s, true, false, {}},
        {u"开罗"_s, u"Cairo"_s, u"Egypt"_s, true, false, {}},
        {u"চট্টগ্রাম"_s, u"Chittagong"_s, u"Bangladesh"_s, false, false, {}},
        {u"القاهرة"_s, u"Cairo"_s, u"Egypt"_s, true, true, {}},
        {u"jedah"_s, u"Jeddah"_s, u"Saudi Arabia"_s, false, true, {}},
        {u"lahroe"_s, u"Lahore"_s, u"Pakistan"_s, false, true, {}},
        {u"lahre pakistan"_s, u"Lahore"_s, u"Pakistan"_s, false, true, {}},
        {u"paro"_s, u"Paro"_s, u"Bhutan"_s, true, true, {}},
        {u"alexandr"_s, u"Alexandria (Virginia)"_s, u"United States"_s, false, false, u"İskenderun"_s},
    };
    for (const auto& row : rows) {
        for (CTerrafind* backend : {static_cast<CTerrafind*>(&places), static_cast<CTerrafind*>(&file)}) {
            if (backend == &file && !row.inFile)
                continue;
            QList<tagCityHit> hits;
            ASSERT_EQ(SearchCities(*backend, row.query, 10, &hits), S_OK) << qPrintable(row.query);
            qsizetype at = -1, after = -1;
            for (qsizetype i = 0; i < hits.size(); ++i) {
                if (at < 0 && hits[i].city.m_strName == row.place && hits[i].city.m_strCountryName == row.country)
                    at = i;
                if (after < 0 && hits[i].city.m_strName == row.after)
                    after = i;
            }
            EXPECT_TRUE(at >= 0 && at < (row.first ? 1 : 3)) << qPrintable(row.query) << " at " << at;
            EXPECT_TRUE(after < 0 || after > at) << qPrintable(row.query);
        }
    }
}

TEST_F(SearchShipped, OneHitPerPlace)
{
    for (const QString query : {u"a"_s, u"sa"_s, u"mak"_s, u"القا"_s, u"jedah"_s}) {
        QList<tagCityHit> hits;
        ASSERT_EQ(SearchCities(places, query, 200, &hits), S_OK);
        ASSERT_FALSE(hits.isEmpty()) << qPrintable(query);
        QSet<std::uint32_t> seen;
        for (const tagCityHit& hit : hits) {
            EXPECT_FALSE(seen.contains(hit.city.m_dwID)) << qPrintable(query);
            seen.insert(hit.city.m_dwID);
        }
    }
}

} // namespace
