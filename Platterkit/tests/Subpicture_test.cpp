// The subpicture side of a menu page: rectangle scaling, the spumux XML, the three layers the
// library draws itself or lets the application's drawer draw, and the bitmap they are drawn on.

#include "Platterkit/authoring/MenuButtons.h"
#include "Platterkit/model/DVDLibraryHooks.h"
#include "Platterkit/subpicture/DLBitmapImage.h"
#include "Platterkit/subpicture/DLFunc.h"
#include "Platterkit/subpicture/DVDMenuImageGenerator.h"
#include "Platterkit/subpicture/DVDMenuMake.h"
#include "support/TestMenus.h"
#include "support/TestTitles.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace testing_support;

namespace {

// Installs a layer drawer for the lifetime of the scope.
class LayerDrawerHooks : public DVDLibraryHooks
{
public:
    using Drawer
        = std::function<void(const DVDMenuImageGenerator &, QSizeF, const QString &, QPainter &)>;
    explicit LayerDrawerHooks(Drawer drawer)
        : m_drawer(std::move(drawer))
    {}
    bool drawDVDMenuImageSizeName(const DVDMenuImageGenerator &generator,
                                  QSizeF size,
                                  const QString &name,
                                  QPainter &context) const override
    {
        m_drawer(generator, size, name, context);
        return true;
    }

private:
    Drawer m_drawer;
};

struct ScopedHooks
{
    explicit ScopedHooks(std::shared_ptr<DVDLibraryHooks> hooks)
    {
        DVDLibraryHooks::install(std::move(hooks));
    }
    ~ScopedHooks() { DVDLibraryHooks::install(nullptr); }
};

DVDMenuItemRef itemAt(const QRectF &frame, const ObjectRef &jump, bool button = true)
{
    DVDMenuItemRef item = button ? makeButton(QStringLiteral("play")) : makeTitleSlot();
    item->setFrame(frame);
    item->setJump(jump);
    return item;
}

// A project with the given pages; its titles keep the jump targets alive.
struct Project
{
    DVDLibraryRef dvd = std::make_shared<DVDLibrary>();
    std::shared_ptr<TestTitleVideo> title = TestTitleVideo::make(QStringLiteral("one"));

    explicit Project(qint64 format)
    {
        dvd->setFormat(format);
        dvd->setTitles({title});
    }
    DVDMenuRef addPage(const DVDMenuItemList &items, QSizeF menuSize = QSizeF(640, 480))
    {
        auto page = std::make_shared<DVDMenu>();
        page->setMenuSize(menuSize);
        page->setItems(items);
        dvd->setMenus(dvd->menus() << page);
        return page;
    }
};

QString readFile(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(path);
    return QString::fromUtf8(file.readAll());
}

void expectColor(const QImage &image, int x, int row, QColor expected, const char *where)
{
    SCOPED_TRACE(where);
    const QColor got = image.pixelColor(x, row);
    EXPECT_NEAR(got.red(), expected.red(), 2);
    EXPECT_NEAR(got.green(), expected.green(), 2);
    EXPECT_NEAR(got.blue(), expected.blue(), 2);
    EXPECT_NEAR(got.alpha(), expected.alpha(), 2);
}

bool isTransparent(const QImage &image, int x, int row)
{
    return image.pixelColor(x, row).alpha() == 0;
}

} // namespace

// --- Rectangle scaling -----------------------------------------------------------------------

