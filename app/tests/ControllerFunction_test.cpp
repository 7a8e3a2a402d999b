// The seam through which records and controllers reach the main window controller and the menu
// editor.

#include "app/AppExtention/Function/ApplicationImage.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "support/AppFakes.h"

#include <QColor>
#include <QHash>
#include <QPainter>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace app_testing;

// Every lookup of the registry, by name.
struct Lookup
{
    const char *name;
    std::function<const void *()> answer;
};

const QList<Lookup> &lookups()
{
    static const QList<Lookup> table = {
        {"appDelegate", [] { return (const void *)ControllerFunction::appDelegate(); }},
        {"mainWndController",
         [] { return (const void *)ControllerFunction::mainWndController().get(); }},
        {"sourceController", [] { return (const void *)ControllerFunction::sourceController(); }},
        {"menuEditController",
         [] { return (const void *)ControllerFunction::menuEditController(); }},
        {"com_videoEditController",
         [] { return (const void *)ControllerFunction::com_videoEditController(); }},
        {"chapterEditController",
         [] { return (const void *)ControllerFunction::chapterEditController(); }},
        {"buttonEditController",
         [] { return (const void *)ControllerFunction::buttonEditController(); }},
        {"musiEditController",
         [] { return (const void *)ControllerFunction::musiEditController(); }},
        {"pictureEditController",
         [] { return (const void *)ControllerFunction::pictureEditController(); }},
        {"titleTextEditController",
         [] { return (const void *)ControllerFunction::titleTextEditController(); }},
        {"settingController", [] { return (const void *)ControllerFunction::settingController(); }},
    };
    return table;
}

TEST(ControllerFunction, BeforeTheMainWindowEveryLookupIsNull)
{
    application();
    ControllerFunction::setMainWndController(nullptr);
    for (const Lookup &lookup : lookups()) {
        SCOPED_TRACE(lookup.name);
        EXPECT_EQ(lookup.answer(), nullptr);
    }
    ControllerFunction::updateDvdMenu();
    ControllerFunction::displayCanvasViewLater();
    drainEvents();
}

TEST(ControllerFunction, WithAMainWindowOnlyTheControllersThatExistAnswer)
{
    ScopedMainWindow main;
    const QHash<QString, const void *> expected = {
        {"mainWndController", &*main},
        {"menuEditController", &main->editor},
    };
    for (const Lookup &lookup : lookups()) {
        SCOPED_TRACE(lookup.name);
        // The fake main window has no title list and its editor no dialogs; no delegate is made.
        EXPECT_EQ(lookup.answer(), expected.value(QString::fromUtf8(lookup.name)));
    }
}

TEST(ControllerFunction, LookupsFollowTheInstalledController)
{
    ScopedMainWindow main;
    EXPECT_EQ(ControllerFunction::mainWndController().get(), &*main);
    EXPECT_EQ(ControllerFunction::menuEditController(), &main->editor);
    EXPECT_EQ(ControllerFunction::mainWndController()->pathForResourcePath("/resource/a/b"),
              "/projects/test.dwproj/resource/a/b");
}

TEST(ControllerFunction, UpdateDvdMenuRefreshesInOrder)
{
    ScopedMainWindow main;
    ControllerFunction::updateDvdMenu();
    EXPECT_EQ(main->editor.subMenuRefreshes, 1);
    EXPECT_EQ(main->capacityRefreshes, 1);
}

TEST(ControllerFunction, RedrawRequestsCollapseAndRunOnTheMainThread)
{
    ScopedMainWindow main;
    std::thread worker([] {
        for (int i = 0; i < 5; ++i)
            ControllerFunction::displayCanvasViewLater();
    });
    worker.join();
    ControllerFunction::displayCanvasViewLater();
    EXPECT_EQ(main->editor.redraws, 0);
    ASSERT_TRUE(runUntil([&] { return main->editor.redraws > 0; }));
    drainEvents();
    EXPECT_EQ(main->editor.redraws, 1);
    EXPECT_EQ(main->editor.redrawsOffMainThread, 0);

    ControllerFunction::displayCanvasViewLater();
    ASSERT_TRUE(runUntil([&] { return main->editor.redraws == 2; }));
}

TEST(ControllerFunction, StringNoneNil)
{
    EXPECT_EQ(ControllerFunction::stringNoneNil(QString()), "");
    EXPECT_FALSE(ControllerFunction::stringNoneNil(QString()).isNull());
    EXPECT_EQ(ControllerFunction::stringNoneNil("x"), "x");
}

// The columns where the image has a pixel that is not the background.
std::pair<int, int> inkColumns(const QImage &image)
{
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixelColor(x, y) != QColor(Qt::black)) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
    return {first, last};
}

TEST(ControllerFunction, DrawTitleAtRectKeepsTheNaturalSizeCentredInTheRect)
{
    application();
    struct Row
    {
        const char *name;
        QString text;
        QRectF rect;
    };
    const QList<Row> rows = {
        {"narrower than the rect", "Menu", QRectF(100, 20, 200, 60)},
        {"wider than the rect", "A title far wider than its little box", QRectF(180, 20, 40, 60)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QImage image(400, 100, QImage::Format_ARGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        ControllerFunction::drawTitleAtRect(painter, row.rect, row.text, 15, Qt::white);
        painter.end();
        const auto [first, last] = inkColumns(image);
        ASSERT_GE(first, 0);
        // Equal room on both sides (within the glyphs' side bearings), and the whole text drawn.
        const double left = first - row.rect.left();
        const double right = row.rect.right() - (last + 1);
        EXPECT_NEAR(left, right, 3.0);
        EXPECT_GT(last - first, row.text.size() * 3);
    }
}

TEST(ControllerFunction, PicturesFromFilesPassThroughPng)
{
    application();
    QTemporaryDir folder;
    QImage made(32, 16, QImage::Format_RGB32);
    made.fill(QColor(10, 200, 30));
    const QString jpeg = folder.filePath("picture.jpg");
    ASSERT_TRUE(made.save(jpeg, "JPEG"));
    const QImage read = ControllerFunction::getNSImageFromPath(jpeg);
    ASSERT_FALSE(read.isNull());
    EXPECT_EQ(read.size(), made.size());
    EXPECT_NEAR(read.pixelColor(5, 5).green(), 200, 8);

    for (const QString &unreadable : {QString(), folder.filePath("missing.png"), folder.path()}) {
        SCOPED_TRACE(unreadable.toStdString());
        EXPECT_TRUE(ControllerFunction::getNSImageFromPath(unreadable).isNull());
    }
    EXPECT_EQ(ControllerFunction::getNSImageFromErrNSImage(made).pixelColor(3, 3),
              made.pixelColor(3, 3));
    EXPECT_TRUE(ControllerFunction::getNSImageFromErrNSImage(QImage()).isNull());
}

TEST(ControllerFunction, EveryPathHasTheDefaultThumbnail)
{
    application();
    ApplicationImage::setResourcesFolder(QStringLiteral(DW_BINARY_DIR "/resources"));
    const QImage expected = ApplicationImage::imageNamed("DefaultImage");
    ASSERT_FALSE(expected.isNull());
    for (const char *path : {"/no/such/clip.mov", "", DW_BINARY_DIR "/resources/DefaultImage.png"})
        EXPECT_EQ(ControllerFunction::getThumbnailFromPath(QString::fromUtf8(path)), expected)
            << path;
    ApplicationImage::setResourcesFolder(QString());
}

} // namespace
