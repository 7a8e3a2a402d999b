#include "Platterkit/model/DVDLibraryButtonResource.h"
#include "Platterkit/model/DVDLibraryFrameResource.h"
#include "Platterkit/model/DVDLibraryHooks.h"
#include "Platterkit/model/DVDMenuBackgroundResource.h"
#include "Platterkit/templates/DVDLibraryResource.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "support/TemplateHooks.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A template folder in a temporary directory, installed as the library's resource path.
class TemplateFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        DVDLibraryHooks::install(std::make_shared<testing_support::FolderHooks>(m_dir.path()));
    }
    void TearDown() override { DVDLibraryHooks::install(nullptr); }

    QImage writePicture(const QString &relativePath, QColor color, QSize size = QSize(6, 4))
    {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(color);
        const QString path = m_dir.filePath(relativePath);
        QDir().mkpath(QFileInfo(path).path());
        EXPECT_TRUE(image.save(path, "PNG"));
        return image;
    }

    QTemporaryDir m_dir;
};

TEST_F(TemplateFolder, PicturesLoadFromTheInstalledFolder)
{
    const QImage picture = writePicture(QStringLiteral("Button/Blue/preBtn.png"), Qt::blue);
    auto library = DVDLibraryResource::share();
    EXPECT_EQ(library->resourcePath(), m_dir.path());
    EXPECT_EQ(library->imageWithName(QStringLiteral("Button/Blue/preBtn.png")), picture);
    EXPECT_TRUE(library->imageWithName(QStringLiteral("Button/Blue/missing.png")).isNull());
    EXPECT_TRUE(library->imageWithName(QString()).isNull());

    DVDLibraryButtonResource button;
    button.setPath(QStringLiteral("Button/Blue/preBtn.png"));
    EXPECT_EQ(button.image(), picture);
}

TEST_F(TemplateFolder, FramePicturesAreCachedOnFirstUse)
{
    const QImage frame = writePicture(QStringLiteral("Frame/gold/frame.png"), Qt::yellow);
    const QImage mask = writePicture(QStringLiteral("Frame/gold/mask.png"), Qt::white);
    DVDLibraryFrameResource resource;
    resource.setFrame(QStringLiteral("Frame/gold/frame.png"));
    resource.setMask(QStringLiteral("Frame/gold/mask.png"));
    EXPECT_EQ(resource.path(), resource.frame());
    EXPECT_TRUE(resource.frameImageCache().isNull());
    EXPECT_EQ(resource.frameImage(), frame);
    EXPECT_EQ(resource.maskImage(), mask);
    QFile::remove(m_dir.filePath(QStringLiteral("Frame/gold/frame.png")));
    EXPECT_EQ(resource.frameImage(), frame) << "kept after the first load";
    EXPECT_EQ(resource.frameImageCache(), frame);
}

