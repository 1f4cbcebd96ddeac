#include "subdivisionnames.h"

#include "geonamescities.h"

#include <QFile>
#include <QSet>
#include <QXmlStreamReader>

#include <algorithm>
#include <functional>

namespace {

// Where CLDR puts a subdivision: its depth below the country (1 for
// first-level) and the subdivision it is part of (none at level 1).
struct tagPosition {
    int level = 0;
    QString parent;
};

// One side of a pairing: a GeoNames division or a CLDR subdivision, with
// the keys its English name is compared by.
struct tagSide {
    QString id;       // "SA.14" or "sa02"
    QString name;     // in English
    QString suffix;   // the code within its country, lower case: "14", "02"
    tagPosition position; // CLDR's; level 0 for GeoNames
    QStringList plainKeys;
    QStringList looseKeys;
};

// Divisions that no rule pairs because GeoNames and CLDR name them
// differently, not just spell them differently, and one that a rule would
// pair wrongly. The English name guards against GeoNames renumbering: an
// entry whose name no longer matches is ignored.
struct tagHandPair {
    const char* division;
    const char* englishName;
    const char* code; // nullptr: no CLDR counterpart
};
const tagHandPair kHandPairs[] = {
    {"BH.16", "Manama", "bh13"},                   // GeoNames names the Capital Governorate after its seat
    {"IQ.06", "Babil", "iqbb"},                    // CLDR: Babylon
    {"LB.09", "North Lebanon", "lbas"},            // CLDR: North
    {"LY.76", "Surt", "lysr"},                     // CLDR: Sirte
    {"OM.02", "Al Batinah South", "ombj"},         // CLDR: Janub al Batinah (janub is south)
    {"OM.11", "Al Batinah North", "ombs"},         // CLDR: Shamal al Batinah (shamal is north)
    {"OM.04", "Southeastern Governorate", "omsj"}, // CLDR: Janub ash Sharqiyah
    {"OM.12", "Northeastern Governorate", "omss"}, // CLDR: Shamal ash Sharqiyah
    {"QA.01", "Baladiyat ad Dawhah", "qada"},      // CLDR: Doha
    {"YE.28", "Soqatra", "yesu"},                  // CLDR: Arkhabil Suqutra (the Socotra Archipelago)
    // GeoNames' Taiwan Province, which CLDR does not list; spelt loosely it
    // would pass for Taoyuan.
    {"TW.04", "Taiwan", nullptr},
};

// Words that say what kind of division a name is, not which one. GeoNames
// and CLDR add them inconsistently ("Makkah Region" and "Makkah").
const QSet<QString>& GenericWords()
{
    static const QSet<QString> words = {
        "province", "provincia", "provinsi", "provincie", "region", "regione", "governorate", "muhafazat",
        "muhafazah", "muhafaza", "wilaya", "wilayah", "wilayat", "vilayet", "emirate", "imarat", "district",
        "state", "department", "departement", "departamento", "municipality", "municipio", "mintaqat",
        "mintaqah", "baladiyat", "baladiyah", "county", "parish", "oblast", "prefecture", "territory", "division"};
    return words;
}

// Arabic articles as transliterations write them, apart ("Al Jawf") or
// hyphenated ("Al-Qassim"), which one side often leaves out.
const QSet<QString>& Articles()
{
    static const QSet<QString> words = {"al", "el", "ad", "adh", "ar", "as", "ash", "at", "ath", "az",
                                        "an", "ed", "er", "es", "esh", "et", "ez", "ech"};
    return words;
}

// CLDR tells apart subdivisions of one name in a language with superscript
// digits ("Gandaki²", "منطقة نافارا²"); they are not part of the name.
QString WithoutSuperscripts(const QString& name)
{
    QString plain;
    for (const QChar c : name)
        if (c != QChar(0x00B9) && c != QChar(0x00B2) && c != QChar(0x00B3) && (c < QChar(0x2070) || c > QChar(0x2079)))
            plain += c;
    return plain.trimmed();
}

// Lower case, accents and apostrophes gone, anything else that is not a
// letter or digit a space: "Ḩā’il" and "Ha'il" both give "hail".
QString Folded(const QString& name)
{
    QString folded;
    for (const QChar c : name.normalized(QString::NormalizationForm_KD)) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        switch (c.unicode()) {
        case u'\'': case u'`': case 0x00B4: case 0x02BB: case 0x02BC: case 0x02BE: case 0x02BF:
        case 0x2018: case 0x2019: case 0x201B:
            continue; // apostrophes, ayin and hamza marks
        case 0x00DF: folded += u"ss"; continue;
        case 0x00E6: case 0x00C6: folded += u"ae"; continue;
        case 0x0153: case 0x0152: folded += u"oe"; continue;
        case 0x00F8: case 0x00D8: folded += u'o'; continue;
        case 0x0131: folded += u'i'; continue;
        case 0x0142: case 0x0141: folded += u'l'; continue;
        case 0x0111: case 0x0110: case 0x00F0: case 0x00D0: folded += u'd'; continue;
        case 0x0127: case 0x0126: folded += u'h'; continue;
        case 0x00FE: case 0x00DE: folded += u"th"; continue;
        default: break;
        }
        folded += c.isLetterOrNumber() ? c.toLower() : QChar(u' ');
    }
    return folded;
}

