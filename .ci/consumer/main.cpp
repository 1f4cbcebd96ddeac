#include <terrafind/terrafind.h>

#include <cstdio>

int main()
{
    CTerrafind30 places;
    if (!places.Init()) {
        std::fprintf(stderr, "consumer: cannot open %s\n", qPrintable(PlaceDatabaseFile()));
        return 1;
    }
    QStringList names;
    QList<unsigned int> ids;
    const HRESULT status = places.GetAllCountries(&names, &ids);
    std::printf("consumer: %lld countries, status %s\n", static_cast<long long>(names.size()),
                qPrintable(DescribeStatus(status)));
    places.Close();
    return status < 0 || names.isEmpty() ? 1 : 0;
}