TEST(SubpictureScaleRect, MenuPointsBecomeEvenPixelsInsideThePicture)
{
    struct Row
    {
        const char *name;
        QRectF rect;
        QSizeF menuSize;
        QSizeF fitSize;
        QRectF expected;
    };
    const Row rows[] = {
        {"worked example on NTSC",
         {100, 100, 101, 51},
         {640, 480},
         {720, 480},
         {112, 100, 114, 50}},
        {"PAL stretches rows", {40, 360, 160, 100}, {640, 480}, {720, 576}, {44, 432, 180, 120}},
        {"wide page narrows", {0, 0, 854, 480}, {854, 480}, {720, 480}, {0, 0, 720, 480}},
        {"partly outside is cut", {600, 400, 100, 100}, {640, 480}, {720, 480}, {674, 400, 44, 80}},
        {"wholly outside is zero", {700, 500, 50, 50}, {640, 480}, {720, 480}, {0, 0, 0, 0}},
        {"below the page is zero", {10, -80, 50, 50}, {640, 480}, {720, 480}, {0, 0, 0, 0}},
        {"zero menu size counts as one", {3, 3, 5, 5}, {0, 0}, {720, 480}, {0, 0, 0, 0}},
        {"odd edges are evened down", {7, 9, 13, 11}, {720, 480}, {720, 480}, {6, 8, 12, 10}},
        {"empty frame", {50, 50, 0, 20}, {640, 480}, {720, 480}, {0, 0, 0, 0}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DVDMenuMake::scaleRectMenuSizeFitSize(row.rect, row.menuSize, row.fitSize),
                  row.expected);
    }
    // With a menu size of 0 the scale is the whole picture per point: a 1 x 1 frame at the origin
    // covers a whole picture's worth and is cut to it.
    EXPECT_EQ(DVDMenuMake::scaleRectMenuSizeFitSize({0, 0, 1, 1}, {0, 0}, {720, 480}),
              QRectF(0, 0, 720, 480));
}

// --- The spumux XML --------------------------------------------------------------------------

TEST(SpumuxXml, RectangleExampleMatchesTheGoldenFile)
{
    Project project(0);
    project.addPage({itemAt({20, 20, 80, 50}, project.title)});
    const DVDMenuRef page = project.addPage({
        makeStatic(),                                           // 0: no jump, no button
        itemAt({100, 100, 101, 51}, project.title),             // 1: the worked example
        itemAt({300, 300, 100, 100}, project.title, false),     // 2: disabled below
        itemAt({600, 400, 100, 100}, project.title->chapter(0)) // 3: cut at the picture edge
    });
    page->items()[2]->setDisabled(true);

    const QString xml = DVDMenuMake::xmlConfigForMenuDvd(*page, *project.dvd);
    EXPECT_EQ(xml,
              readFile(QStringLiteral(DW_SOURCE_DIR
                                      "/Platterkit/tests/data/spumux_rectangle_example.xml")));

    QTemporaryDir dir;
    QFile out(dir.filePath(QStringLiteral("menu.xml")));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(xml.toUtf8());
    out.close();
    QProcess lint;
    lint.start(QStringLiteral("xmllint"),
               {QStringLiteral("--noout"),
                QStringLiteral("--schema"),
                QStringLiteral("/usr/share/dvdauthor/spumux.xsd"),
                out.fileName()});
    ASSERT_TRUE(lint.waitForFinished(30000));
    EXPECT_EQ(lint.exitCode(), 0) << lint.readAllStandardError().constData();
}

TEST(SpumuxXml, PageWithoutJumpsHasTheSpuAndNoButtons)
{
    Project project(1);
    const DVDMenuRef page = project.addPage({makeStatic(), makeTitleSlot(), makeButton("next")});
    EXPECT_EQ(DVDMenuMake::xmlConfigForMenuDvd(*page, *project.dvd),
              QStringLiteral("<subpictures><stream><spu start=\"00:00:00.00\" "
                             "highlight=\"menu_highlight.png\" select=\"menu_select.png\" "
                             "image=\"menu_image.png\" force=\"yes\" >\n"
                             "</spu></stream></subpictures>"));
}

TEST(SpumuxXml, ButtonNamesAndCountAgreeWithTheDvdauthorSide)
{
    Project project(0);
    project.addPage({makeStatic()});
    DVDMenuItemList items;
    for (int i = 0; i < 12; ++i)
        items.append(itemAt({double(i * 50), 20, 40, 40}, project.title));
    items[3]->setDisabled(true);
    items[5]->setJump(nullptr);
    const DVDMenuRef page = project.addPage(items);

    const QList<SpumuxButton> buttons = DVDMenuMake::buttonsForMenuDvd(*page, *project.dvd);
    QStringList names;
    for (const SpumuxButton &button : buttons)
        names << button.name;
    // Page index 1, item index counted over every item: gaps where disabled or jumpless items are.
    EXPECT_EQ(
        names,
        QStringList({"b10", "b11", "b12", "b14", "b16", "b17", "b18", "b19", "b110", "b111"}));
    EXPECT_EQ(buttons.size(), Platterkit::MenuButtons::buttonCount(*page));
    for (const SpumuxButton &button : buttons)
        EXPECT_EQ(button.name, Platterkit::MenuButtons::buttonName(1, button.itemIndex));
}

