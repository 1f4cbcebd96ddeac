// libFuzzer target: any bytes as a city file, read by every operation of
// the file back end (exercise.h); a broken promise aborts so the fuzzer
// keeps the input. A corpus can start from 'terrafind export-cityfile' files.
//
//   cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_C_COMPILER=clang-14
//   cmake --build build-fuzz --target cityfile_fuzz
//   build-fuzz/tests/cityfile/cityfile_fuzz -max_total_time=600 CORPUS_DIR
#include "exercise.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const QStringList broken = ExerciseCityFileBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!broken.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(broken.join(QLatin1String("; "))));
        std::abort();
    }
    return 0;
}
