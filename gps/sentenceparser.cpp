#include "sentenceparser.h"

#include "common/decimal.h"
#include "sentencefields.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>

namespace {

// Every sentence parser reads its fields into buffers of this size, so a
// field yields at most 24 characters.
constexpr int kFieldSize = 25;
using Field = char[kFieldSize];

constexpr double kOneSixtieth = 0.016666666666666666;

bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The leading decimal integer, as atoi reads it (leading white space, an
// optional sign). Out-of-range values saturate, as they do where long has
// 32 bits, instead of being undefined.
int ToInt(const char* text)
{
    while (IsSpace(*text))
        ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > std::numeric_limits<int>::max()) {
            value = std::numeric_limits<int>::max() + static_cast<long long>(negative);
            break;
        }
    }
    return static_cast<int>(negative ? -value : value);
}

// atoi of the first two characters only.
int ToInt2(const char* text)
{
    const char pair[3] = {text[0], text[0] ? text[1] : '\0', '\0'};
    return ToInt(pair);
}

// ddmm.mmmm (degreeDigits 2) or dddmm.mmmm (3) to degrees.
double ToAngle(const char* text, std::size_t degreeDigits)
{
    char degrees[4] = {};
    std::size_t length = 0;
    while (length < degreeDigits && text[length]) {
        degrees[length] = text[length];
        ++length;
    }
    const double minutes = length == degreeDigits ? LeadingDecimal(text + degreeDigits) : 0;
    return LeadingDecimal(degrees) + minutes * kOneSixtieth;
}

// hhmmss with an optional fraction, which is ignored.
void ToTime(const char* text, std::uint8_t* hour, std::uint8_t* minute, std::uint8_t* second)
{
    const std::size_t length = std::strlen(text);
    *hour = static_cast<std::uint8_t>(ToInt2(text));
    *minute = static_cast<std::uint8_t>(length > 2 ? ToInt2(text + 2) : 0);
    *second = static_cast<std::uint8_t>(length > 4 ? ToInt2(text + 4) : 0);
}

// Field n read as a number, a whole number or its first character; absent
// when the field is empty.
double DecimalField(const CSentenceFields& fields, int n, double absent = 0)
{
    Field text;
    return fields.Get(n, text, kFieldSize) ? LeadingDecimal(text) : absent;
}

int IntegerField(const CSentenceFields& fields, int n, int absent)
{
    Field text;
    return fields.Get(n, text, kFieldSize) ? ToInt(text) : absent;
}

char LetterField(const CSentenceFields& fields, int n, char absent)
{
    Field text;
    return fields.Get(n, text, kFieldSize) ? text[0] : absent;
}

// Reads a coordinate and its hemisphere letter. An empty coordinate leaves
// the stored value, sign included, as it was.
void ReadCoordinate(const CSentenceFields& fields, int field, std::size_t degreeDigits, char negativeHemisphere,
                    double* value)
{
    Field text, hemisphere;
    if (!fields.Get(field, text, kFieldSize))
        return;
    double angle = ToAngle(text, degreeDigits);
    if (fields.Get(field + 1, hemisphere, kFieldSize) && hemisphere[0] == negativeHemisphere)
        angle = -angle;
    *value = angle;
}

// The talker of a name, as an index into m_talkerInView (GP first), or -1
// for one the parser does not read.
int TalkerIndex(const char* name)
{
    switch (name[0]) {
    case 'G':
        switch (name[1]) {
        case 'P': return 0; // GPS
        case 'N': return 1; // several systems in one solution
        case 'L': return 2; // GLONASS
        case 'A': return 3; // Galileo
        case 'B': return 4; // BeiDou
        case 'Q': return 6; // QZSS
        case 'I': return 7; // NavIC
        default: return -1;
        }
    case 'B':
        return name[1] == 'D' ? 5 : -1; // BeiDou, as older modules name it
    default:
        return -1;
    }
}

constexpr std::uint32_t TypeCode(char a, char b, char c)
{
    return std::uint32_t(std::uint8_t(a)) << 16 | std::uint32_t(std::uint8_t(b)) << 8 | std::uint8_t(c);
}

// The three letters after the talker, when they end the name; 0 otherwise
// (a longer or shorter name is no sentence the parser reads). Each letter is
// looked at only once the one before it is known not to end the text.
std::uint32_t TypeCode(const char* type)
{
    if (!type[0] || !type[1] || !type[2] || type[3])
        return 0;
    return TypeCode(type[0], type[1], type[2]);
}

} // namespace

