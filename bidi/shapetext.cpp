#include "shapetext.h"

#include "bidi/textlibs/kvbidi12.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>

#include <dlfcn.h>
#include <link.h>

namespace {

QString& LibraryName()
{
    static QString name = QStringLiteral("KVBiDi12");
    return name;
}

// Loaded on the first ShapeText that finds the library, kept for the life
// of the process. Destroying a QLibrary does not unload it.
std::unique_ptr<QLibrary>& LoadedLibrary()
{
    static std::unique_ptr<QLibrary> library;
    return library;
}

std::unique_ptr<QLibrary> Load(const QString& fileName)
{
    auto library = std::make_unique<QLibrary>(fileName);
    if (!library->load())
        return nullptr;
    return library;
}

} // namespace

QString ComponentDirectory()
{
    Dl_info info{};
    link_map* module = nullptr;
    if (dladdr1(reinterpret_cast<void*>(&ComponentDirectory), &info,
                reinterpret_cast<void**>(&module), RTLD_DL_LINKMAP) == 0 || module == nullptr)
        return QString();
    // The main program's entry has no name; the kernel knows its file.
    const QString file = module->l_name[0] != '\0'
        ? QFile::decodeName(module->l_name)
        : QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return file.isEmpty() ? QString() : QFileInfo(file).absolutePath();
}

std::unique_ptr<QLibrary> LoadBiDiLibrary()
{
    if (auto library = Load(LibraryName()))
        return library;
    const QString directory = ComponentDirectory();
    if (directory.isEmpty())
        return nullptr;
    return Load(QDir(directory).filePath(LibraryName()));
}

void SetBiDiLibraryName(const QString& name)
{
    LibraryName() = name;
    LoadedLibrary().reset();
}

int ShapeText(QString source, QString& destination, int mode)
{
    std::unique_ptr<QLibrary>& library = LoadedLibrary();
    if (!library)
        library = LoadBiDiLibrary();
    if (!library)
        return 0;

    destination.clear();
    // Looked up on every call, as the library may be one without it.
    const auto stringShape = reinterpret_cast<StringShapeFunction>(library->resolve("StringShape"));
    if (stringShape == nullptr)
        return 0;

    // No device stands for the whole screen under Qt, and shaping needs
    // none, so the library is given no painter.
    destination.resize(source.size() + 1);
    const int count = stringShape(nullptr, source.utf16(), int(source.size()),
                                  reinterpret_cast<unsigned short*>(destination.data()), mode);
    destination.truncate(qBound(0, count, int(source.size())));
    return count > 0 ? 1 : 0;
}
