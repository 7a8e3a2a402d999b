// From disc model to DVD-Video folder and ISO image with the real dvdauthor and mkisofs, checked
// with a real reader (lsdvd on libdvdread).

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/tools/DVDFSMake.h"
#include "Platterkit/tools/DVDImageMake.h"
#include "support/TestMenus.h"
#include "support/TestTitles.h"
#include "testsupport/DiscFixtures.h"
#include "testsupport/DvdFixtures.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// Chapter points land on the stream's GOP boundaries (6 frames, at most 0.24 s).
constexpr double kChapterTolerance = 0.25;

struct Disc
{
    std::shared_ptr<DVDLibrary> library = std::make_shared<DVDLibrary>();
    std::shared_ptr<TestTitleVideo> first;
    std::shared_ptr<TestTitleVideo> second;
};

// Two titles (three chapters of 1 s in the first, one of 2 s in the second) and one menu page
// whose first two elements lead to them, as the production pipeline hands the disc over.
Disc makeDisc(bool pal, bool wide)
{
    Disc disc;
    disc.first = TestTitleVideo::make(QStringLiteral("A"), {1.0, 1.0, 1.0});
    disc.second = TestTitleVideo::make(QStringLiteral("B"), {2.0});
    disc.library->setFormat(pal ? 1 : 0);
    disc.library->setAspectType(wide ? 1 : 0);
    disc.library->setTitles({disc.first, disc.second});
    auto page = makeTemplatePage(2, true, wide ? 1 : 0);
    disc.library->setMenus({page});
    disc.library->setCurrentMenu(makeTemplatePage(2, true, wide ? 1 : 0));
    leadTo(page->items()[0], disc.first);
    leadTo(page->items()[1], disc.second);
    disc.library->updateDVDMenu();
    return disc;
}

bool toolsPresent()
{
    for (const char *tool : {"dvdauthor", "mkisofs", "lsdvd", "ffmpeg"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return false;
    }
    return true;
}

void expectDisc(const DiscInfo &info, bool pal, bool wide)
{
    ASSERT_TRUE(info.ok) << qPrintable(info.error);
    ASSERT_EQ(info.titles.size(), 2) << "title count";
    for (const DiscTitle &title : info.titles) {
        EXPECT_EQ(title.format, pal ? QStringLiteral("PAL") : QStringLiteral("NTSC"));
        EXPECT_EQ(title.aspect, wide ? QStringLiteral("16/9") : QStringLiteral("4/3"));
        EXPECT_EQ(title.height, pal ? 576 : 480);
    }
    const DiscTitle &first = info.titles[0];
    ASSERT_EQ(first.chapters.size(), 3) << "chapters of the first title";
    for (const DiscChapter &chapter : first.chapters)
        EXPECT_NEAR(chapter.lengthSeconds, 1.0, kChapterTolerance);
    EXPECT_NEAR(first.lengthSeconds, 3.0, 0.1);
    const DiscTitle &second = info.titles[1];
    ASSERT_EQ(second.chapters.size(), 1);
    EXPECT_NEAR(second.chapters[0].lengthSeconds, 2.0, 0.1);
}

} // namespace

TEST(AuthorDisc, FolderAndImageWithTheRealTools)
{
    if (!toolsPresent())
        GTEST_SKIP() << "dvdauthor, mkisofs, lsdvd or ffmpeg is missing";
    struct Row
    {
        const char *name;
        bool pal;
        bool wide;
        const char *volume;
    };
    const Row rows[] = {
        {"PAL 16:9", true, true, "PAL_WIDE"},
        {"NTSC 4:3", false, false, "NTSC_NORMAL"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir work;
        const QDir folder(work.path());
        QString error;
        ASSERT_TRUE(makeDvdStream(
            folder.filePath(QStringLiteral("title0.dvd")), row.pal, row.wide, 3.0, &error))
            << qPrintable(error);
        ASSERT_TRUE(makeDvdStream(
            folder.filePath(QStringLiteral("title1.dvd")), row.pal, row.wide, 2.0, &error))
            << qPrintable(error);
        ASSERT_TRUE(makeDvdStream(
            folder.filePath(QStringLiteral("menu0.dvd")), row.pal, row.wide, 2.0, &error))
            << qPrintable(error);
        Disc disc = makeDisc(row.pal, row.wide);

        DVDFSMake authoring;
        authoring.dvdWork(disc.library, work.path());
        authoring.start();
        ASSERT_TRUE(authoring.succeeded()) << qPrintable(authoring.lastError());
        EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("author.xml"))));
        EXPECT_TRUE(
            QFile::exists(folder.filePath(QStringLiteral("dvd.dvdmedia/VIDEO_TS/VTS_01_0.VOB"))))
            << "the menu domain was authored";
        EXPECT_GT(authoring.progress(), 0.9)
            << "the title set holds about the bytes of the streams";
        expectDisc(readDisc(folder.filePath(QStringLiteral("dvd.dvdmedia"))), row.pal, row.wide);

        DVDImageMake image;
        image.volumeWork(QString::fromLatin1(row.volume), work.path());
        image.start();
        ASSERT_TRUE(image.succeeded()) << qPrintable(image.lastError());
        EXPECT_GT(image.progress(), 1.0) << "the image holds the folder and its file system";
        const DiscInfo info = readDisc(folder.filePath(QStringLiteral("dvd.iso")));
        expectDisc(info, row.pal, row.wide);
        EXPECT_EQ(info.volumeName, QString::fromLatin1(row.volume));
    }
}

