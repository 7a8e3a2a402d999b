// Pixel probes on whole menu pages (DVDMenu::imageAtTime) and on element pictures: placement,
// rotation, rounded corners, frames and masks, layering, and which elements show at which time.

#include "Platterkit/model/DLCustomDrawer.h"
#include "Platterkit/model/DVDLibraryHooks.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "Platterkit/render/MenuBitmap.h"
#include "Platterkit/render/MenuTimes.h"
#include "Platterkit/templates/DVDLibraryResource.h"
#include "support/RenderProbes.h"
#include "support/TestMenus.h"
#include "support/TestTitles.h"

#include <QDir>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>
#include <optional>

using namespace testing_support;
using Platterkit::render::kLayoutTimeUs;
using Platterkit::render::kThumbnailTimeUs;

namespace {

const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);
const QColor kClear(0, 0, 0, 0);

// The application's replacements of library behaviour, switchable per test.
class TestHooks : public DVDLibraryHooks
{
public:
    bool force = false;
    std::optional<qint64> drawMode;
    QString resources;

    bool forceShowItem(const DVDMenuItem &) const override { return force; }
    qint64 backgroundImageDrawMode(const DVDMenu &menu) const override
    {
        return drawMode ? *drawMode : DVDLibraryHooks::backgroundImageDrawMode(menu);
    }
    QString resourcePath() const override { return resources; }
};

class MenuRendering : public ::testing::Test
{
protected:
    void SetUp() override { DVDLibraryHooks::install(hooks); }
    void TearDown() override { DVDLibraryHooks::install(nullptr); }

    static DVDMenuRef page(QSizeF size = QSizeF(640, 480))
    {
        auto menu = std::make_shared<DVDMenu>();
        menu->setMenuSize(size);
        return menu;
    }

    static void setBackground(const DVDMenuRef &menu, const QImage &picture, qint64 mode = 2)
    {
        auto background = std::make_shared<DVDMenuBackgroundResource>();
        background->setImage(picture);
        menu->setBackgroundResource(background);
        menu->setBackgroundImageDrawMode(mode);
    }

    // A button that shows picture (its still image) and leads to the test title.
    DVDMenuItemRef pictureButton(const QRectF &frame, const QImage &picture)
    {
        auto item = makeButton(QStringLiteral("play"));
        item->setFrame(frame);
        item->setUseStaticImage(true);
        item->setMenuStaticImage(picture);
        item->setJump(title);
        return item;
    }

    // A title slot leading to the test title, whose picture is titlePicture; frame and mask are the
    // given pictures (null for none).
    DVDMenuItemRef titleSlot(const QRectF &frame,
                             bool useFrame,
                             const QImage &framePicture = QImage(),
                             const QImage &maskPicture = QImage())
    {
        auto item = makeTitleSlot(frame);
        item->setUseFrame(useFrame);
        item->frameResource()->setFrameImageCache(framePicture);
        item->frameResource()->setMaskImageCache(maskPicture);
        item->setJump(title);
        return item;
    }

    std::shared_ptr<TestHooks> hooks = std::make_shared<TestHooks>();
    std::shared_ptr<TestEditingTitle> title = std::make_shared<TestEditingTitle>();
};

// A 100 x 100 frame picture: transparent, with a blue border 3 points wide.
QImage borderFrame()
{
    QImage image = solidImage(100, 100, kClear);
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kBlue);
    QPainterPath border;
    border.addRect(0, 0, 100, 100);
    border.addRect(3, 3, 94, 94);
    painter.drawPath(border);
    return image;
}

struct Probe
{
    const char *what;
    double x, y;
    QColor colour;
};

void expectProbes(const QImage &picture, std::initializer_list<Probe> probes)
{
    for (const Probe &probe : probes) {
        SCOPED_TRACE(probe.what);
        EXPECT_PIXEL(picture, probe.x, probe.y, probe.colour);
    }
}

TEST_F(MenuRendering, PageIsBlackAtItsMenuSize)
{
    auto menu = page(QSizeF(854, 480));
    const QImage picture = menu->imageAtTime(0);
    ASSERT_EQ(picture.size(), QSize(854, 480));
    expectProbes(picture, {{"corner", 0, 0, kBlack}, {"far corner", 853, 479, kBlack}});
}

