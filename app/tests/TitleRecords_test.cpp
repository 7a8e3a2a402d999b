// Titles and clips over real media files: import with the file's chapters, the thumbnail, the
// stored edits through a save and a load, offline clips, the subtitle text, the clip strip and
// the pictures of menu elements that lead to a title or a sub-menu page.

#include "Platterkit/model/DVDChapterVideo.h"
#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDTitleVideo.h"
#include "Reelsmith/media/LMMediaSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/DVDTitleData.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Convert/MovieAttributeKeyTable.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/DiscwrightLibraryHooks.h"
#include "app/AppExtention/Function/ApplicationImage.h"
#include "app/AppExtention/Function/CommonFunction.h"
#include "app/production/SegmentsMovie.h"
#include "platform/KeyValue.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "support/AppFakes.h"
#include "support/ClipFixtures.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>
#include <thread>

extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace {

using app_testing::ClipFixtures;

constexpr int64_t kSecond = 1000000;

template <class T> std::shared_ptr<T> roundTrip(const std::shared_ptr<T> &record)
{
    QString error;
    const QByteArray data
        = platform::KeyedArchiver::archivedData(QVariant::fromValue(ObjectRef(record)), &error);
    EXPECT_FALSE(data.isEmpty()) << error.toStdString();
    const QVariant root = platform::KeyedUnarchiver::unarchive(data, &error);
    return std::dynamic_pointer_cast<T>(platform::objectFromVariant(root));
}

// Mean absolute difference of the RGB channels of two pictures of one size.
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGBA8888);
    const QImage y = b.convertToFormat(QImage::Format_RGBA8888);
    if (x.size() != y.size())
        return 255;
    double total = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar *p = x.constScanLine(row);
        const uchar *q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 4; ++i) {
            if (i % 4 != 3)
                total += std::abs(int(p[i]) - int(q[i]));
        }
    }
    return total / (x.width() * x.height() * 3.0);
}

QImage ffmpegFrame(const QString &path, double seconds, QSize size)
{
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg",
                 {"-loglevel",
                  "error",
                  "-ss",
                  QString::number(seconds),
                  "-i",
                  path,
                  "-frames:v",
                  "1",
                  "-s",
                  QStringLiteral("%1x%2").arg(size.width()).arg(size.height()),
                  "-f",
                  "rawvideo",
                  "-pix_fmt",
                  "rgba",
                  "-"});
    ffmpeg.waitForFinished(60000);
    const QByteArray bytes = ffmpeg.readAllStandardOutput();
    if (bytes.size() != size.width() * size.height() * 4)
        return QImage();
    return QImage(reinterpret_cast<const uchar *>(bytes.constData()),
                  size.width(),
                  size.height(),
                  QImage::Format_RGBA8888)
        .copy();
}

// A copy of a fixture under a name of its own.
QString copyOf(const QString &fixture, const QString &folder, const QString &name)
{
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(name);
    QFile::remove(path);
    EXPECT_TRUE(QFile::copy(fixture, path));
    return path;
}

class TitleRecords : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app_testing::application();
        ApplicationImage::setResourcesFolder(QStringLiteral(DW_BINARY_DIR "/resources"));
    }
    void TearDown() override { ApplicationImage::setResourcesFolder(QString()); }

    app_testing::ScopedMainWindow window;
    QTemporaryDir work;
};

TEST_F(TitleRecords, ImportTurnsTheFileChaptersAfterZeroIntoMarkers)
{
    const QString path = ClipFixtures::shared().chaptered20s();
    ASSERT_FALSE(path.isEmpty());
    const auto media = MediaData::mediaDataWithPath(path);
    ASSERT_TRUE(media->movie());
    EXPECT_TRUE(media->movie()->hasVideo());
    const MarkerItemList markers = media->markerArray();
    ASSERT_EQ(markers.size(), 2);
    EXPECT_EQ(markers[0]->markOriginTime(), 7 * kSecond);
    EXPECT_EQ(markers[0]->markShowTime(), 7 * kSecond);
    EXPECT_EQ(markers[1]->markOriginTime(), 14 * kSecond);
    EXPECT_TRUE(markers[0]->canShow());
    EXPECT_EQ(media->resourceName(), CommonFunction::shaString(path));
    EXPECT_EQ(media->name(), QStringLiteral("chaptered"));
    EXPECT_EQ(media->audioTreamTag(), 99);
    // Its chapters for production, one per marker stretch.
    const auto chapters = media->chapterMovies();
    ASSERT_EQ(chapters.size(), 3);
    EXPECT_EQ(chapters[1][0]->trimStart(), 7 * kSecond);
    EXPECT_EQ(chapters[1][0]->trimStop(), 14 * kSecond);
}