// The words of a name without the generic ones and articles, unless that
// would leave nothing ("Capital").
QStringList Words(const QString& name)
{
    const QStringList all = Folded(name).split(u' ', Qt::SkipEmptyParts);
    QStringList words;
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (GenericWords().contains(all[i]))
            continue;
        // An article comes before its noun, so a last word is never one.
        if (i + 1 < all.size() && Articles().contains(all[i]))
            continue;
        words.append(all[i]);
    }
    return words.isEmpty() ? all : words;
}

// The key that tolerates the usual transliteration differences: French
// and English spellings (Djelfa, Ouargla), doubled letters, a final h
// (Raqqa, Ar-Raqqah), q and k, y and i, and "Western" for "West".
QString LooseKey(const QStringList& words)
{
    static const QHash<QString, QString> kWords = {
        {"western", "west"}, {"eastern", "east"}, {"northern", "north"}, {"southern", "south"},
        {"st", "saint"},     {"ste", "sainte"}};
    static const QSet<QString> kFiller = {"and", "of", "the"};
    static const std::pair<const char16_t*, const char16_t*> kLetters[] = {
        {u"dj", u"j"}, {u"ou", u"u"}, {u"oo", u"u"}, {u"ee", u"i"}, {u"ie", u"i"},
        {u"ck", u"k"}, {u"q", u"k"},  {u"ph", u"f"}, {u"dh", u"d"}, {u"y", u"i"}};
    QString key;
    for (QString word : words) {
        if (kFiller.contains(word) && words.size() > 1)
            continue;
        word = kWords.value(word, word);
        for (const auto& [from, to] : kLetters)
            word.replace(QString::fromUtf16(from), QString::fromUtf16(to));
        // c is k except in ch (Mecca, Makkah; but Chlef).
        for (qsizetype i = 0; i < word.size(); ++i)
            if (word[i] == u'c' && (i + 1 == word.size() || word[i + 1] != u'h'))
                word[i] = u'k';
        if (word.size() > 3 && word.endsWith(u'h'))
            word.chop(1);
        key += word;
    }
    QString collapsed;
    for (const QChar c : key)
        if (collapsed.isEmpty() || collapsed.back() != c)
            collapsed += c;
    return collapsed;
}