TEST_F(MenuRendering, WidePictureIsFittedInsideTheInsetFrame)
{
    // 1600 x 900 in frame (100, 100, 204, 204): box (102, 102, 200, 200), picture at
    // (102, 145.75) sized 200 x 112.5.
    auto menu = page();
    menu->setItems({pictureButton(QRectF(100, 100, 204, 204), solidImage(1600, 900, kRed))});
    const QImage picture = menu->imageAtTime(0);
    expectProbes(picture,
                 {{"centre", 202, 202, kRed},
                  {"just inside the left edge", 102.5, 200, kRed},
                  {"in the 2-point inset", 101.5, 200, kBlack},
                  {"just inside the right edge", 301.5, 200, kRed},
                  {"right inset", 302.5, 200, kBlack},
                  {"just above the bottom edge 145.75", 200, 146.5, kRed},
                  {"below the bottom edge", 200, 144.5, kBlack},
                  {"just below the top edge 258.25", 200, 257.5, kRed},
                  {"above the top edge", 200, 259.5, kBlack}});
}

TEST_F(MenuRendering, PictureIsDrawnUprightInYUpSpace)
{
    // The picture's first row is its top: it must come out at the top of the element.
    auto menu = page();
    menu->setItems({pictureButton(QRectF(98, 98, 104, 104), bandedImage(100, 100, {kBlue, kRed}))});
    const QImage picture = menu->imageAtTime(0);
    expectProbes(picture, {{"upper half", 150, 190, kBlue}, {"lower half", 150, 110, kRed}});
}

