#include "zoneinfo.h"

#include <QFile>
#include <QRegularExpression>

namespace {

// A POSIX TZ offset, "[+-]hh[:mm[:ss]]", counted positive WEST of GMT.
// Returns seconds and advances pos; empty when none is there.
std::optional<int> ReadOffset(const QString& text, qsizetype& pos)
{
    static const QRegularExpression offset(QStringLiteral("\\G([+-]?)(\\d{1,3})(?::(\\d{2}))?(?::(\\d{2}))?"));
    const QRegularExpressionMatch m = offset.match(text, pos);
    if (!m.hasMatch())
        return std::nullopt;
    pos = m.capturedEnd();
    const int seconds = m.captured(2).toInt() * 3600 + m.captured(3).toInt() * 60 + m.captured(4).toInt();
    return m.captured(1) == u"-" ? -seconds : seconds;
}

// A zone abbreviation: letters, or anything between < and >.
bool SkipName(const QString& text, qsizetype& pos)
{
    const qsizetype start = pos;
    if (pos < text.size() && text[pos] == u'<') {
        pos = text.indexOf(u'>', pos);
        if (pos < 0)
            return false;
        ++pos;
        return true;
    }
    while (pos < text.size() && text[pos].isLetter())
        ++pos;
    return pos - start >= 3;
}

// zone.tab writes positions as ±DDMM[SS]±DDDMM[SS].
double Angle(const QString& text, int degreeDigits)
{
    const double sign = text.startsWith(u'-') ? -1.0 : 1.0;
    const QString digits = text.mid(1);
    const double degrees = digits.left(degreeDigits).toDouble();
    const double minutes = digits.mid(degreeDigits, 2).toDouble();
    const double seconds = digits.size() > degreeDigits + 2 ? digits.mid(degreeDigits + 2, 2).toDouble() : 0.0;
    return sign * (degrees + minutes / 60.0 + seconds / 3600.0);
}

} // namespace

CZoneInfo::CZoneInfo(QString root)
    : m_root(std::move(root))
{
}

std::optional<int> CZoneInfo::NonSummerOffset(const QString& rule)
{
    qsizetype pos = 0;
    if (!SkipName(rule, pos))
        return std::nullopt;
    const std::optional<int> standardWest = ReadOffset(rule, pos);
    if (!standardWest)
        return std::nullopt;
    const int standard = -*standardWest;
    if (pos == rule.size())
        return standard;
    if (!SkipName(rule, pos))
        return std::nullopt;
    // Without its own offset, summer time is one hour ahead of standard.
    const std::optional<int> summerWest = ReadOffset(rule, pos);
    const int summer = summerWest ? -*summerWest : standard + 3600;
    // Summer time is the later clock, so the other one is the standard;
    // zones that declare a negative summer time (Dublin) have it backwards.
    return std::min(standard, summer);
}

std::optional<int> CZoneInfo::StandardOffset(const QString& zone)
{
    const auto known = m_offsets.constFind(zone);
    if (known != m_offsets.constEnd())
        return *known;

    std::optional<int> tenths;
    QFile file(m_root + u'/' + zone);
    if (file.open(QIODevice::ReadOnly)) {
        // TZif version 2 and later end in "\n<POSIX TZ rule>\n", the rule in
        // force after the last transition.
        const QByteArray data = file.readAll();
        if (data.startsWith("TZif") && data.size() > 5 && data[4] >= '2' && data.endsWith('\n')) {
            const qsizetype start = data.lastIndexOf('\n', data.size() - 2) + 1;
            const QString rule = QString::fromLatin1(data.mid(start, data.size() - 1 - start));
            if (const std::optional<int> seconds = NonSummerOffset(rule))
                tenths = *seconds / 360; // C++ division truncates toward zero
        }
    }
    m_offsets.insert(zone, tenths);
    return tenths;
}

QMap<QString, tagZonePlace> CZoneInfo::CountryPlaces() const
{
    QMap<QString, tagZonePlace> places;
    QFile file(m_root + QStringLiteral("/zone.tab"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return places;
    // Lines: code <TAB> ±DDMM±DDDMM <TAB> zone [<TAB> comment]
    static const QRegularExpression position(QStringLiteral("^([+-]\\d{4}(?:\\d{2})?)([+-]\\d{5}(?:\\d{2})?)$"));
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList fields = line.split(u'\t');
        if (fields.size() < 3 || places.contains(fields[0]))
            continue;
        const QRegularExpressionMatch m = position.match(fields[1]);
        if (!m.hasMatch())
            continue;
        places.insert(fields[0], {fields[0], fields[2], Angle(m.captured(1), 2), Angle(m.captured(2), 3)});
    }
    return places;
}

QString CZoneInfo::Canonical(const QString& zone)
{
    if (m_listed.isEmpty()) {
        for (const tagZonePlace& place : CountryPlaces())
            m_listed.insert(place.zone);
        QFile file(m_root + QStringLiteral("/zone.tab"));
        if (file.open(QIODevice::ReadOnly | QIODevice::Text))
            while (!file.atEnd()) {
                const QStringList fields = QString::fromUtf8(file.readLine()).trimmed().split(u'\t');
                if (fields.size() >= 3 && !fields[0].startsWith(u'#'))
                    m_listed.insert(fields[2]);
            }
        // tzdata.zi, zic's compact input, writes a link as "L TARGET NAME".
        QFile compact(m_root + QStringLiteral("/tzdata.zi"));
        if (compact.open(QIODevice::ReadOnly | QIODevice::Text))
            while (!compact.atEnd()) {
                const QStringList fields = QString::fromUtf8(compact.readLine()).trimmed().split(u' ');
                if (fields.size() == 3 && fields[0] == u"L")
                    m_links.insert(fields[2], fields[1]);
            }
    }
    QString name = zone;
    for (int hops = 0; hops < 8 && !m_listed.contains(name) && m_links.contains(name); ++hops)
        name = m_links.value(name);
    return name;
}