TEST_F(TitleRecords, TheThumbnailOfALargeClipIsTakenAtHalfItsLengthAtMost480x320)
{
    const QString path = ClipFixtures::shared().fullHd10s();
    ASSERT_FALSE(path.isEmpty());
    const auto media = MediaData::mediaDataWithPath(path);
    ASSERT_TRUE(media->ffmovie());
    const QImage thumbnail = media->previewImage();
    ASSERT_EQ(thumbnail.size(), QSize(480, 270));
    const QImage atFive = ffmpegFrame(path, 5.0, QSize(480, 270));
    const QImage atThree = ffmpegFrame(path, 3.0, QSize(480, 270));
    ASSERT_FALSE(atFive.isNull());
    EXPECT_LT(meanDifference(thumbnail, atFive), meanDifference(thumbnail, atThree));
    EXPECT_LT(meanDifference(thumbnail, atFive), 12.0);
}

TEST_F(TitleRecords, AFileTheEngineRefusesGivesAClipWithoutAMovieAndTheDefaultImage)
{
    const QString path = QDir(work.path()).filePath("not-a-movie.mp4");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    const auto media = MediaData::mediaDataWithPath(path);
    EXPECT_FALSE(media->movie());
    EXPECT_TRUE(media->isOffline());
    EXPECT_FALSE(media->previewImage().isNull()) << "DefaultImage is missing from the resources";
    EXPECT_EQ(media->previewImage(), ApplicationImage::imageNamed("DefaultImage"));
}