TEST(SpumuxXml, PagesOverThirtySixButtonsAreReportedBeforeAnyToolRuns)
{
    Project project(1);
    DVDMenuItemList items;
    for (int i = 0; i < 37; ++i)
        items.append(itemAt({double(i % 12) * 50, double(i / 12) * 50, 40, 40}, project.title));
    const DVDMenuRef page = project.addPage(items);
    const QString problem = DVDMenuMake::checkMenuDvd(*page, *project.dvd);
    EXPECT_TRUE(problem.contains(QLatin1String("37 buttons"))) << qPrintable(problem);
    EXPECT_TRUE(problem.contains(QLatin1String("at most 36"))) << qPrintable(problem);

    // Disabled elements do not count: 36 usable buttons are fine.
    page->items()[36]->setDisabled(true);
    EXPECT_TRUE(DVDMenuMake::checkMenuDvd(*page, *project.dvd).isEmpty());

    auto stray = std::make_shared<DVDMenu>();
    EXPECT_FALSE(DVDMenuMake::checkMenuDvd(*stray, *project.dvd).isEmpty());
}

// --- The bitmap ------------------------------------------------------------------------------

TEST(DLBitmapImage, SizesRoundToWholePixelsAndStartTransparent)
{
    EXPECT_EQ(DLBitmapImage::imageWithSize({0.4, 100}), nullptr);
    EXPECT_EQ(DLBitmapImage::imageWithSize({100, 0}), nullptr);
    EXPECT_EQ(DLBitmapImage::imageWithSize({-5, 100}), nullptr);
    EXPECT_EQ(DLBitmapImage::imageWithSize({qQNaN(), 100}), nullptr);
    const auto tiny = DLBitmapImage::imageWithSize({0.5, 100});
    ASSERT_NE(tiny, nullptr);
    EXPECT_EQ(tiny->size(), QSize(1, 100));
    const auto bitmap = DLBitmapImage::imageWithSize({719.6, 480.2});
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->size(), QSize(720, 480));
    EXPECT_TRUE(isTransparent(bitmap->bitmapImageRep(), 0, 0));
    EXPECT_TRUE(isTransparent(bitmap->bitmapImageRep(), 719, 479));
}

TEST(DLBitmapImage, FocusIsTheCurrentContextWithYUpAndNests)
{
    const auto outer = DLBitmapImage::imageWithSize({40, 40});
    const auto inner = DLBitmapImage::imageWithSize({10, 10});
    ASSERT_TRUE(outer && inner);
    EXPECT_EQ(DLBitmapImage::currentContext(), nullptr);
    outer->lockFocus();
    QPainter *outerContext = DLBitmapImage::currentContext();
    ASSERT_NE(outerContext, nullptr);
    {
        DLBitmapFocus focus(*inner);
        EXPECT_NE(DLBitmapImage::currentContext(), outerContext);
    }
    EXPECT_EQ(DLBitmapImage::currentContext(), outerContext);
    // The bottom 10 points in y-up land in the last 10 rows.
    outerContext->fillRect(QRectF(0, 0, 40, 10), Qt::red);
    outer->unlockFocus();
    EXPECT_EQ(DLBitmapImage::currentContext(), nullptr);
    EXPECT_EQ(outer->bitmapImageRep().pixelColor(5, 35), QColor(Qt::red));
    EXPECT_TRUE(isTransparent(outer->bitmapImageRep(), 5, 5));
}

// --- The layers ------------------------------------------------------------------------------