tagSide MakeSide(const QString& id, const QString& name, const QString& suffix, const tagPosition& position)
{
    tagSide side{id, name, suffix, position, {}, {}};
    // CLDR tells some names apart with a comma ("Bay, Somalia", "Prague,
    // Hlavní mešto"), GeoNames some with parentheses.
    const QString plain = WithoutSuperscripts(name);
    QStringList variants = {plain};
    if (const qsizetype comma = plain.indexOf(u','); comma > 0)
        variants.append(plain.left(comma));
    if (const qsizetype open = plain.indexOf(u'('); open > 0)
        variants.append(plain.left(open));
    for (const QString& variant : variants) {
        const QStringList words = Words(variant);
        if (words.isEmpty())
            continue;
        const QString key = words.join(QString());
        if (!side.plainKeys.contains(key))
            side.plainKeys.append(key);
        const QString loose = LooseKey(words);
        if (!side.looseKeys.contains(loose))
            side.looseKeys.append(loose);
    }
    return side;
}

// Costs of the edit distance, in half steps. Vowels, and the h and w that
// transliterations add or leave out (Kosi, Koshi; Khowst, Khost), come and
// go cheaply; so do consonants that render one sound (Qobustan, Gobustan;
// Tipaza, Tipasa); other consonants cost double, so that different places
// with similar names stay apart (Atsinanana, Antsiranana).
bool Weak(QChar c)
{
    return QStringView(u"aeiouhwə").contains(c);
}

int SubstitutionCost(QChar a, QChar b)
{
    if (a == b)
        return 0;
    if (Weak(a) && Weak(b))
        return 1;
    for (const char16_t* kin : {u"kgqcx", u"szcxj", u"jgz", u"dt", u"bpvfw", u"mn"})
        if (QStringView(kin).contains(a) && QStringView(kin).contains(b))
            return 1;
    return 4;
}

int EditCost(const QString& a, const QString& b)
{
    auto indel = [](QChar c) { return Weak(c) ? 1 : 2; };
    QList<QList<int>> d(a.size() + 1, QList<int>(b.size() + 1, 0));
    for (qsizetype i = 1; i <= a.size(); ++i)
        d[i][0] = d[i - 1][0] + indel(a[i - 1]);
    for (qsizetype j = 1; j <= b.size(); ++j)
        d[0][j] = d[0][j - 1] + indel(b[j - 1]);
    for (qsizetype i = 1; i <= a.size(); ++i)
        for (qsizetype j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + indel(a[i - 1]), d[i][j - 1] + indel(b[j - 1]),
                                d[i - 1][j - 1] + SubstitutionCost(a[i - 1], b[j - 1])});
            // Swapped neighbours (Barh, Bahr).
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 2);
        }
    return d[a.size()][b.size()];
}

// The smallest cost between loose keys, or -1 when it is more than names
// of that length can differ by and still be one name spelt two ways.
int FuzzyCost(const tagSide& a, const tagSide& b)
{
    int best = -1;
    for (const QString& x : a.looseKeys)
        for (const QString& y : b.looseKeys) {
            const qsizetype shorter = std::min(x.size(), y.size());
            const int allowed = shorter < 4 ? 0 : shorter < 6 ? 2 : shorter < 10 ? 3 : 5;
            const int cost = EditCost(x, y);
            if (cost <= allowed && (best < 0 || cost < best))
                best = cost;
        }
    return best;
}

// Whether two names are close enough for equal codes to be trusted: the
// codes alone are not, since GeoNames' numbers often only look like ISO's
// (Algeria's DZ.01 is Algiers, ISO DZ-01 Adrar) and CLDR keeps stale names
// for codes ISO has reassigned (Morocco's regions).
bool Similar(const tagSide& a, const tagSide& b)
{
    for (const QString& x : a.looseKeys)
        for (const QString& y : b.looseKeys)
            if (EditCost(x, y) <= 6)
                return true;
    return false;
}

// Whether a name begins like another: a region and the district of its
// seat often share a name (Plzeň Region; Plzeňský, the region, and Plzeň,
// the district), and only the region is GeoNames' division.
bool SharesStem(const tagSide& a, const tagSide& b)
{
    for (const QString& x : a.looseKeys)
        for (const QString& y : b.looseKeys) {
            qsizetype common = 0;
            while (common < x.size() && common < y.size() && x[common] == y[common])
                ++common;
            if (common >= 5 || (common >= 4 && common == std::min(x.size(), y.size())))
                return true;
        }
    return false;
}