TEST_F(TitleRecords, EveryStoredKeyComesBackOntoTheMovieAndTheClip)
{
    const QString path = ClipFixtures::shared().colour("red", 2);
    ASSERT_FALSE(path.isEmpty());
    auto media = MediaData::mediaDataWithPath(path);
    ASSERT_TRUE(media->movie());
    VCMovie &clip = *media->movie();
    clip.setTrimStart(100000);
    clip.setTrimStop(1800000);
    clip.setFadeIn(200000);
    clip.setFadeOut(300000);
    clip.setTrimArray({MovieTrimItem::item(0.1, 0.5, 0.1, 0.2), MovieTrimItem::item(1.0, 0.5)});
    clip.setEnableWatermark(true);
    clip.setWatermarkType(1);
    clip.setWatermarkText("Mark");
    QFont font("DejaVu Sans");
    font.setPointSize(31);
    clip.setWatermarkTextFont(font);
    clip.setWatermarkTextColor(QColor(10, 20, 30));
    QImage picture(8, 8, QImage::Format_RGBA8888);
    picture.fill(QColor(200, 100, 50));
    clip.setWatermarkImage(picture);
    clip.setSubtitleContent("1\n00:00:00,000 --> 00:00:01,000\nHi\n");
    clip.setSubtitlePath("/elsewhere/a.srt");
    clip.setSubtitleEncoding(4);
    clip.setWatermarkRect(QRectF(0.1, 0.2, 0.25, 0.5));
    clip.setWatermarkTextSize(QSizeF(0.4, 0.125));
    clip.setWatermarkOpacity(0.75f);
    clip.setUseSubtitleShadow(false);
    clip.setSubtitleShadowColor(QColor(1, 2, 3));
    clip.setSubtitleShadowWidth(3.5f);
    clip.setSubtitleShadowOffsetX(1.5f);
    clip.setSubtitleShadowOffsetY(-2.5f);
    const QVariantMap engine{
        {"hflip", true},
        {"vflip", true},
        {"rotate", 90.0f},
        {"saturation", 0.6f},
        {"brightness", 0.4f},
        {"contrast", 0.3f},
        {"hue", 0.7f},
        {"sharpness", 0.8f},
        {"subtitleShadow", MovieAttributeKeyTable::shadowValue(Qt::red, 4.0, QPointF(1, -1))},
        {"subtitleFont", QFont("DejaVu Serif", 20)},
        {"subtitleColor", QColor(Qt::yellow)},
        {"subtitlePosition", 0.2f},
        {"effectName", QStringLiteral("CISepiaTone")},
        {"zoomType", 3},
        {"cropRectString", QStringLiteral("{{8, 4}, {100, 80}}")},
        {"outputVideoSizeString", QStringLiteral("{720, 576}")},
        {"selectAudioStreams", QVariantList{qint64(0)}},
        {"volume", 0.5}};
    for (auto it = engine.begin(); it != engine.end(); ++it)
        ASSERT_TRUE(MovieAttributeKeyTable::setEngineValue(clip, it.key(), it.value()))
            << it.key().toStdString();
    QVariantMap clipValues;
    for (const QString &key : MediaData::vcmovieAttributesKeys())
        clipValues.insert(key, platform::valueForKey(&clip, key));

    const auto loaded = roundTrip(media);
    ASSERT_TRUE(loaded && loaded->movie());
    EXPECT_EQ(loaded->movieAttributes().size(), 40);
    for (const QString &key : MediaData::movieAttributesKeys()) {
        SCOPED_TRACE(key.toStdString());
        const QVariant value = MovieAttributeKeyTable::engineValue(*loaded->movie(), key);
        if (key == u"selectAudioStreams" || key == u"subtitleShadow")
            EXPECT_EQ(value.toList().size() + value.toMap().size(),
                      engine.value(key).toList().size() + engine.value(key).toMap().size());
        else if (key == u"cropRectString" || key == u"outputVideoSizeString")
            EXPECT_EQ(value.toString(), engine.value(key).toString());
        else if (key == u"subtitleFont")
            EXPECT_EQ(value.value<QFont>().family(), QStringLiteral("DejaVu Serif"));
        else
            EXPECT_EQ(value.toString(), engine.value(key).toString());
    }
    for (const QString &key : MediaData::vcmovieAttributesKeys()) {
        SCOPED_TRACE(key.toStdString());
        const QVariant value = platform::valueForKey(loaded->movie().get(), key);
        if (key == u"trimArray") {
            const MovieTrimItemList trims = loaded->movie()->trimArray();
            ASSERT_EQ(trims.size(), 2);
            EXPECT_DOUBLE_EQ(trims[0]->start(), 0.1);
            EXPECT_DOUBLE_EQ(trims[0]->fadeOut(), 0.2);
            EXPECT_DOUBLE_EQ(trims[1]->duration(), 0.5);
        } else if (key == u"watermarkImage") {
            EXPECT_EQ(value.value<QImage>().pixelColor(3, 3), QColor(200, 100, 50));
        } else if (key == u"watermarkTextFont") {
            EXPECT_EQ(value.value<QFont>().pointSize(), 31);
        } else {
            EXPECT_EQ(value, clipValues.value(key));
        }
    }
    // The watermark went to the engine at once.
    EXPECT_FALSE(loaded->movie()->movieWatermark().isNull());
}

TEST_F(TitleRecords, AbsentClipKeysResetTheirPropertiesAndAbsentEngineKeysKeepTheMovie)
{
    const QString path = ClipFixtures::shared().colour("red", 2);
    auto media = MediaData::mediaDataWithPath(path);
    ASSERT_TRUE(media->movie());
    media->ffmovie()->setVolume(0.25);
    media->setMovieAttributes({{"trimStop", qint64(kSecond)}, {"enableWatermark", true}});
    media->updateMovieAttributesToMovie();
    const VCMovie &clip = *media->movie();
    EXPECT_EQ(clip.watermarkOpacity(), 0.0f);
    EXPECT_EQ(clip.watermarkRect(), QRectF());
    EXPECT_EQ(clip.trimStop(), kSecond);
    EXPECT_EQ(clip.trimArray().size(), 0);
    EXPECT_TRUE(clip.watermarkText().isNull());
    EXPECT_DOUBLE_EQ(media->ffmovie()->volume(), 0.25);
}