CSentenceParser::CSentenceParser()
{
    ResetData();
}

CSentenceParser::~CSentenceParser() = default;

void CSentenceParser::ResetData()
{
    m_gga = tagGPGGA();
    m_gsa = tagGPGSA();
    m_gsv = tagGPGSV();
    m_rmb = tagGPRMB();
    m_rmc = tagGPRMC();
    m_zda = tagGPZDA();
    std::fill(std::begin(m_talkerInView), std::end(m_talkerInView), std::uint16_t(0));
}

// Byte for byte what ParseChar does, with the two states where nearly all
// bytes are spent taken in bulk: the gap between sentences, and the body.
int CSentenceParser::ParseBuffer(const char* bytes, std::size_t count)
{
    const char* p = bytes;
    const char* const end = bytes + count;
    while (p < end) {
        if (m_state == 0) {
            p = static_cast<const char*>(std::memchr(p, '$', static_cast<std::size_t>(end - p)));
            if (!p)
                break;
        } else if (m_state == 2) {
            std::uint8_t checksum = m_checksum;
            int index = m_index;
            while (p < end && *p != '*' && *p != '\r' && index < static_cast<int>(sizeof m_data) - 1) {
                checksum ^= static_cast<std::uint8_t>(*p);
                m_data[index++] = *p++;
            }
            m_checksum = checksum;
            m_index = static_cast<std::int16_t>(index);
            if (p == end)
                break;
        }
        ParseChar(*p++);
    }
    return 1;
}

// A sentence: $NAME,field,field,...*hh<CR><LF>. The checksum hh is the
// exclusive-or of every character between '$' and '*', in upper-case hex.
// A sentence ended by a carriage return before any '*' has no checksum
// and is taken as it is.
void CSentenceParser::ParseChar(char character)
{
    const auto c = static_cast<std::uint8_t>(character);
    switch (m_state) {
    case 0: // searching for '$'
        if (c == '$') {
            m_checksum = 0;
            m_index = 0;
            m_state = 1;
        }
        break;
    case 1: // name
        if (c == ',' || c == '*') {
            m_name[m_index] = '\0';
            m_index = 0;
            m_checksum ^= c;
            m_state = 2;
        } else {
            m_name[m_index++] = static_cast<char>(c);
            m_checksum ^= c;
            if (m_index == static_cast<std::int16_t>(sizeof m_name))
                m_state = 0;
        }
        break;
    case 2: // body
        if (c == '*') {
            m_data[m_index] = '\0';
            m_state = 3;
        } else if (c == '\r') {
            m_data[m_index] = '\0';
            m_state = 0;
            ProcessSentence(m_name, m_data);
        } else {
            m_checksum ^= c;
            m_data[m_index++] = static_cast<char>(c);
            if (m_index == static_cast<std::int16_t>(sizeof m_data))
                m_state = 0;
        }
        break;
    case 3: // first checksum digit; letters are read as upper case
        if (int(c) - '0' <= 9)
            m_receivedChecksum = static_cast<std::uint8_t>(c * 16);
        else
            m_receivedChecksum = static_cast<std::uint8_t>((c - 7) * 16);
        m_state = 4;
        break;
    case 4: // second digit: a lower-case letter spills into the high bits
        if (int(c) - '0' <= 9)
            m_receivedChecksum = static_cast<std::uint8_t>(m_receivedChecksum | static_cast<std::uint8_t>(c - '0'));
        else
            m_receivedChecksum = static_cast<std::uint8_t>(m_receivedChecksum | static_cast<std::uint8_t>(c - 55));
        m_state = 0;
        if (m_receivedChecksum == m_checksum)
            ProcessSentence(m_name, m_data);
        break;
    default:
        m_state = 0;
        break;
    }
}

// The talker only says which satellite system the values come from; a
// GNGGA is as much a position as a GPGGA. Only the GSV counts are kept per
// talker, since each system reports its own satellites.
void CSentenceParser::ProcessSentence(const char* name, const char* body)
{
    ++m_sentenceCount;
    const int talker = TalkerIndex(name);
    if (talker < 0)
        return;
    switch (TypeCode(name + 2)) {
    case TypeCode('G', 'G', 'A'): ParseGGA(body); break;
    case TypeCode('G', 'S', 'A'): ParseGSA(body); break;
    case TypeCode('G', 'S', 'V'): ParseGSV(body, talker); break;
    case TypeCode('R', 'M', 'B'): ParseRMB(body); break;
    case TypeCode('R', 'M', 'C'): ParseRMC(body); break;
    case TypeCode('Z', 'D', 'A'): ParseZDA(body); break;
    default: break;
    }
}