bool SharesKey(const QStringList& a, const QStringList& b)
{
    return std::any_of(a.begin(), a.end(), [&b](const QString& key) { return b.contains(key); });
}

using CostFunction = std::function<int(const tagSide&, const tagSide&)>;

// The pairs of one country so far; -1 pairs a division with nothing, for
// good.
struct tagPairing {
    QHash<int, int> geoToCldr, cldrToGeo;
    QHash<int, DivisionMatch> how;

    void Pair(int g, int c, DivisionMatch way)
    {
        geoToCldr.insert(g, c);
        if (c >= 0)
            cldrToGeo.insert(c, g);
        how.insert(g, way);
    }
};

// Pairs the unpaired divisions of one country by cost (-1: no pair): a
// division and a subdivision are paired when each is the other's only
// cheapest choice. Repeated until nothing changes, since each pairing can
// settle a tie.
void PairByCost(const QList<tagSide>& geo, const QList<tagSide>& cldr, const CostFunction& cost,
                DivisionMatch way, tagPairing* pairing)
{
    for (bool changed = true; changed;) {
        changed = false;
        QList<int> geoBest(geo.size(), -1), cldrBest(cldr.size(), -1);
        QList<int> geoCost(geo.size(), -1), cldrCost(cldr.size(), -1);
        QList<bool> geoTie(geo.size(), false), cldrTie(cldr.size(), false);
        for (int g = 0; g < geo.size(); ++g) {
            if (pairing->geoToCldr.contains(g))
                continue;
            for (int c = 0; c < cldr.size(); ++c) {
                if (pairing->cldrToGeo.contains(c))
                    continue;
                const int value = cost(geo[g], cldr[c]);
                if (value < 0)
                    continue;
                if (geoCost[g] < 0 || value < geoCost[g]) {
                    geoCost[g] = value;
                    geoBest[g] = c;
                    geoTie[g] = false;
                } else if (value == geoCost[g]) {
                    geoTie[g] = true;
                }
                if (cldrCost[c] < 0 || value < cldrCost[c]) {
                    cldrCost[c] = value;
                    cldrBest[c] = g;
                    cldrTie[c] = false;
                } else if (value == cldrCost[c]) {
                    cldrTie[c] = true;
                }
            }
        }
        for (int g = 0; g < geo.size(); ++g) {
            const int c = geoBest[g];
            if (c < 0 || geoTie[g] || cldrTie[c] || cldrBest[c] != g)
                continue;
            pairing->Pair(g, c, way);
            changed = true;
        }
    }
}

bool ReadNames(const QString& path, QHash<QString, QString>* names, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"subdivision")
            continue;
        const QString code = xml.attributes().value(QLatin1StringView("type")).toString();
        // Unconfirmed is CLDR's lowest level of trust: proposed, never vetted.
        const bool unconfirmed = xml.attributes().value(QLatin1StringView("draft")) == u"unconfirmed";
        const QString name = xml.readElementText().trimmed();
        if (!unconfirmed && !name.isEmpty())
            names->insert(code, name);
    }
    if (xml.hasError()) {
        *error = QStringLiteral("%1: %2").arg(path, xml.errorString());
        return false;
    }
    return true;
}