TEST_F(MenuRendering, BackgroundDrawModes)
{
    // A 4:3 picture with blue, red and green bands from the top, on a 16:9 page.
    const QImage bands = bandedImage(640, 480, {kBlue, kRed, kGreen});
    struct Row
    {
        const char *name;
        qint64 storedMode;
        std::optional<qint64> hookMode;
        std::initializer_list<Probe> probes;
    };
    const Row rows[] = {
        {"fill covers the page and cuts top and bottom",
         1,
         std::nullopt,
         // Scaled to 854 x 640.5 at y -80.25: green below 133.25, red to 346.75, blue above.
         {{"bottom left, no bar", 1, 1, kGreen},
          {"bottom right", 852, 1, kGreen},
          {"middle left", 1, 240, kRed},
          {"top right", 852, 478, kBlue},
          {"green ends at 133.25", 427, 134.5, kRed},
          {"red ends at 346.75", 427, 347.5, kBlue}}},
        {"fit leaves black bars left and right",
         0,
         std::nullopt,
         {{"left bar", 50, 240, kBlack},
          {"right bar", 800, 240, kBlack},
          {"bar ends at 107", 106.5, 240, kBlack},
          {"picture starts at 107", 107.5, 240, kRed},
          {"top band", 427, 470, kBlue},
          {"bottom band", 427, 10, kGreen}}},
        {"other values stretch",
         2,
         std::nullopt,
         {{"left middle", 1, 240, kRed}, {"right top", 852, 470, kBlue}, {"low", 852, 5, kGreen}}},
        {"the installed hooks decide the mode",
         0,
         1,
         {{"no bar", 1, 240, kRed}, {"cut at the bottom", 427, 1, kGreen}}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        hooks->drawMode = row.hookMode;
        auto menu = page(QSizeF(854, 480));
        setBackground(menu, bands, row.storedMode);
        expectProbes(menu->imageAtTime(0), row.probes);
    }
}

TEST_F(MenuRendering, BackgroundPartIsTakenInThePicturesYUpCoordinates)
{
    // The part (0, 0, 640, 160) is the picture's bottom band, stretched over the page.
    auto menu = page();
    setBackground(menu, bandedImage(640, 480, {kBlue, kRed, kGreen}), 2);
    menu->setBackgroundImageRect(QRectF(0, 0, 640, 160));
    const QImage picture = menu->imageAtTime(0);
    expectProbes(picture, {{"top", 320, 470, kGreen}, {"bottom", 320, 10, kGreen}});
}

TEST_F(MenuRendering, RotationTurnsAboutTheFrameCentre)
{
    // A 200 x 100 picture, red on the left and blue on the right, in frame (300, 100, 204, 104):
    // drawn into (302, 102, 200, 100), centre (402, 152). Turned 90 degrees counter-clockwise it
    // spans x 352..452 and y 52..252, red below the centre.
    auto menu = page();
    auto item = pictureButton(QRectF(300, 100, 204, 104), stripedImage(200, 100, {kRed, kBlue}));
    item->setRotation(90);
    menu->setItems({item});
    const QImage picture = menu->imageAtTime(0);
    expectProbes(picture,
                 {{"red turned below the centre", 402, 70, kRed},
                  {"blue turned above the centre", 402, 235, kBlue},
                  {"left end of the unturned picture is empty", 320, 152, kBlack},
                  {"right end of the unturned picture is empty", 485, 152, kBlack},
                  {"new left edge", 353, 100, kRed},
                  {"outside the new left edge", 350, 100, kBlack}});
}

TEST_F(MenuRendering, RoundedCornersClipTheTitlePicture)
{
    // Title picture 200 x 60, filled red by the title's still picture.
    title->m_staticImage = solidImage(200, 60, kRed);
    struct Row
    {
        const char *name;
        double roundValue;
        std::initializer_list<Probe> probes;
    };
    const Row rows[] = {
        {"0.9 keeps square corners",
         0.9,
         {{"corner", 0.5, 0.5, kRed}, {"top right", 199.5, 59.5, kRed}}},
        {"40 on a 60-point frame rounds by 30",
         40,
         {{"(7, 7) lies outside a 30 arc", 7.5, 7.5, kClear},
          {"(15, 15) inside", 15.5, 15.5, kRed},
          {"top right corner", 192.5, 52.5, kClear},
          {"edge midpoint", 100, 0.5, kRed}}},
        {"20 rounds by 20",
         20,
         {{"(7, 7) lies inside a 20 arc", 7.5, 7.5, kRed}, {"(2, 2) outside", 2.5, 2.5, kClear}}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto item = titleSlot(QRectF(100, 100, 200, 60), false);
        item->setRoundValue(row.roundValue);
        const QImage picture = item->imageAtTime(0);
        ASSERT_EQ(picture.size(), QSize(200, 60));
        expectProbes(picture, row.probes);
    }

    // On the page the cut corner shows the background. The 200 x 60 picture fits the box
    // (102, 102, 196, 56) at about 186.7 x 56 from x 106.67.
    auto menu = page();
    setBackground(menu, solidImage(64, 48, kGreen));
    auto item = titleSlot(QRectF(100, 100, 200, 60), false);
    item->setRoundValue(40);
    menu->setItems({item});
    const QImage picture = menu->imageAtTime(0);
    expectProbes(picture,
                 {{"cut corner", 109.5, 104.5, kGreen},
                  {"middle", 200, 130, kRed},
                  {"bottom edge midpoint", 200, 103, kRed}});
}

TEST_F(MenuRendering, FrameMaskErasesTheTitlePicture)
{
    // Mask opaque on the left half: the title picture is erased there and the page background
    // shows through; the frame's 3-point blue border is drawn over all; the picture is cut 5
    // points in, so between 3 and 5 points nothing is drawn.
    title->m_staticImage = solidImage(100, 100, kRed);
    const QImage mask = stripedImage(100, 100, {kBlack, kClear});
    auto item = titleSlot(QRectF(100, 100, 100, 100), true, borderFrame(), mask);

    const QImage element = item->imageAtTime(0);
    ASSERT_EQ(element.size(), QSize(100, 100));
    expectProbes(element,
                 {{"erased left half", 25, 50, kClear},
                  {"picture on the right", 75, 50, kRed},
                  {"frame border left", 1.5, 50, kBlue},
                  {"frame border top", 50, 98.5, kBlue},
                  {"gap between border and picture", 96.5, 50, kClear},
                  {"picture starts 5 points in", 94.5, 50, kRed}});

    auto menu = page();
    setBackground(menu, solidImage(64, 48, kGreen));
    menu->setItems({item});
    const QImage picture = menu->imageAtTime(0);
    // The element picture lands in (102, 102, 96, 96): x = 102 + 0.96 * element x.
    expectProbes(picture,
                 {{"background through the mask", 126, 150, kGreen},
                  {"title picture", 174, 150, kRed},
                  {"frame border", 103.5, 150, kBlue}});
}

TEST_F(MenuRendering, FramedTitleIsBlackWhereTheTitleDrawsNothing)
{
    // The test title then paints only (0, 0, 4, 4), which lies outside the 5-point inset.
    auto item = titleSlot(QRectF(0, 0, 100, 100), true, borderFrame(), QImage());
    const QImage element = item->imageAtTime(0);
    expectProbes(element,
                 {{"inside", 50, 50, kBlack},
                  {"title's square is cut away", 1, 1, kBlue},
                  {"inset corner", 4, 4, kClear},
                  {"inner corner", 5.5, 5.5, kBlack}});
}

TEST_F(MenuRendering, LayoutShowsOnlyTheFrame)
{
    title->m_staticImage = solidImage(100, 100, kRed);
    auto item
        = titleSlot(QRectF(100, 100, 100, 100), true, borderFrame(), solidImage(100, 100, kBlack));
    const QImage element = item->imageAtTime(kLayoutTimeUs);
    expectProbes(element, {{"frame", 1.5, 50, kBlue}, {"no picture", 50, 50, kClear}});
}

TEST_F(MenuRendering, TitleWithoutFrameFillsItsWholeCanvas)
{
    title->m_staticImage = solidImage(100, 100, kRed);
    auto item = titleSlot(QRectF(10, 10, 100, 100), false, borderFrame());
    const QImage element = item->imageAtTime(0);
    expectProbes(element, {{"edge", 0.5, 50, kRed}, {"centre", 50, 50, kRed}});
}

TEST_F(MenuRendering, ItemsBehindTheBackgroundShowOnlyThroughIt)
{
    // Background: transparent on the left half, opaque green on the right.
    auto menu = page();
    setBackground(menu, stripedImage(640, 480, {kClear, kGreen}));
    auto behindLeft = pictureButton(QRectF(48, 198, 104, 104), solidImage(100, 100, kRed));
    behindLeft->setLevel(-100);
    auto behindRight = pictureButton(QRectF(448, 198, 104, 104), solidImage(100, 100, kRed));
    behindRight->setLevel(-100);
    auto front = pictureButton(QRectF(448, 48, 104, 104), solidImage(100, 100, kBlue));
    menu->setItems({front, behindLeft, behindRight});
    const QImage picture = menu->imageAtTime(0);
    expectProbes(picture,
                 {{"behind, under a transparent background", 100, 250, kRed},
                  {"behind, under an opaque background", 500, 250, kGreen},
                  {"in front, listed first", 500, 100, kBlue}});
}

TEST_F(MenuRendering, TitleBehindTheBackgroundHasNoFrame)
{
    title->m_staticImage = solidImage(100, 100, kRed);
    auto item
        = titleSlot(QRectF(0, 0, 100, 100), true, borderFrame(), solidImage(100, 100, kBlack));
    item->setLevel(-100);
    const QImage element = item->imageAtTime(0);
    expectProbes(element, {{"no border", 1.5, 50, kRed}, {"no mask", 50, 50, kRed}});
}

TEST_F(MenuRendering, DisabledAndEmptyElementsByTimeAndForceShow)
{
    struct Row
    {
        const char *name;
        qint64 time;
        bool force;
        bool disabledShown;
        bool emptySlotFrameShown;
    };
    const Row rows[] = {
        {"ordinary time", 0, false, false, false},
        {"ordinary time, forced", 0, true, false, false},
        {"layout", kLayoutTimeUs, false, true, true},
        {"thumbnail", kThumbnailTimeUs, false, false, false},
        {"thumbnail, forced", kThumbnailTimeUs, true, true, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        hooks->force = row.force;
        auto menu = page();
        auto disabled = pictureButton(QRectF(98, 98, 104, 104), solidImage(100, 100, kRed));
        disabled->setDisabled(true);
        // An empty title slot (no jump) that does not use its frame.
        auto emptySlot = makeTitleSlot(QRectF(300, 100, 100, 100));
        emptySlot->setUseFrame(false);
        emptySlot->frameResource()->setFrameImageCache(borderFrame());
        menu->setItems({disabled, emptySlot});
        const QImage picture = menu->imageAtTime(row.time);
        EXPECT_PIXEL(picture, 150, 150, row.disabledShown ? kRed : kBlack);
        EXPECT_PIXEL(picture, 303.5, 150, row.emptySlotFrameShown ? kBlue : kBlack);
    }

    hooks->force = false;
    auto menu = page();
    auto disabled = pictureButton(QRectF(98, 98, 104, 104), solidImage(100, 100, kRed));
    disabled->setDisabled(true);
    menu->setItems({disabled});
    EXPECT_PIXEL(menu->menuThumbnailImage(), 150, 150, kRed);
    EXPECT_PIXEL(menu->thumbnailImage(), 150, 150, kBlack);
}

TEST_F(MenuRendering, TitleDrawsIntoAYUpContextAndGetsTheTimeUnchanged)
{
    // Without a still picture the title paints (0, 0, 4, 4) red itself: the lower left corner.
    auto item = titleSlot(QRectF(0, 0, 20, 20), false);
    const QImage element = item->imageAtTime(kThumbnailTimeUs);
    EXPECT_EQ(title->m_lastItem, item.get());
    EXPECT_EQ(title->m_lastTimeUs, kThumbnailTimeUs);
    expectProbes(element, {{"lower left", 1, 1, kRed}, {"upper left", 1, 18, kClear}});
}

TEST_F(MenuRendering, StillPictureIsCroppedToTheCanvasAspect)
{
    struct Row
    {
        const char *name;
        QImage still;
    };
    const Row rows[] = {
        {"wide picture loses its sides", stripedImage(300, 100, {kGreen, kRed, kBlue})},
        {"tall picture loses top and bottom", bandedImage(100, 300, {kBlue, kRed, kGreen})},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        title->m_staticImage = row.still;
        auto item = titleSlot(QRectF(0, 0, 50, 50), false);
        const QImage element = item->imageAtTime(0);
        expectProbes(element,
                     {{"lower left", 0.5, 0.5, kRed},
                      {"upper right", 49.5, 49.5, kRed},
                      {"centre", 25, 25, kRed}});
    }
}

TEST_F(MenuRendering, ButtonAndTextPictures)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("Button/Blue")));
    ASSERT_TRUE(
        solidImage(40, 20, kBlue).save(folder.filePath(QStringLiteral("Button/Blue/playBtn.png"))));
    hooks->resources = folder.path();

    auto button = makeButton(QStringLiteral("play"));
    button->setJump(title);
    EXPECT_EQ(button->imageAtTime(0).size(), QSize(40, 20));
    EXPECT_PIXEL(button->imageAtTime(0), 20, 10, kBlue);

    // A still picture wins only when it is set.
    button->setUseStaticImage(true);
    EXPECT_EQ(button->imageAtTime(0).size(), QSize(40, 20));
    button->setMenuStaticImage(solidImage(8, 8, kRed));
    EXPECT_EQ(button->imageAtTime(0).size(), QSize(8, 8));

    auto text = std::make_shared<TestTextSource>();
    text->m_text = QStringLiteral("Hi");
    auto textItem = makeStatic();
    textItem->setTextSource(text);
    textItem->useTextSource(true);
    EXPECT_EQ(textItem->imageAtTime(0).size(), QSize(16, 16));
    // A decoration without text has no picture.
    EXPECT_TRUE(makeStatic()->imageAtTime(0).isNull());
}

