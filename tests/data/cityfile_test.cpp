// data/kvCities.bin is exactly what the writer makes of data/KVCities.
#include "shippedplaces.h"

#include "cityfile/cityfilewriter.h"

namespace {

TEST_F(ShippedData, CityFileIsWhatTheWriterMakesOfThePlaceDatabase)
{
    CCityFileWriter writer;
    QFile shipped(ShippedFile("kvCities.bin")), made(m_dir.filePath(u"kvCities.bin"_s));
    ASSERT_TRUE(writer.Read(m_places) && writer.Write(made.fileName())) << qPrintable(writer.Error());
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly) && made.open(QIODevice::ReadOnly));
    EXPECT_TRUE(shipped.readAll() == made.readAll()) << "data/kvCities.bin is not the export of data/KVCities";
}

} // namespace