// CLDR's containment: "SA" contains sa01 ... sa14, "iqkr" (Kurdistan)
// contains iqar iqda iqsu.
bool ReadPositions(const QString& path, QHash<QString, tagPosition>* positions, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    QHash<QString, QStringList> contains;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"subgroup")
            contains.insert(xml.attributes().value(QLatin1StringView("type")).toString(),
                            xml.attributes().value(QLatin1StringView("contains")).toString().split(
                                u' ', Qt::SkipEmptyParts));
    }
    if (xml.hasError()) {
        *error = QStringLiteral("%1: %2").arg(path, xml.errorString());
        return false;
    }
    QStringList parents;
    for (auto it = contains.cbegin(); it != contains.cend(); ++it)
        if (it.key().size() == 2 && it.key() == it.key().toUpper())
            parents.append(it.key());
    for (int level = 1; !parents.isEmpty(); ++level) {
        QStringList children;
        for (const QString& parent : parents)
            for (const QString& child : contains.value(parent))
                if (!positions->contains(child)) {
                    positions->insert(child, {level, level == 1 ? QString() : parent});
                    children.append(child);
                }
        parents = children;
    }
    return true;
}

} // namespace

QHash<QString, tagCldrDivision> MatchCldrDivisions(const QString& cldrDir, const QList<tagDivisionKey>& divisions,
                                                   QString* error)
{
    QHash<QString, QString> english;
    QHash<QString, tagPosition> positions;
    if (!ReadNames(cldrDir + QStringLiteral("/subdivisions/en.xml"), &english, error)
        || !ReadPositions(cldrDir + QStringLiteral("/supplemental/subdivisions.xml"), &positions, error))
        return {};

    // Subdivisions that CLDR's containment leaves out are ones ISO has
    // withdrawn; they stay as a last choice, for divisions GeoNames has
    // kept since.
    const tagPosition withdrawn{99, QString()};
    QHash<QString, QList<tagSide>> cldrByCountry, geoByCountry;
    for (auto it = english.cbegin(); it != english.cend(); ++it) {
        const QString& code = it.key();
        if (code.size() < 3 || code != code.toLower())
            continue; // the few territories named as parts of others ("AW")
        cldrByCountry[code.left(2).toUpper()].append(
            MakeSide(code, it.value(), code.mid(2), positions.value(code, withdrawn)));
    }
    for (const tagDivisionKey& division : divisions)
        geoByCountry[division.countryCode].append(MakeSide(division.countryCode + u'.' + division.admin1,
                                                           division.englishName, division.admin1.toLower(), {}));

    QHash<QString, const tagHandPair*> handPairs;
    for (const tagHandPair& pair : kHandPairs)
        handPairs.insert(QString::fromLatin1(pair.division), &pair);

    auto firstLevel = [](const CostFunction& cost) {
        return [cost](const tagSide& g, const tagSide& c) { return c.position.level == 1 ? cost(g, c) : -1; };
    };
    const CostFunction plain = [](const tagSide& g, const tagSide& c) {
        return SharesKey(g.plainKeys, c.plainKeys) ? 0 : -1;
    };
    const CostFunction loose = [](const tagSide& g, const tagSide& c) {
        return SharesKey(g.looseKeys, c.looseKeys) ? 0 : -1;
    };
    const CostFunction code = [](const tagSide& g, const tagSide& c) {
        return g.suffix == c.suffix && Similar(g, c) ? 0 : -1;
    };
    const CostFunction fuzzy = [](const tagSide& g, const tagSide& c) { return FuzzyCost(g, c); };
    const struct {
        CostFunction cost;
        DivisionMatch how;
    } rounds[] = {
        {firstLevel(plain), DivisionMatch::ByName}, {plain, DivisionMatch::ByName},
        {firstLevel(loose), DivisionMatch::ByName}, {loose, DivisionMatch::ByName},
        {code, DivisionMatch::ByCode},
        {firstLevel(fuzzy), DivisionMatch::Fuzzy},  {fuzzy, DivisionMatch::Fuzzy},
    };

    QHash<QString, tagCldrDivision> matches;
    for (auto country = geoByCountry.cbegin(); country != geoByCountry.cend(); ++country) {
        const QList<tagSide>& geo = country.value();
        const QList<tagSide> cldr = cldrByCountry.value(country.key());
        QHash<QString, int> cldrIndex;
        for (int c = 0; c < cldr.size(); ++c)
            cldrIndex.insert(cldr[c].id, c);
        tagPairing pairing;

        // Hand pairs first, so that no rule gives their subdivisions away.
        for (int g = 0; g < geo.size(); ++g) {
            const tagHandPair* hand = handPairs.value(geo[g].id);
            if (!hand || geo[g].name != QString::fromUtf8(hand->englishName))
                continue;
            const int c = hand->code ? cldrIndex.value(QString::fromLatin1(hand->code), -2) : -1;
            if (c >= -1 && !pairing.cldrToGeo.contains(c))
                pairing.Pair(g, c, DivisionMatch::ByHand);
        }
        for (const auto& round : rounds)
            PairByCost(geo, cldr, round.cost, round.how, &pairing);

        // A division paired below the first level moves up to a subdivision
        // containing its pair if that one is unpaired, named alike and
        // contains no other pair: a region is then GeoNames' division, not
        // the district of its seat that shares its name (Plzeň Region; CLDR's
        // Plzeňský, the region, and Plzeň, the district). Where GeoNames'
        // divisions are at the lower level, their siblings are paired too and
        // nothing moves (Indonesia's Maluku and North Maluku stay apart, not
        // the Maluku Islands).
        auto parentOf = [&](int c) { return cldrIndex.value(cldr[c].position.parent, -1); };
        QHash<int, int> pairsWithin;
        for (auto it = pairing.cldrToGeo.cbegin(); it != pairing.cldrToGeo.cend(); ++it)
            for (int up = parentOf(it.key()); up >= 0; up = parentOf(up))
                ++pairsWithin[up];
        for (const int g : pairing.geoToCldr.keys()) {
            const int paired = pairing.geoToCldr.value(g);
            if (paired < 0)
                continue;
            for (int up = parentOf(paired); up >= 0; up = parentOf(up))
                if (!pairing.cldrToGeo.contains(up) && pairsWithin.value(up) == 1 && SharesStem(geo[g], cldr[up])) {
                    pairing.cldrToGeo.remove(paired);
                    pairing.Pair(g, up, pairing.how.value(g));
                    break;
                }
        }
        for (auto it = pairing.geoToCldr.cbegin(); it != pairing.geoToCldr.cend(); ++it)
            if (it.value() >= 0)
                matches.insert(geo[it.key()].id, {cldr[it.value()].id, pairing.how.value(it.key())});
    }
    return matches;
}