class SubpictureLayers : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A title picture near the top left of a 4:3 page, a play button at the bottom.
        slot = itemAt({40, 360, 160, 100}, project.title, false);
        button = itemAt({280, 20, 80, 50}, project.title);
        page = project.addPage({slot, button});
    }
    Project project{1};
    DVDMenuItemRef slot;
    DVDMenuItemRef button;
    DVDMenuRef page;
};

TEST_F(SubpictureLayers, LibraryLayersColourThePictureAndLeaveTitleBordersNearTheTop)
{
    const DVDMenuImageGenerator generator(page, project.dvd);
    EXPECT_EQ(generator.getDVDVideoFormatSize(), QSize(720, 576));
    struct Row
    {
        const char *name;
        QColor color;
    };
    const Row rows[] = {{"menu_highlight", QColor(51, 51, 179, 179)},
                        {"menu_select", QColor(255, 0, 0, 77)},
                        {"menu_image", QColor(255, 255, 255, 18)},
                        {"some_other_layer", QColor(51, 51, 179, 179)}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QImage layer = generator.generatorImageForName(QString::fromLatin1(row.name));
        ASSERT_EQ(layer.size(), QSize(720, 576));
        // The slot covers pixels x 44..224 and rows 24..144 (y up 432..552); 10 pixels in, its
        // inside is cleared. Near the top of the page means near the top of the picture.
        EXPECT_TRUE(isTransparent(layer, 134, 80));
        EXPECT_TRUE(isTransparent(layer, 55, 35));
        expectColor(layer, 48, 80, row.color, "slot border");
        expectColor(layer, 134, 500, row.color, "same column, bottom of the picture");
        // Buttons keep the colour over their whole area.
        expectColor(layer, 360, 530, row.color, "play button");
    }
}

TEST_F(SubpictureLayers, DisabledTitlePicturesGetNoBorder)
{
    slot->setDisabled(true);
    const QImage layer
        = DVDMenuImageGenerator(page, project.dvd).generatorImageForName("menu_highlight");
    expectColor(layer, 134, 80, QColor(51, 51, 179, 179), "where the slot was");
}

TEST_F(SubpictureLayers, ApplicationDrawerReplacesTheLibraryDrawing)
{
    QStringList calls;
    ScopedHooks hooks(std::make_shared<LayerDrawerHooks>([&](const DVDMenuImageGenerator &generator,
                                                             QSizeF size,
                                                             const QString &name,
                                                             QPainter &context) {
        calls << name;
        EXPECT_EQ(size, QSizeF(720, 576));
        EXPECT_EQ(generator.menu(), page);
        if (name != QLatin1String("menu_highlight"))
            return;
        context.save();
        context.setRenderHint(QPainter::Antialiasing, false);
        const QSize picture = generator.getDVDVideoFormatSize();
        for (const DVDMenuItemRef &item : generator.menu()->items()) {
            context.fillRect(DVDMenuMake::scaleRectMenuSizeFitSize(
                                 item->frame(), generator.menu()->menuSize(), picture),
                             QColor(0, 200, 0));
        }
        context.restore();
    }));
    const DVDMenuImageGenerator generator(page, project.dvd);
    const QImage highlight = generator.generatorImageForName("menu_highlight");
    const QImage select = generator.generatorImageForName("menu_select");
    EXPECT_EQ(calls, QStringList({"menu_highlight", "menu_select"}));

    // The drawer thinks y-up; the slot near the top of the page is near the top of the PNG.
    expectColor(highlight, 134, 80, QColor(0, 200, 0), "slot");
    expectColor(highlight, 360, 530, QColor(0, 200, 0), "button");
    EXPECT_TRUE(isTransparent(highlight, 134, 500));
    // A layer the drawer leaves alone stays transparent: the library does not draw under it.
    EXPECT_TRUE(isTransparent(select, 134, 80));
    EXPECT_TRUE(isTransparent(select, 600, 300));
}