TEST_F(TitleRecords, AClipLoadsFromThePackageCopyAndKeepsItsSource)
{
    const QString source
        = copyOf(ClipFixtures::shared().colour("red", 2), work.filePath("src"), "clip.mp4");
    auto media = MediaData::mediaDataWithPath(source);
    ASSERT_TRUE(media->movie());
    const QString sha = CommonFunction::shaString(source);
    EXPECT_EQ(media->resourceName(), sha);
    EXPECT_EQ(media->resourcePath(), QStringLiteral("/resource/%1/clip.mp4").arg(sha));
    EXPECT_EQ(sha.size(), 64);

    window->packagePath = QString();
    EXPECT_TRUE(media->fullResourcePath().isNull());

    window->packagePath = work.filePath("project.dwproj");
    copyOf(source, work.filePath("project.dwproj/resource/" + sha), "clip.mp4");
    EXPECT_EQ(media->fullResourcePath(), work.filePath("project.dwproj") + media->resourcePath());
    media->movie()->setTrimStop(1500000);
    const auto loaded = roundTrip(media);
    ASSERT_TRUE(loaded && loaded->movie());
    EXPECT_EQ(loaded->openedPath(), media->fullResourcePath());
    // Regression: the load from the package copy replaced path, forgetting the source.
    EXPECT_EQ(loaded->path(), source);
    EXPECT_EQ(loaded->resourceName(), sha);
    EXPECT_EQ(loaded->movie()->trimStop(), 1500000);

    // Without the package copy it opens the source.
    QFile::remove(media->fullResourcePath());
    const auto fromSource = roundTrip(loaded);
    ASSERT_TRUE(fromSource && fromSource->movie());
    EXPECT_EQ(fromSource->openedPath(), source);
    EXPECT_EQ(fromSource->resourceName(), sha);
}

TEST_F(TitleRecords, AClipWhoseFilesAreMissingStaysOfflineWithItsEdits)
{
    // Regression: such a clip was dropped when the project was read, and lost at the next save.
    window->packagePath = QString();
    const QString kept
        = copyOf(ClipFixtures::shared().colour("red", 2), work.filePath("a"), "kept.mp4");
    const QString gone
        = copyOf(ClipFixtures::shared().colour("blue", 3), work.filePath("b"), "gone.mp4");
    auto title = std::make_shared<DVDTitleData>();
    title->setName("Title 1");
    auto first = MediaData::mediaDataWithPath(kept);
    auto second = MediaData::mediaDataWithPath(gone);
    second->movie()->setTrimStop(2 * kSecond);
    title->setMediaArray({first, second});
    QString error;
    const QByteArray saved
        = platform::KeyedArchiver::archivedData(QVariant::fromValue(ObjectRef(title)), &error);
    ASSERT_FALSE(saved.isEmpty());
    QFile::remove(gone);

    const auto loaded = std::dynamic_pointer_cast<DVDTitleData>(
        platform::objectFromVariant(platform::KeyedUnarchiver::unarchive(saved, &error)));
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->mediaArray().size(), 2);
    EXPECT_EQ(loaded->mediaArray()[0]->superData(), loaded);
    EXPECT_EQ(loaded->mediaArray()[1]->superData(), loaded);
    ASSERT_EQ(loaded->offlineMedias().size(), 1);
    EXPECT_EQ(loaded->offlineMedias()[0]->path(), gone);
    EXPECT_EQ(loaded->vcmovies().size(), 1);
    EXPECT_EQ(loaded->chapterMovies().size(), 1);
    const QVariantMap stored = loaded->mediaArray()[1]->movieAttributes();
    EXPECT_EQ(stored.value("trimStop").toLongLong(), 2 * kSecond);

    const auto again = roundTrip(loaded);
    ASSERT_TRUE(again);
    ASSERT_EQ(again->mediaArray().size(), 2);
    EXPECT_EQ(again->mediaArray()[1]->movieAttributes(), stored);
    EXPECT_EQ(again->mediaArray()[1]->path(), gone);
}

