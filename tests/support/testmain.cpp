// Every test executable runs inside a QApplication (offscreen under ctest),
// so widget, font and collation code behaves as in a host.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // No test reads a gpsd of the machine's: each names its own.
    if (!qEnvironmentVariableIsSet("TERRAFIND_GPSD"))
        qputenv("TERRAFIND_GPSD", "127.0.0.1:1");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
