// The application's subpicture layers: the ring, fill and corner rules of each layer drawn into a
// real bitmap, the drawer reached through the installed library operations with the project's
// border settings, and a page of the shipped templates taken by the real spumux.

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDLibraryHooks.h"
#include "Platterkit/subpicture/DVDMenuImageGenerator.h"
#include "Platterkit/subpicture/DVDMenuMake.h"
#include "Platterkit/subpicture/SubpictureStreamScan.h"
#include "app/AppExtention/DVDLibraryExtention.h"
#include "app/AppExtention/DVDLibraryResourceExtention.h"
#include "app/AppExtention/DVDMenuExtention.h"
#include "app/AppExtention/DVDMenuImageGeneratorCustomImage.h"
#include "support/AppFakes.h"
#include "testsupport/DiscFixtures.h"

#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace app_testing;
namespace layers = DVDMenuImageGeneratorCustomImage;

const QString kResourcesFolder = QStringLiteral(DW_BINARY_DIR "/resources");

class ApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        application();
        DVDLibraryExtention::install(kResourcesFolder);
    }
};
const auto *const environment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

const QColor kRing = QColor::fromRgbF(1.0f, 0.0f, 0.0f, 1.0f);
const QColor kFill = QColor::fromRgbF(0.0f, 1.0f, 0.0f, 0.5f);

// A PAL page drawn one to one: menu points are DVD pixels.
struct Page
{
    Page()
    {
        dvd->setFormat(1);
        page->setMenuSize(QSizeF(720, 576));
        dvd->setMenus({page});
    }
    DVDMenuItemRef addButton(const QRectF &frame, double round = 0.0)
    {
        DVDMenuItemRef item = makeTitleSlot(frame);
        item->setJump(target);
        item->setRoundValue(round);
        page->setItems(page->items() << item);
        return item;
    }
    DVDLibraryRef dvd = std::make_shared<DVDLibrary>();
    DVDMenuRef page = std::make_shared<DVDMenu>();
    ObjectRef target = std::make_shared<QObject>();
};

// The layer as the generator's bitmap holds it: y up in the painter, rows from the top in the image.
struct Layer
{
    QImage image;
    // The pixel at (x, y) in y-up DVD pixels.
    QColor at(int x, int y) const { return image.pixelColor(x, image.height() - 1 - y); }
    int paintedPixels() const
    {
        int painted = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                painted += image.pixelColor(x, y).alpha() != 0;
        return painted;
    }
};

Layer draw(const Page &page, const QString &name, const layers::BorderStyle &style)
{
    Layer layer;
    layer.image = QImage(720, 576, QImage::Format_ARGB32_Premultiplied);
    layer.image.fill(Qt::transparent);
    QPainter context(&layer.image);
    context.translate(0, 576);
    context.scale(1, -1);
    const DVDMenuImageGenerator generator(page.page, page.dvd);
    layers::drawLayer(generator, name, style, context);
    EXPECT_EQ(context.transform(), QTransform(1, 0, 0, -1, 0, 576)) << "painter state restored";
    return layer;
}

layers::BorderStyle ring(double width, bool fill = false)
{
    layers::BorderStyle style;
    style.borderColor = kRing;
    style.borderWidth = width;
    style.useFill = fill;
    style.fillColor = kFill;
    return style;
}

bool near(const QColor &a, const QColor &b)
{
    return std::abs(a.red() - b.red()) <= 2 && std::abs(a.green() - b.green()) <= 2
           && std::abs(a.blue() - b.blue()) <= 2 && std::abs(a.alpha() - b.alpha()) <= 2;
}

bool clear(const QColor &colour)
{
    return colour.alpha() == 0;
}

} // namespace

// One button at (100, 100) 200 x 100: its area is grown by a pixel, so the ring starts at x = 99.
TEST(ApplicationSubpictureLayers, HighlightIsARingInTheBorderColour)
{
    Page page;
    page.addButton(QRectF(100, 100, 200, 100));
    const Layer layer = draw(page, "menu_highlight", ring(4));
    EXPECT_TRUE(near(layer.at(99, 150), kRing));
    EXPECT_TRUE(near(layer.at(102, 150), kRing));
    EXPECT_TRUE(clear(layer.at(103, 150))) << "the inside is cut away";
    EXPECT_TRUE(clear(layer.at(200, 150)));
    EXPECT_TRUE(clear(layer.at(98, 150))) << "nothing outside the grown area";
    EXPECT_TRUE(near(layer.at(200, 200), kRing)) << "top edge, y up";
    EXPECT_TRUE(clear(layer.at(200, 201)));
    EXPECT_TRUE(near(layer.at(200, 99), kRing)) << "bottom edge";
    EXPECT_TRUE(clear(layer.at(200, 98)));
    // Hard edges: the ring holds exactly two values, the colour and transparency.
    EXPECT_EQ(layer.paintedPixels(), 202 * 102 - 194 * 94);
}

