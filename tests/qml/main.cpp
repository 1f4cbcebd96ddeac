// Runs the tst_*.qml files given by -input, importing the module from -import.
#include <QtQuickTest>

QUICK_TEST_MAIN(terrafind_qml)
