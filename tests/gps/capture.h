// The NMEA captures in tests/gps/data, as a receiver would send them.
#pragma once

#include <QFile>

#include <string>

// The capture's bytes without its comment lines (those starting with '#'),
// line endings as recorded. Empty when the file cannot be read.
inline std::string ReadCapture(const QString& name)
{
    QFile file(QStringLiteral(TERRAFIND_SOURCE_DIR "/tests/gps/data/") + name);
    std::string bytes;
    if (file.open(QIODevice::ReadOnly)) {
        while (!file.atEnd()) {
            if (const QByteArray line = file.readLine(); !line.startsWith('#'))
                bytes += line.toStdString();
        }
    }
    return bytes;
}

inline const char* const kCaptures[] = {
    "GPSmap-76S.log", "ac12.log", "bu353s4.log", "ch-4711.log", "eXplorist110.log",
    "garmin25lp.log", "holux-gm-210.log", "mt3339.log", "ublox-lea-5h.log",
};