TEST_F(MenuRendering, NoPictureWhereNoBitmapCanBeMade)
{
    EXPECT_TRUE(page(QSizeF(0, 480))->imageAtTime(0).isNull());
    EXPECT_TRUE(page(QSizeF(640, 0.4))->imageAtTime(0).isNull());
    EXPECT_TRUE(titleSlot(QRectF(10, 10, 0, 50), false)->imageAtTime(0).isNull());
    // A damaged frame of absurd size gives no picture rather than gigabytes of pixels.
    EXPECT_TRUE(titleSlot(QRectF(0, 0, 1e7, 1e7), false)->imageAtTime(0).isNull());
    EXPECT_TRUE(page(QSizeF(1e6, 1e6))->imageAtTime(0).isNull());
}

TEST_F(MenuRendering, ElementSmallerThanItsInsetDrawsNothing)
{
    // A 3-point frame leaves a negative box after the 2-point inset; the picture must not be
    // blown up over the page.
    auto menu = page();
    menu->setItems({pictureButton(QRectF(300, 200, 3, 3), solidImage(100, 100, kRed))});
    const QImage picture = menu->imageAtTime(0);
    expectProbes(picture,
                 {{"at the element", 301.5, 201.5, kBlack},
                  {"far away", 10, 10, kBlack},
                  {"page centre", 320, 240, kBlack}});
}