TEST_F(TemplateFolder, TemplateBackgroundsLoadEachTimeUserBackgroundsKeepTheirPicture)
{
    const QImage first = writePicture(QStringLiteral("Menu/Cartoon/10/Background.png"), Qt::red);
    DVDMenuBackgroundResource templateBackground;
    templateBackground.setIsResource(true);
    templateBackground.setPath(QStringLiteral("Menu/Cartoon/10/Background.png"));
    EXPECT_EQ(templateBackground.backgroundImage(), first);
    const QImage second = writePicture(QStringLiteral("Menu/Cartoon/10/Background.png"), Qt::green);
    EXPECT_EQ(templateBackground.backgroundImage(), second);

    const QImage userPicture
        = writePicture(QStringLiteral("user/holiday.png"), Qt::cyan, QSize(9, 5));
    auto user = DVDMenuBackgroundResource::resourceWithPath(
        m_dir.filePath(QStringLiteral("user/holiday.png")));
    ASSERT_TRUE(user);
    EXPECT_FALSE(user->isResource());
    EXPECT_EQ(user->fullPath(), m_dir.filePath(QStringLiteral("user/holiday.png")));
    EXPECT_EQ(user->backgroundImage().size(), QSize(9, 5));
    EXPECT_EQ(user->backgroundImage().pixelColor(4, 2), QColor(Qt::cyan));
    QFile::remove(m_dir.filePath(QStringLiteral("user/holiday.png")));
    EXPECT_EQ(user->backgroundImage().pixelColor(4, 2), QColor(Qt::cyan)) << "the picture is kept";

    QFile junk(m_dir.filePath(QStringLiteral("junk.png")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a picture");
    junk.close();
    EXPECT_EQ(DVDMenuBackgroundResource::resourceWithPath(junk.fileName()), nullptr);
    EXPECT_EQ(
        DVDMenuBackgroundResource::resourceWithPath(m_dir.filePath(QStringLiteral("none.png"))),
        nullptr);
}

TEST(TemplateResources, WithoutATemplateFolderPicturesAreMissing)
{
    class NoFolder : public DVDLibraryHooks
    {
    public:
        QString resourcePath() const override { return {}; }
    };
    DVDLibraryHooks::install(std::make_shared<NoFolder>());
    DVDLibraryFrameResource resource;
    resource.setFrame(QStringLiteral("Frame/gold/frame.png"));
    EXPECT_TRUE(resource.frameImage().isNull());
    DVDLibraryHooks::install(nullptr);
    EXPECT_TRUE(DVDLibraryResource::share()->loadNewTemplate()) << "the library's own default";
}

TEST(DVDLibraryHooks, LibraryDefaultsLookBesideTheExecutable)
{
    DVDLibraryHooks::install(nullptr);
    const auto hooks = DVDLibraryHooks::current();
    const QString executableDir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    EXPECT_EQ(DVDLibraryHooks::bundleResourcesPath(), executableDir + QStringLiteral("/resources"));
    const QString path = hooks->resourcePath();
    if (!path.isEmpty()) {
        EXPECT_EQ(path, executableDir + QStringLiteral("/resources/menu_template.plugin"));
        EXPECT_TRUE(QFileInfo(path).isDir());
    }
    EXPECT_TRUE(hooks->loadNewTemplate());
}

TEST(TemplateResources, Equality)
{
    DVDLibraryButtonResource a, b;
    a.setName(QStringLiteral("Blue-pre"));
    a.setPath(QStringLiteral("Button/Blue/preBtn.png"));
    b.setName(QStringLiteral("Blue-pre"));
    b.setPath(QStringLiteral("Button/Blue/preBtn.png"));
    EXPECT_TRUE(a.isEqualToResource(&b));
    b.setName(QStringLiteral("Blue-next"));
    EXPECT_FALSE(a.isEqualToResource(&b));

    DVDLibraryFrameResource f, g;
    f.setName(QStringLiteral("gold"));
    f.setFrame(QStringLiteral("Frame/gold/frame.png"));
    f.setMask(QStringLiteral("Frame/gold/mask.png"));
    g.setName(QStringLiteral("other name"));
    g.setFrame(f.frame());
    g.setMask(f.mask());
    EXPECT_TRUE(f.isEqualToResource(&g)) << "frames compare by their pictures only";
    g.setMask(QStringLiteral("Frame/gold/mask2.png"));
    EXPECT_FALSE(f.isEqualToResource(&g));

    EXPECT_FALSE(a.isEqualToResource(&f));
    EXPECT_FALSE(f.isEqualToResource(&a));
    EXPECT_FALSE(a.isEqualToResource(nullptr));
}

TEST(TemplateResources, ArchiveKeys)
{
    EXPECT_EQ(DVDLibraryButtonResource().allCoderKeys(), (QStringList{"name", "path"}));
    EXPECT_EQ(DVDLibraryFrameResource().allCoderKeys(), (QStringList{"name", "frame", "mask"}));
    EXPECT_EQ(DVDMenuBackgroundResource().allCoderKeys(),
              (QStringList{"name", "path", "image", "isResource"}));
}

TEST(TemplateResources, ArchiveRoundTrip)
{
    QImage picture(5, 3, QImage::Format_ARGB32_Premultiplied);
    picture.fill(QColor(10, 200, 30));
    auto background = std::make_shared<DVDMenuBackgroundResource>();
    background->setName(QStringLiteral("holiday"));
    background->setPath(QStringLiteral("/home/someone/holiday.png"));
    background->setImage(picture);
    auto frame = std::make_shared<DVDLibraryFrameResource>();
    frame->setName(QStringLiteral("gold"));
    frame->setFrame(QStringLiteral("Frame/gold/frame.png"));
    frame->setMask(QStringLiteral("Frame/gold/mask.png"));
    frame->setFrameImageCache(picture);

    QString error;
    const QByteArray data = platform::KeyedArchiver::archivedData(
        QVariantList{QVariant::fromValue(ObjectRef(background)),
                     QVariant::fromValue(ObjectRef(frame))},
        &error);
    ASSERT_FALSE(data.isEmpty()) << error.toStdString();
    const QVariantList decoded = platform::KeyedUnarchiver::unarchive(data, &error).toList();
    ASSERT_EQ(decoded.size(), 2) << error.toStdString();

    auto decodedBackground
        = std::dynamic_pointer_cast<DVDMenuBackgroundResource>(decoded[0].value<ObjectRef>());
    ASSERT_TRUE(decodedBackground);
    EXPECT_EQ(decodedBackground->name(), background->name());
    EXPECT_EQ(decodedBackground->path(), background->path());
    EXPECT_FALSE(decodedBackground->isResource());
    EXPECT_EQ(decodedBackground->image().size(), picture.size());
    EXPECT_EQ(decodedBackground->image().pixelColor(2, 1), QColor(10, 200, 30));

    auto decodedFrame
        = std::dynamic_pointer_cast<DVDLibraryFrameResource>(decoded[1].value<ObjectRef>());
    ASSERT_TRUE(decodedFrame);
    EXPECT_TRUE(decodedFrame->isEqualToResource(frame.get()));
    EXPECT_EQ(decodedFrame->name(), QStringLiteral("gold"));
    EXPECT_TRUE(decodedFrame->frameImageCache().isNull()) << "caches are not archived";
}

} // namespace
