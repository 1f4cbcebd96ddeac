// The NMEA 0183 sentence parser: raw receiver bytes in, the latest values of
// six sentence types out. The groups keep their GP names; each is filled by
// its sentence type from any talker the parser knows (GPGGA, GNGGA, ...).
#pragma once

#include <cstddef>
#include <cstdint>

// GGA: time, position and fix quality.
struct tagGPGGA {
    std::uint8_t hour = 0, minute = 0, second = 0; // UTC
    double latitude = 0;   // degrees, south negative
    double longitude = 0;  // degrees, west negative
    std::uint8_t fixQuality = 0;
    std::uint8_t satellitesUsed = 0;
    double horizontalDilution = 0;
    double altitude = 0;
    std::int32_t count = 0;
    std::int32_t previousTime = 0;  // minute * 60 + second of the previous GGA
    double previousAltitude = 0;
    double verticalSpeed = 0;       // altitude units per minute
    bool operator==(const tagGPGGA&) const = default;
};

// GSA: the satellites of the solution and the dilutions.
struct tagGPGSA {
    char mode = 'M';            // 'M' manual, 'A' automatic
    std::uint8_t fixMode = 1;   // 1 no fix, 2 2-D, 3 3-D
    std::uint16_t satellitesUsed[36] = {}; // a sentence fills the first 12
    double positionDilution = 0;
    double horizontalDilution = 0;
    double verticalDilution = 0;
    std::int32_t count = 0;
    bool operator==(const tagGPGSA&) const = default;
};

struct tagSatellite {
    std::uint16_t number = 0;
    std::uint16_t signalToNoise = 0;
    std::int32_t used = 0;     // 1 when the latest GSA lists it in the solution
    std::uint16_t azimuth = 0;
    std::uint16_t elevation = 0;
    bool operator==(const tagSatellite&) const = default;
};

// GSV: the satellites in view, four per sentence.
struct tagGPGSV {
    std::uint16_t satellitesInView = 0; // the latest GSV's own count, of one satellite system
    tagSatellite satellites[36];
    std::int32_t count = 0;
    bool operator==(const tagGPGSV&) const = default;
};

// RMB: navigation towards a destination waypoint.
struct tagGPRMB {
    char dataStatus = 'V';      // 'A' valid, 'V' warning
    double crossTrackError = 0;
    char directionToSteer = '?'; // 'L', 'R'
    char originWaypoint[32] = {};
    char destinationWaypoint[32] = {};
    double destinationLatitude = 0;  // degrees, south negative
    double destinationLongitude = 0; // degrees, west negative
    double rangeToDestination = 0;
    double bearingToDestination = 0;
    double closingVelocity = 0;
    char arrivalStatus = 'V';   // 'A' arrived, 'V' not
    std::int32_t count = 0;
    bool operator==(const tagGPRMB&) const = default;
};

// RMC: the recommended minimum: time, date, position, speed, course.
struct tagGPRMC {
    std::uint8_t hour = 0, minute = 0, second = 0; // UTC
    char status = 'V';          // 'A' valid, 'V' warning
    double latitude = 0;        // degrees, south negative
    double longitude = 0;       // degrees, west negative
    double speedOverGround = 0; // knots
    double courseOverGround = 0; // degrees true
    std::uint8_t day = 1, month = 1;
    std::uint16_t year = 2000;
    double magneticVariation = 0; // degrees, west negative
    std::int32_t count = 0;
    bool operator==(const tagGPRMC&) const = default;
};

// ZDA: UTC date and time with the receiver's local zone.
struct tagGPZDA {
    std::uint8_t hour = 0, minute = 0, second = 0;
    std::uint8_t day = 1, month = 1;
    std::uint16_t year = 2000;
    std::int8_t localZoneHours = 0;
    std::uint8_t localZoneMinutes = 0;
    std::int32_t count = 0;
    bool operator==(const tagGPZDA&) const = default;
};

// Frames NMEA 0183 sentences out of bytes fed in chunks of any size (the
// framing state survives between chunks), checks their checksums and keeps
// the latest values of GGA, GSA, GSV, RMB, RMC and ZDA. A name is a talker
// (GP GPS, GN several systems together, GL GLONASS, GA Galileo, GB or BD
// BeiDou, GQ QZSS, GI NavIC) and the type, nothing more: receivers that track
// several systems send their position only as GNGGA (or GLGGA, BDGGA), and
// their satellites as one GSV group per system. Callers read the values
// directly. Malformed input is dropped silently: a name of 8 or more
// characters, a body of 256 or more, a checksum that does not match. Works on
// fixed buffers inside the object and never allocates.
class CSentenceParser {
public:
    CSentenceParser();
    virtual ~CSentenceParser();

    // Feeds count bytes, in order, to ParseChar. Always returns 1.
    int ParseBuffer(const char* bytes, std::size_t count);
    // One step of the framing state machine; dispatches a complete sentence.
    void ParseChar(char c);
    // Puts every sentence value back to its default, each talker's
    // satellites in view included; framing and the sentence count are left
    // alone.
    void ResetData();

    // Copies field n (0-based, after the name) of a sentence body into out,
    // which holds size characters. Returns 1 when the field has text, 0 when
    // it is empty or absent (out is then empty). A longer field is cut to
    // size - 1 characters.
    static int GetField(const char* body, char* out, int n, int size);
    // 1 when number is not 0 and the latest GSA lists it among its 12 used
    // slots.
    int IsSatUsed(std::uint16_t number) const;
    // Satellites in view over every satellite system: the sum of the count
    // in the latest GSV of each talker. 0 until a GSV has told one.
    int SatellitesInView() const;

    // The talkers read, GP first; the order indexes m_talkerInView.
    static constexpr int kTalkers = 8;

    // Framing.
    std::int32_t m_state = 0;
    std::uint8_t m_checksum = 0;
    std::uint8_t m_receivedChecksum = 0;
    std::int16_t m_index = 0;
    char m_name[8] = {};
    char m_data[256] = {};
    std::int32_t m_sentenceCount = 0; // sentences dispatched, of any name

    tagGPGGA m_gga;
    tagGPGSA m_gsa;
    tagGPGSV m_gsv;
    tagGPRMB m_rmb;
    tagGPRMC m_rmc;
    tagGPZDA m_zda;

protected:
    void ProcessSentence(const char* name, const char* body);
    void ParseGGA(const char* body);
    void ParseGSA(const char* body);
    void ParseGSV(const char* body, int talker);
    void ParseRMB(const char* body);
    void ParseRMC(const char* body);
    void ParseZDA(const char* body);

    // The satellites-in-view count of each talker's latest GSV.
    std::uint16_t m_talkerInView[kTalkers] = {};
};
