// The shipped world data, read through the shipped library as a host reads
// it: data/KVCities is copied to a temporary directory (so nothing writes to
// it) and opened by CTerrafind30.
#pragma once

#include <terrafind/terrafind.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

inline QString ShippedFile(const char* name)
{
    return QStringLiteral(TERRAFIND_SOURCE_DIR "/data/") + QLatin1String(name);
}

class ShippedData : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(ShippedFile("KVCities"), m_dir.filePath(u"KVCities"_s)));
        qputenv("TERRAFIND_DB", m_dir.filePath(u"KVCities"_s).toLocal8Bit());
        ASSERT_EQ(m_places.Init(), 1) << "data/KVCities does not open";
    }

    // The ID of a country, or of a city of country; 0 when there is none.
    std::uint32_t ID(const QString& name, std::uint32_t country = 0)
    {
        QStringList names;
        QList<unsigned int> ids;
        country ? m_places.GetCities(country, &names, &ids) : m_places.GetAllCountries(&names, &ids);
        return ids.value(names.indexOf(name));
    }

    // The first row of a read-only query, each value as text.
    static QStringList Row(const QString& query)
    {
        QStringList columns;
        QList<QStringList> rows;
        EXPECT_EQ(QueryPlaceDatabase(query, &columns, &rows), S_OK) << qPrintable(query);
        return rows.value(0);
    }

    QTemporaryDir m_dir;
    CTerrafind30 m_places;
};