TEST(ApplicationSubpictureLayers, FillAndDefaultColours)
{
    Page page;
    page.addButton(QRectF(100, 100, 200, 100));
    {
        SCOPED_TRACE("fill inside the ring");
        const Layer layer = draw(page, "menu_highlight", ring(4, true));
        EXPECT_TRUE(near(layer.at(101, 150), kRing));
        // The fill replaces what is there; premultiplied storage rounds it a little.
        EXPECT_TRUE(near(layer.at(200, 150), kFill))
            << qPrintable(layer.at(200, 150).name(QColor::HexArgb));
    }
    {
        SCOPED_TRACE("no border colour chosen");
        layers::BorderStyle style = ring(4);
        style.borderColor = QColor();
        const Layer layer = draw(page, "menu_highlight", style);
        EXPECT_TRUE(near(layer.at(100, 150), QColor::fromRgbF(0.2f, 0.2f, 0.7f, 0.7f)));
    }
    {
        SCOPED_TRACE("border width 0 without fill shows nothing");
        EXPECT_EQ(draw(page, "menu_highlight", ring(0)).paintedPixels(), 0);
    }
    {
        SCOPED_TRACE("border width 0 with fill shows the fill");
        const Layer layer = draw(page, "menu_highlight", ring(0, true));
        EXPECT_TRUE(near(layer.at(99, 150), kFill));
        EXPECT_EQ(layer.paintedPixels(), 202 * 102);
    }
    {
        SCOPED_TRACE("select marks the whole area in translucent black");
        const Layer layer = draw(page, "menu_select", ring(4, true));
        EXPECT_TRUE(near(layer.at(200, 150), QColor::fromRgbF(0, 0, 0, 0.35f)));
        EXPECT_EQ(layer.paintedPixels(), 202 * 102);
    }
}

TEST(ApplicationSubpictureLayers, RestLayerAndUnknownNames)
{
    Page page;
    page.addButton(QRectF(100, 100, 200, 100));
    const Layer rest = draw(page, "menu_image", ring(4, true));
    EXPECT_EQ(rest.paintedPixels(), 1);
    EXPECT_EQ(rest.at(200, 200).alpha(), qRound(0.07 * 255));
    EXPECT_EQ(draw(page, "menu_other", ring(4, true)).paintedPixels(), 0);
}

TEST(ApplicationSubpictureLayers, OnlyValidButtonsGetAnArea)
{
    Page page;
    page.addButton(QRectF(100, 100, 100, 100));
    DVDMenuItemRef disabled = page.addButton(QRectF(300, 100, 100, 100));
    disabled->setDisabled(true);
    DVDMenuItemRef noTarget = page.addButton(QRectF(500, 100, 100, 100));
    noTarget->setJump(nullptr);
    DVDMenuItemRef label = makeStaticText(QRectF(100, 300, 100, 100));
    page.page->setItems(page.page->items() << label);
    const Layer layer = draw(page, "menu_select", ring(4));
    EXPECT_FALSE(clear(layer.at(150, 150)));
    EXPECT_TRUE(clear(layer.at(350, 150))) << "disabled";
    EXPECT_TRUE(clear(layer.at(550, 150))) << "leads nowhere";
    EXPECT_TRUE(clear(layer.at(150, 350))) << "static text";
    EXPECT_EQ(layer.paintedPixels(), 102 * 102);
}