TEST_F(TitleRecords, ASubtitleTextReopensAfterReloadWithItsFileDeleted)
{
    window->packagePath = QString();
    const QString srt = ClipFixtures::shared().subtitleSrt();
    auto media = MediaData::mediaDataWithPath(ClipFixtures::shared().colour("red", 2));
    ASSERT_TRUE(media->movie());
    QFile file(srt);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    media->movie()->setSubtitleContent(QString::fromUtf8(file.readAll()));
    media->movie()->setSubtitlePath(srt);
    file.close();
    ASSERT_TRUE(QFile::remove(srt));
    const auto loaded = roundTrip(media);
    ASSERT_TRUE(loaded && loaded->ffmovie());
    EXPECT_TRUE(loaded->ffmovie()->subtitle());
    EXPECT_TRUE(loaded->ffmovie()->hasSubtitle());
}

TEST_F(TitleRecords, TheStripPlaysItsClipsInTurnAndSeeksOnlyWhenItMustLeaveTheClip)
{
    auto red = VCMovie::movieWithSource(
        LMMediaSource::mediaWithPath(ClipFixtures::shared().colour("red", 2)));
    auto blue = VCMovie::movieWithSource(
        LMMediaSource::mediaWithPath(ClipFixtures::shared().colour("blue", 3)));
    ASSERT_TRUE(red && blue);
    red->setTrimStop(2 * kSecond);
    blue->setTrimStop(3 * kSecond);
    SegmentsMovie strip(VCMovieList{red, blue});
    EXPECT_EQ(strip.duration(), 5 * kSecond);
    int64_t base = -1;
    EXPECT_EQ(strip.get_cur_movie_at_time(2 * kSecond, &base), blue);
    EXPECT_EQ(base, 2 * kSecond);
    EXPECT_EQ(strip.get_cur_movie_at_time(5 * kSecond, &base), nullptr);
    EXPECT_EQ(base, 5 * kSecond);

    const QImage first = strip.ciImageAtTime(100000);
    ASSERT_FALSE(first.isNull());
    EXPECT_GT(first.pixelColor(80, 60).red(), 200);
    EXPECT_EQ(strip.seekCount(), 1);
    for (int64_t t = 200000; t < 2 * kSecond; t += 400000)
        strip.ciImageAtTime(t);
    EXPECT_EQ(strip.seekCount(), 1);
    EXPECT_EQ(strip.cur_movie(), red);

    const QImage second = strip.ciImageAtTime(2 * kSecond);
    EXPECT_EQ(strip.cur_movie(), blue);
    EXPECT_EQ(strip.seekCount(), 2);
    EXPECT_GT(second.pixelColor(80, 60).blue(), 200);

    strip.ciImageAtTime(4900000);
    const QImage past = strip.ciImageAtTime(7 * kSecond);
    ASSERT_FALSE(past.isNull());
    EXPECT_GT(past.pixelColor(80, 60).blue(), 200);

    // An earlier time seeks again.
    strip.ciImageAtTime(kSecond);
    EXPECT_EQ(strip.cur_movie(), red);

    SegmentsMovie empty(VCMovieList{});
    EXPECT_EQ(empty.duration(), 0);
    EXPECT_TRUE(empty.ciImageAtTime(kSecond).isNull());
}

TEST_F(TitleRecords, TheStripShowsEachClipWithItsEdits)
{
    auto red = VCMovie::movieWithSource(
        LMMediaSource::mediaWithPath(ClipFixtures::shared().colour("red", 2)));
    ASSERT_TRUE(red);
    red->setTrimStop(2 * kSecond);
    red->movie()->setEffectName(QStringLiteral("Color Invert"));
    SegmentsMovie strip(VCMovieList{red});
    const QImage picture = strip.ciImageAtTime(100000);
    ASSERT_FALSE(picture.isNull());
    const QColor inverted = picture.pixelColor(80, 60);
    EXPECT_LT(inverted.red(), 60);
    EXPECT_GT(inverted.green(), 200);
    EXPECT_GT(inverted.blue(), 200);
}

