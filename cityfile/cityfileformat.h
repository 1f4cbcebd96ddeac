// The layout of kvCities.bin, shared by the reader and the writer.
//
// Little-endian, every integer 16 bits wide. A 12-byte header at offset 0,
// then two tables wherever the header puts them:
//
//   header   +0 magic 90   +2 (unused, 0)   +4 country table offset
//            +6 country count   +8 city table offset   +10 city count
//   country  +0 English name[32]  +32 Arabic name[32]  +64 Arabic position
//   (72 B)   +66 method  +68 first city (0-based city record)  +70 city count
//   city     +0 English name[32]  +32 Arabic name[32]  +64 Arabic position
//   (76 B)   +66 longitude degrees  +68 longitude minutes  +70 latitude degrees
//            +72 latitude minutes  +74 time zone (tenths of an hour)
//
// Names are code page 1256, zero-terminated within their 32 bytes. Cities
// are stored grouped by country in country order; both tables are in
// English order, and the Arabic positions give the Arabic order (among all
// countries, or among the cities of one country).
#pragma once

#include <cstdint>

namespace CityFile {

inline constexpr char16_t kFileName[] = u"kvCities.bin";
inline constexpr std::uint16_t kMagic = 90;

inline constexpr std::uint32_t kHeaderSize = 12;
inline constexpr std::uint32_t kNameSize = 32;
inline constexpr std::uint32_t kCountrySize = 72;
inline constexpr std::uint32_t kCitySize = 76;

// Field offsets inside a record.
inline constexpr std::uint32_t kArabicName = 32;
inline constexpr std::uint32_t kArabicPosition = 64;
inline constexpr std::uint32_t kCountryMethod = 66;
inline constexpr std::uint32_t kCountryFirstCity = 68;
inline constexpr std::uint32_t kCountryCityCount = 70;
inline constexpr std::uint32_t kCityLongitude = 66;

// Every count and both table offsets are 16-bit.
inline constexpr std::uint32_t kMaxRecords = 0xFFFF;
inline constexpr std::uint32_t kMaxTableOffset = 0xFFFF;

} // namespace CityFile