class TestDrawer : public QObject, public DLCustomDrawer
{
public:
    void drawInRect(QPainter *painter, const QRectF &rect) override
    {
        drawInRectAtTime(painter, rect, 0);
    }
    void drawInRectAtTime(QPainter *painter, const QRectF &rect, qint64 timeUs) override
    {
        lastRect = rect;
        lastTimeUs = timeUs;
        painter->fillRect(rect, kWhite);
        painter->fillRect(QRectF(0, 0, 10, 10), kBlue);
    }
    QRectF lastRect;
    qint64 lastTimeUs = -1;
};

TEST_F(MenuRendering, CustomDrawerPaintsTheBackground)
{
    auto menu = page();
    setBackground(menu, solidImage(64, 48, kGreen));
    auto drawer = std::make_shared<TestDrawer>();
    menu->setMenu_drawer(drawer);
    auto behind = pictureButton(QRectF(98, 98, 104, 104), solidImage(100, 100, kRed));
    behind->setLevel(-100);
    menu->setItems({behind});

    menu->setUse_menu_drawer(false);
    EXPECT_PIXEL(menu->imageAtTime(0), 320, 240, kGreen);

    menu->setUse_menu_drawer(true);
    const QImage picture = menu->imageAtTime(1234);
    EXPECT_EQ(drawer->lastRect, QRectF(0, 0, 640, 480));
    EXPECT_EQ(drawer->lastTimeUs, 1234);
    expectProbes(picture,
                 {{"drawer's lower left square", 5, 5, kBlue},
                  {"drawer's fill", 320, 240, kWhite},
                  {"drawer covers what is behind", 150, 150, kWhite}});

    // A drawer that cannot draw leaves the page to its picture.
    menu->setMenu_drawer(std::make_shared<QObject>());
    EXPECT_PIXEL(menu->imageAtTime(0), 320, 240, kGreen);
}

