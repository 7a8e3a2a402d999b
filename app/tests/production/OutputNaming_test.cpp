// The output's name inside the chosen folder: the plain name, then the first free "_n" form of
// the same kind, and disc names that would leave the folder.

#include "app/production/OutputNaming.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace Discwright::OutputNaming;

void occupy(const QString &path, bool folder)
{
    if (folder) {
        ASSERT_TRUE(QDir().mkpath(path));
    } else {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
}

TEST(OutputNaming, FirstFreeNamePerKind)
{
    struct Kind
    {
        OutputKind kind;
        QStringList names;
        bool folder;
    };
    const Kind kinds[] = {
        {OutputKind::VideoFolder, {"My Disc", "My Disc_1", "My Disc_2"}, true},
        {OutputKind::MediaFolder,
         {"My Disc.dvdmedia", "My Disc_1.dvdmedia", "My Disc_2.dvdmedia"},
         true},
        {OutputKind::IsoImage, {"My Disc.iso", "My Disc_1.iso", "My Disc_2.iso"}, false},
    };
    for (const Kind &kind : kinds) {
        for (int taken = 0; taken <= 2; ++taken) {
            SCOPED_TRACE(qPrintable(kind.names.at(taken)));
            QTemporaryDir dir;
            ASSERT_TRUE(dir.isValid());
            for (int i = 0; i < taken; ++i)
                occupy(dir.filePath(kind.names.at(i)), kind.folder);
            EXPECT_EQ(outputPath(kind.kind, dir.path(), "My Disc"),
                      dir.filePath(kind.names.at(taken)));
        }
    }
}

TEST(OutputNaming, OtherKindsAndDanglingLinksCount)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A folder of the plain name does not take the image's name.
    occupy(dir.filePath("Trip"), true);
    EXPECT_EQ(outputPath(OutputKind::IsoImage, dir.path(), "Trip"), dir.filePath("Trip.iso"));
    // A link to nothing is still something in the way.
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere"), dir.filePath("Trip.iso")));
    EXPECT_EQ(outputPath(OutputKind::IsoImage, dir.path(), "Trip"), dir.filePath("Trip_1.iso"));
    EXPECT_TRUE(outputPath(OutputKind::Disc, dir.path(), "Trip").isEmpty());
}

TEST(OutputNaming, DiscNamesStayInTheChosenFolder)
{
    struct Row
    {
        const char *name;
        QString discName;
        QString fileName;
    };
    const Row rows[] = {
        {"a slash", "a/b", "a_b"},
        {"a parent folder", "../x", "___x"},
        {"the parent itself", "..", "__"},
        {"a leading dot hides nothing", ".hidden", "_hidden"},
        {"inner dots are kept", "Trip v1.2", "Trip v1.2"},
        {"control characters", QStringLiteral("a\nb\tc"), "a_b_c"},
        {"an absolute path", "/etc/passwd", "_etc_passwd"},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(safeOutputFileName(row.discName), row.fileName);
        for (OutputKind kind :
             {OutputKind::VideoFolder, OutputKind::MediaFolder, OutputKind::IsoImage}) {
            const QString path = outputPath(kind, dir.path(), row.discName);
            EXPECT_EQ(QFileInfo(path).absolutePath(), QDir(dir.path()).absolutePath());
            EXPECT_TRUE(QFileInfo(path).fileName().startsWith(row.fileName));
        }
    }
}

} // namespace