class ItemPictures : public TitleRecords
{
protected:
    void SetUp() override
    {
        TitleRecords::SetUp();
        DVDLibraryHooks::install(std::make_shared<DiscwrightLibraryHooks>());
        title = std::make_shared<DVDTitleData>();
        media = MediaData::mediaDataWithPath(ClipFixtures::shared().chaptered20s());
        ASSERT_TRUE(media->movie());
        title->setMediaArray({media});
        media->setSuperData(title);
        item = app_testing::makeTitleSlot(QRectF(0, 0, 160, 120));
        item->setJump(title);
    }
    void TearDown() override
    {
        DVDLibraryHooks::install(nullptr);
        TitleRecords::TearDown();
    }

    static QImage picture(DVDMenuItem &element, qint64 t)
    {
        QImage image(160, 120, QImage::Format_RGBA8888);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        element.fillImageAtTimeContext(t, &painter);
        painter.end();
        return image;
    }

    std::shared_ptr<DVDTitleData> title;
    MediaDataRef media;
    DVDMenuItemRef item;
};

TEST_F(ItemPictures, TheLargestTimeAlwaysAsksForTheStill)
{
    QImage green(16, 12, QImage::Format_RGBA8888);
    green.fill(Qt::green);
    item->setMenuStaticImage(green);
    const QImage still = picture(*item, std::numeric_limits<qint64>::max());
    EXPECT_EQ(still.pixelColor(80, 60), QColor(Qt::green));
    EXPECT_FALSE(title->item_segment_movie());
    const QImage moving = picture(*item, kSecond);
    EXPECT_NE(moving.pixelColor(80, 60), QColor(Qt::green));
    EXPECT_TRUE(title->item_segment_movie());
    // Without a picture of its own the still is the first clip's thumbnail.
    item->setMenuStaticImage(QImage());
    EXPECT_LT(meanDifference(picture(*item, std::numeric_limits<qint64>::max()),
                             picture(*item, std::numeric_limits<qint64>::max())),
              0.01);
}

TEST_F(ItemPictures, AMovingPictureWrapsPastItsDurationAndRestartsAfterSetCurrentTime)
{
    const QImage early = picture(*item, kSecond);
    const auto strip = title->item_segment_movie();
    ASSERT_TRUE(strip);
    const int64_t length = strip->duration();
    EXPECT_NEAR(double(length), 20.0 * kSecond, 0.2 * kSecond);
    const QImage wrapped = picture(*item, length + kSecond);
    EXPECT_LT(meanDifference(early, wrapped), 1.0);
    EXPECT_GT(meanDifference(early, picture(*item, 6 * kSecond)), 1.0);
    title->setCurrentTime(0);
    EXPECT_FALSE(title->item_segment_movie());
}

TEST_F(ItemPictures, ASubMenuItemShowsItsPagesFirstTitleAndAPageWithoutTitlesBlack)
{
    auto page = std::make_shared<DVDMenu>();
    auto decoration = app_testing::makeDecoration();
    page->setItems({decoration, item});
    auto subMenuItem = app_testing::makeTitleSlot(QRectF(0, 0, 160, 120));
    subMenuItem->setJump(page);
    const QImage direct = picture(*item, 3 * kSecond);
    title->setCurrentTime(0);
    const QImage viaPage = picture(*subMenuItem, 3 * kSecond);
    EXPECT_LT(meanDifference(direct, viaPage), 1.0);

    auto emptyPage = std::make_shared<DVDMenu>();
    subMenuItem->setJump(emptyPage);
    const QImage black = picture(*subMenuItem, 3 * kSecond);
    EXPECT_EQ(black.pixelColor(80, 60), QColor(Qt::black));
}

