// The whole package read on an arbitrary "project" document: the bytes become the project file of
// a package folder in the scratch folder (in memory where /dev/shm is there), whose resource tree
// holds nothing, so that every clip falls back to its archived path. Whatever opens is snapshotted
// for saving, as the next save would, and released at once: a reference cycle that survives shows
// as a leak, a clip path that blocks shows as a timeout.

#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/Document/ProjectPackage.h"
#include "support/FuzzSupport.h"

#include <QDir>

namespace {

QString packagePath()
{
    return QDir(fuzzing::scratchFolder()).filePath(QStringLiteral("fuzz.dwproj"));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzing::initialize(argc, argv);
    // The disc model's and the application's record classes register themselves; the shipped
    // templates rebuild the style records of a bare disc model.
    DVDLibraryExtention::install(QStringLiteral(DW_BINARY_DIR "/resources"));
    QDir().mkpath(packagePath() + QStringLiteral("/resource"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString package = packagePath();
    if (!fuzzing::writeFile(package + QStringLiteral("/project"), fuzzing::bytesOf(data, size)))
        qFatal("cannot write the scratch project file");
    QString error;
    std::optional<ProjectContents> contents = ProjectPackage::readPackage(package, &error);
    if (!contents) {
        if (error.isEmpty())
            qFatal("a package was refused without a reason");
        return 0;
    }
    if (!contents->dvd || !contents->tempDvdData)
        qFatal("a package opened without its disc model");
    ProjectPackage::takeSnapshot(*contents, package, &error);
    return 0;
}