int CSentenceParser::GetField(const char* body, char* out, int n, int size)
{
    if (!body || !out || size < 1)
        return 0;
    const char* p = body;
    for (int commas = 0; commas < n; ++p) {
        if (*p == '\0') {
            out[0] = '\0';
            return 0;
        }
        if (*p == ',')
            ++commas;
    }
    return CopyField(p, out, size);
}

int CSentenceParser::SatellitesInView() const
{
    int inView = 0;
    for (const std::uint16_t count : m_talkerInView)
        inView += count;
    return inView;
}

int CSentenceParser::IsSatUsed(std::uint16_t number) const
{
    if (number == 0)
        return 0;
    for (int i = 0; i < 12; ++i) {
        if (m_gsa.satellitesUsed[i] == number)
            return 1;
    }
    return 0;
}

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
//        time   latitude   longitude   q sats hdop altitude
void CSentenceParser::ParseGGA(const char* body)
{
    const CSentenceFields fields(body);
    Field field;
    if (fields.Get(0, field, kFieldSize))
        ToTime(field, &m_gga.hour, &m_gga.minute, &m_gga.second);
    ReadCoordinate(fields, 1, 2, 'S', &m_gga.latitude);
    ReadCoordinate(fields, 3, 3, 'W', &m_gga.longitude);
    if (fields.Get(5, field, kFieldSize))
        m_gga.fixQuality = static_cast<std::uint8_t>(field[0] - '0');
    if (fields.Get(6, field, kFieldSize))
        m_gga.satellitesUsed = static_cast<std::uint8_t>(ToInt2(field));
    if (fields.Get(7, field, kFieldSize))
        m_gga.horizontalDilution = LeadingDecimal(field);
    if (fields.Get(8, field, kFieldSize))
        m_gga.altitude = LeadingDecimal(field);

    // Climb per minute since the previous GGA; skipped within the same
    // second and when a new hour wraps the seconds-within-the-hour back.
    const int time = m_gga.minute * 60 + m_gga.second;
    if (time > m_gga.previousTime)
        m_gga.verticalSpeed = (m_gga.previousAltitude - m_gga.altitude) / ((m_gga.previousTime - time) * kOneSixtieth);
    ++m_gga.count;
    m_gga.previousTime = time;
    m_gga.previousAltitude = m_gga.altitude;
}

// $GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39
//        mode, fix, 12 satellite slots, PDOP, HDOP, VDOP
void CSentenceParser::ParseGSA(const char* body)
{
    const CSentenceFields fields(body);
    Field field;
    if (fields.Get(0, field, kFieldSize))
        m_gsa.mode = field[0];
    if (fields.Get(1, field, kFieldSize))
        m_gsa.fixMode = static_cast<std::uint8_t>(field[0] - '0');
    for (int slot = 0; slot < 12; ++slot)
        m_gsa.satellitesUsed[slot] = static_cast<std::uint16_t>(fields.Get(2 + slot, field, kFieldSize) ? ToInt2(field) : 0);
    m_gsa.positionDilution = DecimalField(fields, 14);
    m_gsa.horizontalDilution = DecimalField(fields, 15);
    m_gsa.verticalDilution = DecimalField(fields, 16);
    ++m_gsa.count;
}