TEST_F(ItemPictures, TheCanvasAndAMenuVideoMayDrawOneTitleAtOnce)
{
    // Regression: the cached moving picture was built and read unguarded from both threads.
    std::atomic<bool> stop{false};
    std::thread production([&] {
        auto other = app_testing::makeTitleSlot(QRectF(0, 0, 160, 120));
        other->setJump(title);
        for (int i = 0; i < 20 && !stop; ++i) {
            QImage image(160, 120, QImage::Format_RGBA8888);
            QPainter painter(&image);
            title->itemFillImageAtTimeContext(other.get(), i * 100000, &painter);
        }
    });
    for (int i = 0; i < 20; ++i) {
        picture(*item, 5 * kSecond + i * 100000);
        if (i % 5 == 0)
            title->setCurrentTime(0);
    }
    stop = true;
    production.join();
    SUCCEED();
}

TEST_F(ItemPictures, TheUsedMenuItemIsTheFirstTitleElementLeadingHere)
{
    auto page = std::make_shared<DVDMenu>();
    auto button = app_testing::makeButton("set-next");
    button->setJump(title);
    page->setItems({button, item});
    window->dvd()->setMenus({page});
    EXPECT_EQ(title->usedMenuItem(), item);
    EXPECT_FALSE(std::make_shared<DVDTitleData>()->usedMenuItem());
}

TEST_F(ItemPictures, SetVideoSizeGivesEveryClipItsOutputSize)
{
    title->setVideoSize(QSizeF(854, 480));
    EXPECT_EQ(media->movie()->videoOutputSize(), QSizeF(1024, 576));
    title->setVideoSize(QSizeF(853.9, 480));
    EXPECT_EQ(media->movie()->videoOutputSize(), QSizeF(768, 576));
}

// A chapter of a production copy, listing the elements that lead to its title.
class ListedChapter : public QObject, public DVDChapterVideo
{
public:
    explicit ListedChapter(ObjectList items)
        : m_items(std::move(items))
    {}
    ObjectList titles() const override { return m_items; }
    double duration() const override { return 1.0; }

private:
    ObjectList m_items;
};

class ChapterOfListedTitle : public QObject, public DVDTitleVideo
{
public:
    explicit ChapterOfListedTitle(ObjectRef chapter)
        : m_chapter(std::move(chapter))
    {}
    bool isWarningVideo() const override { return false; }
    ObjectList chapters() const override { return {m_chapter}; }
    double duration() const override { return 1.0; }

private:
    ObjectRef m_chapter;
};

// The elements of a production copy still lead to the editing title. When the title counted as a
// jump target of its own, every button of the authored disc did nothing ("g3=0;") and the
// preview's clicks played the editing title instead of the production chapter.
TEST_F(ItemPictures, AnElementLeadingHereResolvesToTheProductionChapterThatListsIt)
{
    auto chapter = std::make_shared<ListedChapter>(ObjectList{item});
    auto production = std::make_shared<ChapterOfListedTitle>(chapter);
    auto page = std::make_shared<DVDMenu>();
    page->setMenuSize(QSizeF(640, 480));
    page->setItems({item});
    DVDLibrary dvd;
    dvd.setMenus({page});
    dvd.setTitles({production});

    EXPECT_EQ(dvd.jumpForActionItem(item), chapter);
    const QString author = dvd.authorContent();
    EXPECT_TRUE(author.contains("<button name=\"b00\"> g4=0;jump title 1 chapter 1; </button>"))
        << author.toStdString();
}

TEST_F(ItemPictures, TheLibraryStillReachesTheTitlesMessages)
{
    EXPECT_EQ(DVDLibraryExtention::validateTitles({title, std::make_shared<DVDTitleData>()}),
              ObjectList{title})
        << "a title with clips counts, one without does not";

    DVDLibrary dvd;
    dvd.setAspectType(1);
    dvd.setTitles({title});
    dvd.updateDVDMenuTitleSize();
    EXPECT_EQ(media->movie()->videoOutputSize(), QSizeF(1024, 576));

    const QImage drawn = picture(*item, 0);
    int opaque = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            opaque += qAlpha(drawn.pixel(x, y)) > 0;
    EXPECT_GT(opaque, drawn.width() * drawn.height() / 2)
        << "the element shows the title's picture";
}

} // namespace