TEST(AuthorDisc, ASecondRunReplacesTheFolderInsteadOfAddingToIt)
{
    if (!toolsPresent())
        GTEST_SKIP() << "dvdauthor, mkisofs, lsdvd or ffmpeg is missing";
    QTemporaryDir work;
    const QDir folder(work.path());
    const std::pair<const char *, double> streams[]
        = {{"title0.dvd", 3.0}, {"title1.dvd", 2.0}, {"menu0.dvd", 2.0}};
    for (const auto &[name, seconds] : streams)
        ASSERT_TRUE(
            makeDvdStream(folder.filePath(QString::fromLatin1(name)), true, false, seconds));
    Disc disc = makeDisc(true, false);
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        DVDFSMake authoring;
        authoring.dvdWork(disc.library, work.path());
        authoring.start();
        ASSERT_TRUE(authoring.succeeded()) << qPrintable(authoring.lastError());
        expectDisc(readDisc(folder.filePath(QStringLiteral("dvd.dvdmedia"))), true, false);
    }
    EXPECT_FALSE(
        QFile::exists(folder.filePath(QStringLiteral("dvd.dvdmedia/VIDEO_TS/VTS_02_0.IFO"))))
        << "no second title set";
}

TEST(AuthorDisc, MkisofsFailureLeavesNoImage)
{
    if (!toolsPresent())
        GTEST_SKIP() << "dvdauthor, mkisofs, lsdvd or ffmpeg is missing";
    // No DVD-Video folder to pack: the real mkisofs fails, and no image may be left behind.
    QTemporaryDir work;
    DVDImageMake image;
    image.volumeWork(QStringLiteral("EMPTY"), work.path());
    image.start();
    EXPECT_FALSE(image.succeeded());
    EXPECT_FALSE(image.lastError().isEmpty());
    EXPECT_FALSE(QFile::exists(QDir(work.path()).filePath(QStringLiteral("dvd.iso"))));
}

TEST(AuthorDisc, IsoVolumeIdIsTheNameFoldedToAscii)
{
    const std::pair<const char *, const char *> rows[] = {
        {"My DVD", "My DVD"},
        {"Müller 2024", "Muller 2024"},
        {"Crème brûlée à Noël", "Creme brulee a Noel"},
        {"Straße", "Stra_e"},
        {"東京 2024", "__ 2024"},
        {"A name much longer than the thirty-two bytes", "A name much longer than the thir"},
    };
    for (const auto &[name, folded] : rows) {
        SCOPED_TRACE(name);
        const QByteArray id = DVDImageMake::isoVolumeIdForName(QString::fromUtf8(name));
        EXPECT_EQ(id.size(), 32);
        EXPECT_EQ(id.trimmed(), QByteArray(folded));
    }
}

TEST(AuthorDisc, ImageLabelsHoldTheNameInBothFileSystems)
{
    if (!toolsPresent())
        GTEST_SKIP() << "dvdauthor, mkisofs, lsdvd or ffmpeg is missing";
    const QString folder = fixtures::DvdFixtures::shared().palFolder();
    ASSERT_FALSE(folder.isEmpty()) << qPrintable(fixtures::DvdFixtures::shared().lastError());
    const std::pair<const char *, const char *> rows[]
        = {{"My DVD", "My DVD"}, {"Müller 2024", "Muller 2024"}};
    for (const auto &[name, ascii] : rows) {
        SCOPED_TRACE(name);
        QTemporaryDir work;
        DVDImageMake image;
        image.volumeWork(QString::fromUtf8(name), work.path());
        image.setInputPath(folder);
        image.start();
        ASSERT_TRUE(image.succeeded()) << qPrintable(image.lastError());
        const QString iso = QDir(work.path()).filePath(QStringLiteral("dvd.iso"));
        EXPECT_EQ(isoinfoVolumeId(iso), QString::fromLatin1(ascii));
        EXPECT_EQ(udfVolumeLabel(iso), QString::fromUtf8(name));
        const DiscInfo info = readDisc(iso);
        ASSERT_TRUE(info.ok) << qPrintable(info.error);
        EXPECT_EQ(info.titles.size(), 2);
    }
}

TEST(AuthorDisc, LabellingAnImageWithoutItsDescriptorFails)
{
    QTemporaryDir work;
    const QString path = QDir(work.path()).filePath(QStringLiteral("not.iso"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(40 * 2048, '\0'));
    file.close();
    QString error;
    EXPECT_FALSE(DVDImageMake::writeIsoVolumeId(path, QStringLiteral("Müller"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("no ISO 9660"))) << qPrintable(error);
}