// $GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75
//        sentences in the group, this one, in view, then 4 x (PRN, elevation, azimuth, SNR)
void CSentenceParser::ParseGSV(const char* body, int talker)
{
    const CSentenceFields fields(body);
    Field field;
    // The table holds 36 satellites, four per sentence.
    if (!fields.Get(0, field, kFieldSize))
        return;
    const int sentences = ToInt(field);
    if (sentences < 1 || sentences > 8)
        return;
    if (!fields.Get(1, field, kFieldSize))
        return;
    const int sentence = ToInt(field);
    if (sentence < 1 || sentence > 9)
        return;
    if (fields.Get(2, field, kFieldSize)) {
        m_gsv.satellitesInView = static_cast<std::uint16_t>(ToInt(field));
        m_talkerInView[talker] = m_gsv.satellitesInView;
    }
    for (int k = 0; k < 4; ++k) {
        tagSatellite& satellite = m_gsv.satellites[(sentence - 1) * 4 + k];
        const auto integer = [&](int n) { return static_cast<std::uint16_t>(IntegerField(fields, n, 0)); };
        satellite.number = integer(3 + 4 * k);
        satellite.elevation = integer(4 + 4 * k);
        satellite.azimuth = integer(5 + 4 * k);
        satellite.signalToNoise = integer(6 + 4 * k);
        satellite.used = IsSatUsed(satellite.number);
    }
    ++m_gsv.count;
}

// $GPRMB,A,0.66,L,003,004,4917.24,N,12309.57,W,001.3,052.5,000.5,V*20
//        status, XTE, steer, origin, destination, lat, lon, range, bearing, velocity, arrived
void CSentenceParser::ParseRMB(const char* body)
{
    const CSentenceFields fields(body);
    m_rmb.dataStatus = LetterField(fields, 0, 'V');
    m_rmb.crossTrackError = DecimalField(fields, 1);
    m_rmb.directionToSteer = LetterField(fields, 2, '?');
    fields.Get(3, m_rmb.originWaypoint, kFieldSize);
    fields.Get(4, m_rmb.destinationWaypoint, kFieldSize);
    ReadCoordinate(fields, 5, 2, 'S', &m_rmb.destinationLatitude);
    ReadCoordinate(fields, 7, 3, 'W', &m_rmb.destinationLongitude);
    m_rmb.rangeToDestination = DecimalField(fields, 9);
    m_rmb.bearingToDestination = DecimalField(fields, 10);
    m_rmb.closingVelocity = DecimalField(fields, 11);
    m_rmb.arrivalStatus = LetterField(fields, 12, 'V');
    ++m_rmb.count;
}

// $GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A
//        time, status, lat, lon, knots, course, ddmmyy, magnetic variation
void CSentenceParser::ParseRMC(const char* body)
{
    const CSentenceFields fields(body);
    Field field;
    if (fields.Get(0, field, kFieldSize))
        ToTime(field, &m_rmc.hour, &m_rmc.minute, &m_rmc.second);
    m_rmc.status = LetterField(fields, 1, 'V');
    ReadCoordinate(fields, 2, 2, 'S', &m_rmc.latitude);
    ReadCoordinate(fields, 4, 3, 'W', &m_rmc.longitude);
    m_rmc.speedOverGround = DecimalField(fields, 6);
    m_rmc.courseOverGround = DecimalField(fields, 7);
    if (fields.Get(8, field, kFieldSize)) {
        const std::size_t length = std::strlen(field);
        m_rmc.day = static_cast<std::uint8_t>(ToInt2(field));
        m_rmc.month = static_cast<std::uint8_t>(length > 2 ? ToInt2(field + 2) : 0);
        m_rmc.year = static_cast<std::uint16_t>(2000 + (length > 4 ? ToInt2(field + 4) : 0));
    }
    m_rmc.magneticVariation = 0;
    if (fields.Get(9, field, kFieldSize)) {
        m_rmc.magneticVariation = LeadingDecimal(field);
        if (fields.Get(10, field, kFieldSize) && field[0] == 'W')
            m_rmc.magneticVariation = -m_rmc.magneticVariation;
    }
    ++m_rmc.count;
}

// $GPZDA,201530.00,04,07,2002,00,00*60
//        time, day, month, year, local zone hours, minutes
void CSentenceParser::ParseZDA(const char* body)
{
    const CSentenceFields fields(body);
    Field field;
    if (fields.Get(0, field, kFieldSize))
        ToTime(field, &m_zda.hour, &m_zda.minute, &m_zda.second);
    m_zda.day = static_cast<std::uint8_t>(IntegerField(fields, 1, 1));
    m_zda.month = static_cast<std::uint8_t>(IntegerField(fields, 2, 1));
    m_zda.year = static_cast<std::uint16_t>(IntegerField(fields, 3, 1));
    m_zda.localZoneHours = static_cast<std::int8_t>(IntegerField(fields, 4, 0));
    m_zda.localZoneMinutes = static_cast<std::uint8_t>(IntegerField(fields, 5, 0));
    ++m_zda.count;
}