QHash<QString, QString> CldrDivisionNames(const QString& cldrDir, const QString& language,
                                          const QList<tagDivisionKey>& divisions, QStringList* log)
{
    QString error;
    QHash<QString, QString> names;
    const QHash<QString, tagCldrDivision> matches = MatchCldrDivisions(cldrDir, divisions, &error);
    if (!error.isEmpty()
        || !ReadNames(QStringLiteral("%1/subdivisions/%2.xml").arg(cldrDir, language), &names, &error)) {
        *log << QStringLiteral("no CLDR division names: %1").arg(error);
        return {};
    }

    QHash<QString, QString> result;
    int counts[4] = {};
    for (auto it = matches.cbegin(); it != matches.cend(); ++it) {
        ++counts[int(it->how)];
        const QString name = CleanArabicName(WithoutSuperscripts(names.value(it->code)));
        if (!name.isEmpty())
            result.insert(it.key(), name);
    }
    *log << QStringLiteral("%1 of %2 divisions named in %3 from CLDR; paired %4 by name, %5 by code, %6 fuzzily, "
                           "%7 by hand, %8 not at all; %9 of the paired have no %3 name there")
                .arg(result.size())
                .arg(divisions.size())
                .arg(language)
                .arg(counts[int(DivisionMatch::ByName)])
                .arg(counts[int(DivisionMatch::ByCode)])
                .arg(counts[int(DivisionMatch::Fuzzy)])
                .arg(counts[int(DivisionMatch::ByHand)])
                .arg(divisions.size() - matches.size())
                .arg(matches.size() - result.size());
    return result;
}