TEST(ApplicationSubpictureLayers, BorderWidthAndCornerLimits)
{
    struct Row
    {
        const char *name;
        QRectF frame;
        double border;
        double round;
        QPoint painted; // y up
        QPoint clearAt; // y up
    };
    // Areas grown by one pixel: 100 x 100 becomes 102 x 102 at (99, 99).
    const Row rows[] = {
        {"a border over 30 % of the side is cut to 30 %",
         {100, 100, 100, 100},
         50,
         0,
         {99 + 29, 150},
         {99 + 31, 150}},
        {"a 4-pixel border stays 4", {100, 100, 100, 100}, 4.9, 0, {99 + 3, 150}, {99 + 4, 150}},
        {"radius 0.9 keeps square corners", {100, 100, 100, 100}, 4, 0.9, {99, 99}, {150, 150}},
        {"radius 20 cuts the corner", {100, 100, 100, 100}, 4, 20, {99, 150}, {99, 99}},
        {"a huge radius is half the shorter side",
         {100, 100, 200, 40},
         4,
         1000,
         {160, 100},
         {104, 101}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Page page;
        page.addButton(row.frame, row.round);
        const Layer layer = draw(page, "menu_highlight", ring(row.border));
        EXPECT_TRUE(near(layer.at(row.painted.x(), row.painted.y()), kRing));
        EXPECT_TRUE(clear(layer.at(row.clearAt.x(), row.clearAt.y())));
    }
}

TEST(ApplicationSubpictureLayers, TextElementsTakeTheirTextsBackgroundRadius)
{
    Page page;
    DVDMenuItemRef text = page.addButton(QRectF(100, 100, 200, 100), 0.0);
    auto source = std::make_shared<FakeText>(QSize(200, 100));
    source->setProperty("backgroundRadius", 1.0);
    text->setTextSource(source);
    text->setIs_text_item(true);
    ASSERT_TRUE(text->isTextItem());
    // Radius 102 x 1.0 x 0.5 = 51: a capsule whose left end is round.
    const Layer layer = draw(page, "menu_select", ring(4));
    EXPECT_TRUE(clear(layer.at(100, 101)));
    EXPECT_FALSE(clear(layer.at(99, 150)));
    EXPECT_FALSE(clear(layer.at(200, 100)));
}

TEST(ApplicationSubpictureLayers, DamagedBorderWidthsDrawNoBorder)
{
    for (double width : {-5.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(width);
        Page page;
        page.addButton(QRectF(100, 100, 200, 100));
        EXPECT_EQ(draw(page, "menu_highlight", ring(width)).paintedPixels(), 0);
    }
}

// The generator asks the installed library operations, which read the project's border record
// through the main window controller.
TEST(ApplicationSubpictureLayers, GeneratorDrawsInTheProjectsBorderStyle)
{
    ScopedMainWindow window;
    window->tempDvdData()->setDvdBorderColor(kRing);
    window->tempDvdData()->setDvdBorderWidth(6);
    window->tempDvdData()->setDvdBorderUseFill(false);
    Page page;
    page.addButton(QRectF(100, 20, 200, 100));
    const DVDMenuImageGenerator generator(page.page, page.dvd);
    const QImage image = generator.generatorImageForName("menu_highlight");
    ASSERT_FALSE(image.isNull()) << qPrintable(generator.lastError());
    ASSERT_EQ(image.size(), QSize(720, 576));
    const Layer layer{image.convertToFormat(QImage::Format_ARGB32)};
    EXPECT_TRUE(near(layer.at(101, 50), kRing));
    EXPECT_TRUE(near(layer.at(104, 50), kRing));
    EXPECT_TRUE(clear(layer.at(105, 50)));
    EXPECT_TRUE(clear(layer.at(101, 300))) << "y up: the button sits near the bottom";
    EXPECT_EQ(generator.generatorImageForName("menu_image")
                  .convertToFormat(QImage::Format_ARGB32)
                  .pixelColor(200, 575 - 200)
                  .alpha(),
              qRound(0.07 * 255));
}

// A shipped 16:9 page with two titles on its slots goes through the real spumux with the
// application's layers, a rounded filled ring included.
TEST(ApplicationSubpictureLayers, ShippedPageThroughRealSpumux)
{
    ScopedMainWindow window;
    window->tempDvdData()->setDvdBorderColor(QColor(255, 200, 0));
    window->tempDvdData()->setDvdBorderWidth(5);
    window->tempDvdData()->setDvdBorderUseFill(true);
    window->tempDvdData()->setDvdBorderFillColor(QColor(255, 255, 255, 64));

    const DVDMenuRef shipped = DVDLibraryResourceExtention::defaultMenuForAspectType(1);
    ASSERT_TRUE(shipped);
    auto dvd = std::make_shared<DVDLibrary>();
    dvd->setFormat(1);
    dvd->setAspectType(1);
    dvd->setCurrentMenu(shipped->copyMenu());
    dvd->setMenus({std::make_shared<DVDMenu>()});
    const auto first = makeTitle(1), second = makeTitle(1);
    DVDLibraryExtention::updateDVDTitles(*dvd, {first, second});
    const DVDMenuRef page = dvd->menus().at(0);
    const auto titles = DVDMenuExtention::titleItems(*page);
    ASSERT_GE(titles.size(), 2);
    titles[0]->setJump(first);
    titles[1]->setJump(second);
    titles[1]->setRoundValue(12);
    dvd->updateDVDMenu();
    const int buttons = int(DVDMenuMake::buttonsForMenuDvd(*page, *dvd).size());
    ASSERT_GE(buttons, 2);

    QTemporaryDir work;
    const QString video = work.filePath("menu-temp-0.dvd");
    QString error;
    ASSERT_TRUE(testing_support::makeDvdStream(video, true, true, 1.0, &error))
        << qPrintable(error);
    const QString output = work.filePath("menu0.dvd");
    DVDMenuMake step;
    step.makeMenuDvdPathVideoWork(page, dvd, output, video, work.path());
    step.start();
    ASSERT_TRUE(step.succeeded()) << qPrintable(step.lastError());
    EXPECT_TRUE(Platterkit::programStreamHasSubpicture(output));
    EXPECT_TRUE(QDir(work.path()).entryList({"*.png", "*.xml"}, QDir::Files).isEmpty());

    // The highlight spumux took holds the ring and the fill of each title button.
    const DVDMenuImageGenerator generator(page, dvd);
    const Layer layer{
        generator.generatorImageForName("menu_highlight").convertToFormat(QImage::Format_ARGB32)};
    const QRectF area = DVDMenuMake::scaleRectMenuSizeFitSize(
        titles[0]->frame(), page->menuSize(), QSizeF(720, 576));
    EXPECT_TRUE(near(layer.at(int(area.left()), int(area.center().y())), QColor(255, 200, 0)));
    EXPECT_TRUE(
        near(layer.at(int(area.center().x()), int(area.center().y())), QColor(255, 255, 255, 64)));
}