TEST_F(SubpictureLayers, ThrowingDrawerKeepsWhatItDrewAndTheLayerIsStillWritten)
{
    ScopedHooks hooks(std::make_shared<LayerDrawerHooks>(
        [](const DVDMenuImageGenerator &, QSizeF, const QString &, QPainter &context) {
            context.fillRect(QRectF(0, 0, 720, 288), QColor(0, 0, 255));
            throw std::runtime_error("drawer broke halfway");
        }));
    QTemporaryDir dir;
    const QString path = dir.filePath("menu_highlight.png");
    const DVDMenuImageGenerator generator(page, project.dvd);
    ASSERT_TRUE(generator.generatorImageForNameToPath("menu_highlight", path));
    const QImage written(path);
    ASSERT_EQ(written.size(), QSize(720, 576));
    expectColor(written, 10, 500, QColor(0, 0, 255), "lower half drawn before the throw");
    EXPECT_TRUE(isTransparent(written, 10, 100));
    // The painter is usable again afterwards.
    EXPECT_EQ(DLBitmapImage::currentContext(), nullptr);
}

TEST_F(SubpictureLayers, LayerFilesAre32BitRgbaPngsThatReplaceOldFiles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("menu_select.png");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("not a picture, and longer than nothing");
    }
    const DVDMenuImageGenerator generator(page, project.dvd);
    ASSERT_TRUE(generator.generatorImageForNameToPath("menu_select", path));
    QFile png(path);
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    const QByteArray head = png.read(26);
    ASSERT_EQ(head.left(8), QByteArray("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(quint8(head[24]), 8); // bits per sample
    EXPECT_EQ(quint8(head[25]), 6); // colour type: RGB with alpha
    const QImage written(path);
    EXPECT_EQ(written.size(), QSize(720, 576));
    expectColor(written, 600, 300, QColor(255, 0, 0, 77), "select colour");

    EXPECT_FALSE(generator.generatorImageForNameToPath("menu_select",
                                                       dir.filePath("missing/menu_select.png")));
    EXPECT_FALSE(generator.lastError().isEmpty());
}

TEST(SubpictureMask, OnlyValidTitlePicturesAndStaticsAreOutlined)
{
    Project project(0);
    auto text = itemAt({300, 300, 100, 40}, project.title, false);
    text->setTextSource(std::make_shared<TestTextSource>());
    text->setIs_text_item(true);
    const DVDMenuRef page = project.addPage({
        itemAt({40, 300, 160, 120}, project.title, false), // title picture: outlined
        itemAt({280, 20, 80, 50}, project.title),          // button: not
        text,                                              // text: not
        itemAt({400, 300, 160, 120}, nullptr, false),      // no jump: not valid
        makeStatic(),                                      // static decoration: valid, outlined
        itemAt({10, 10, 15, 15}, project.title, false),    // too small to keep an inside
    });
    const QPainterPath mask
        = DVDMenuImageGenerator::hightlightMaskForMenuDvd(*page, project.dvd.get());
    const QList<QPolygonF> shapes = mask.toFillPolygons();
    ASSERT_EQ(shapes.size(), 2);
    EXPECT_EQ(shapes[0].boundingRect(), QRectF(54, 310, 160, 100));
    EXPECT_EQ(shapes[1].boundingRect(), QRectF(10, 450, 700, 20));
}

TEST(DLFunc, OutOfRangeGivesNullInsteadOfAFault)
{
    const auto a = std::make_shared<QObject>();
    const auto b = std::make_shared<QObject>();
    const auto c = std::make_shared<QObject>();
    const ObjectList list{a, b, c};
    EXPECT_EQ(DLFunc::arraySafeObjectAtIndex(list, 1), b);
    EXPECT_EQ(DLFunc::arraySafeObjectAtIndex(list, -1), nullptr);
    EXPECT_EQ(DLFunc::arraySafeObjectAtIndex(list, 3), nullptr);
    EXPECT_EQ(DLFunc::arrayObjectOffset(list, b, 1), c);
    EXPECT_EQ(DLFunc::arrayObjectOffset(list, b, -1), a);
    EXPECT_EQ(DLFunc::arrayObjectOffset(list, c, 1), nullptr);
    EXPECT_EQ(DLFunc::arrayObjectOffset(list, ObjectRef(std::make_shared<QObject>()), 0), nullptr);
}