TEST_F(MenuRendering, ShadowFallsAtItsOffsetUnderTheElement)
{
    auto menu = page();
    setBackground(menu, solidImage(64, 48, kWhite));
    auto item = pictureButton(QRectF(98, 198, 104, 104), solidImage(100, 100, kRed));
    DLShadow shadow;
    shadow.offset = QPointF(10, -10);
    shadow.blurRadius = 4;
    shadow.color = QColor(0, 0, 0, 255);
    item->setShadow(shadow);
    menu->setItems({item});
    const QImage picture = menu->imageAtTime(0);
    // The picture covers (100, 200)..(200, 300); the shadow is cast right and down.
    expectProbes(picture,
                 {{"picture over its own shadow", 190, 210, kRed},
                  {"shadow right of the picture", 205, 250, kBlack},
                  {"shadow below the picture", 150, 195, kBlack},
                  {"no shadow above", 150, 306, kWhite},
                  {"no shadow left", 94, 250, kWhite}});
    // The blur softens the shadow's outer edge.
    const QColor edge = colourAt(picture, 210, 250);
    EXPECT_GT(edge.red(), 20);
    EXPECT_LT(edge.red(), 235);
}

TEST_F(MenuRendering, OddShadowsStillDrawTheElement)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double huge = 1e12;
    const struct
    {
        const char *name;
        QPointF offset;
        double blur;
    } rows[] = {
        {"blur not a number", {5, -5}, nan},
        {"enormous blur", {5, -5}, huge},
        {"negative blur", {5, -5}, -4},
        {"offset not a number", {nan, 3}, 2},
        {"offset far off the page", {huge, -huge}, 2},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        auto menu = page();
        auto item = pictureButton(QRectF(98, 198, 104, 104), solidImage(100, 100, kRed));
        item->setShadow(DLShadow{row.offset, row.blur, QColor(0, 0, 0, 200)});
        menu->setItems({item});
        EXPECT_PIXEL(menu->imageAtTime(0), 150, 250, kRed);
    }
}

TEST(MenuBitmap, PainterIsYUp)
{
    Platterkit::render::MenuBitmap bitmap(QSizeF(20, 10));
    ASSERT_FALSE(bitmap.isNull());
    bitmap.painter()->fillRect(QRectF(0, 0, 5, 5), kRed);
    const QImage image = bitmap.finish();
    ASSERT_EQ(image.size(), QSize(20, 10));
    // Row 9 is the bottom row of a QImage.
    EXPECT_EQ(image.pixelColor(0, 9), kRed);
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
}

} // namespace
