// The menu canvas as a person uses it, in an 874 x 500 canvas where a 16:9 page shows at scale 1
// (menu point (x, y) at pixel (x + 10, 490 - y)): pressing, Ctrl-clicking and banding items,
// dragging a group, resizing by corners, snapping with guides, nudging with timed guides, the
// overlay's pixels and the page fits.

#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "app/AppExtention/Convert/TempEditData.h"
#include "app/AppExtention/EffectTextImage.h"
#include "app/AppExtention/Function/ApplicationImage.h"
#include "app/View/MenuEditView/CanvasBgView.h"
#include "app/View/MenuEditView/MenuCanvasHost.h"
#include "app/View/MenuEditView/ShapeView.h"
#include "support/ShellTesting.h"

#include <QDir>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using namespace CanvasGeometry;

class Host : public MenuCanvasHost
{
public:
    DVDMenuRef canvasPage() const override { return page; }
    DVDMenuItemList sourceArray() const override { return texts + titles + buttons; }
    DVDMenuItemList sourceArrayForDraw() const override { return titles + texts + buttons; }
    DVDMenuItemList textItemArray() const override { return texts; }
    TempEditDataList canvasStyleRecords() const override { return records; }
    void shapeViewSelectionUpdate() override { ++selectionUpdates; }
    void setCanvasItemFrame(const DVDMenuItemRef &item, const QRectF &frame) override
    {
        item->setFrame(frame);
    }
    void canvasDidEdit() override { ++edits; }
    bool firstResponderInSource() const override { return sourceFocus; }
    void canvasPressed() override { ++presses; }

    DVDMenuRef page;
    DVDMenuItemList texts, titles, buttons;
    TempEditDataList records;
    bool sourceFocus = false;
    int selectionUpdates = 0, edits = 0, presses = 0;
};

DVDMenuItemRef titleItem(const QRectF &frame)
{
    auto item = std::make_shared<DVDMenuItem>();
    item->setFrame(frame);
    return item;
}

DVDMenuItemRef staticText(const QRectF &frame)
{
    auto item = titleItem(frame);
    auto text = std::make_shared<EffectTextImage>();
    item->setTextSource(text);
    item->useTextSource(true);
    text->setMenuItem(item);
    return item;
}

QPoint pixel(QPointF menu)
{
    return QPoint(qRound(menu.x() + 10), qRound(490 - menu.y()));
}

void send(QWidget *widget,
          QEvent::Type type,
          QPointF menu,
          Qt::MouseButtons buttons,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const QPointF local = pixel(menu);
    QMouseEvent event(type,
                      local,
                      widget->mapToGlobal(local),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons,
                      modifiers);
    QApplication::sendEvent(widget, &event);
}

void press(QWidget *w, QPointF p, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    send(w, QEvent::MouseButtonPress, p, Qt::LeftButton, m);
}
void move(QWidget *w, QPointF p)
{
    send(w, QEvent::MouseMove, p, Qt::LeftButton);
}
void release(QWidget *w, QPointF p)
{
    send(w, QEvent::MouseButtonRelease, p, Qt::NoButton);
}
void drag(QWidget *w, QPointF from, QPointF to)
{
    press(w, from);
    move(w, (from + to) / 2);
    move(w, to);
}

void expectRect(const QRectF &actual, const QRectF &expected)
{
    EXPECT_NEAR(actual.x(), expected.x(), 1e-3);
    EXPECT_NEAR(actual.y(), expected.y(), 1e-3);
    EXPECT_NEAR(actual.width(), expected.width(), 1e-3);
    EXPECT_NEAR(actual.height(), expected.height(), 1e-3);
}

QString shot(QWidget &widget, const QString &name)
{
    QDir().mkpath(QStringLiteral("/tmp/shots/canvas"));
    const QString path = QStringLiteral("/tmp/shots/canvas/%1.png").arg(name);
    widget.grab().save(path);
    return path;
}

class MenuCanvas : public ::testing::Test
{
protected:
    void SetUp() override
    {
        shell_testing::application();
        ApplicationImage::setResourcesFolder(QStringLiteral(DW_BINARY_DIR "/resources"));
        host.page = std::make_shared<DVDMenu>();
        host.page->setMenuSize(QSizeF(854, 480));
        canvas = std::make_unique<CanvasBgView>();
        canvas->resize(874, 500);
        canvas->setHost(&host);
        canvas->show();
        shape = canvas->shapeView();
    }
    void TearDown() override
    {
        canvas.reset();
        ApplicationImage::setResourcesFolder(QString());
    }

    QImage picture() { return canvas->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    Host host;
    std::unique_ptr<CanvasBgView> canvas;
    ShapeView *shape = nullptr;
};

TEST_F(MenuCanvas, PressesOnASelectedItem)
{
    const auto item = titleItem(QRectF(100, 100, 200, 100));
    host.titles = {item};
    struct Row
    {
        const char *name;
        QPointF point;
        unsigned type;
    };
    const Row rows[] = {{"upper left handle", {92, 208}, DragUpperLeft},
                        {"upper right handle", {308, 208}, DragUpperRight},
                        {"lower left handle", {92, 92}, DragLowerLeft},
                        {"lower right handle", {308, 92}, DragLowerRight},
                        {"inside", {200, 150}, DragMove},
                        {"far", {600, 400}, DragNone}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        shape->setSelectedItemArray({item});
        EXPECT_EQ(shape->pointHitDragType(row.point), row.type);
    }
    // A static text's corner only moves it.
    const auto text = staticText(QRectF(400, 300, 100, 40));
    host.texts = {text};
    shape->setSelectedItemArray({text});
    EXPECT_EQ(shape->pointHitDragType(QPointF(392, 348)), DragMove);
}

TEST_F(MenuCanvas, APressInTheMarginSelectsWithoutADrag)
{
    const auto item = titleItem(QRectF(100, 100, 200, 100));
    host.titles = {item};
    press(shape, QPointF(200, 90));
    move(shape, QPointF(250, 50));
    release(shape, QPointF(250, 50));
    EXPECT_EQ(shape->selectedItemArray(), DVDMenuItemList{item});
    expectRect(item->frame(), QRectF(100, 100, 200, 100));
    EXPECT_EQ(host.edits, 0);
    EXPECT_EQ(host.presses, 1);
}

TEST_F(MenuCanvas, OverlapsAndCtrlClick)
{
    const auto text1 = staticText(QRectF(100, 100, 100, 50));
    const auto text2 = staticText(QRectF(120, 110, 100, 50));
    const auto title1 = titleItem(QRectF(400, 100, 100, 100));
    const auto title2 = titleItem(QRectF(420, 120, 100, 100));
    host.texts = {text1, text2};
    host.titles = {title1, title2};
    struct Row
    {
        const char *name;
        QPointF point;
        Qt::KeyboardModifiers modifiers;
        DVDMenuItemList selection;
    };
    const Row rows[] = {
        {"the earlier static text wins", {150, 130}, Qt::NoModifier, {text1}},
        {"the later title wins", {450, 150}, Qt::NoModifier, {title2}},
        {"Ctrl-click takes the first in list order",
         {450, 150},
         Qt::ControlModifier,
         {title2, title1}},
        {"Ctrl-click again removes it", {450, 150}, Qt::ControlModifier, {title2}},
        {"Ctrl-click on nothing changes nothing", {700, 400}, Qt::ControlModifier, {title2}},
        {"a plain press on nothing empties", {700, 400}, Qt::NoModifier, {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const int updates = host.selectionUpdates;
        press(shape, row.point, row.modifiers);
        release(shape, row.point);
        EXPECT_EQ(shape->selectedItemArray(), row.selection);
        EXPECT_GT(host.selectionUpdates, updates);
    }
}

TEST_F(MenuCanvas, BandSelection)
{
    const auto a = titleItem(QRectF(100, 100, 50, 50));
    const auto b = titleItem(QRectF(300, 100, 50, 50));
    host.titles = {a, b};
    press(shape, QPointF(50, 50));
    move(shape, QPointF(100, 200));
    EXPECT_TRUE(shape->selectedItemArray().isEmpty()) << "touching is not enough";
    move(shape, QPointF(320, 200));
    EXPECT_EQ(shape->selectedItemArray(), (DVDMenuItemList{a, b}));
    shot(*canvas, "band");
    const QImage banded = picture();
    // The band's top edge: red, a line one point wide.
    const QRgb edge = banded.pixel(pixel(QPointF(200, 200)));
    EXPECT_GT(qRed(edge), 100);
    EXPECT_LT(qGreen(edge), 80);
    move(shape, QPointF(200, 200));
    EXPECT_EQ(shape->selectedItemArray(), DVDMenuItemList{a}) << "shrinking deselects";
    release(shape, QPointF(200, 200));
    EXPECT_TRUE(shape->selectionRect().isNull());
    EXPECT_EQ(host.edits, 0);
}

TEST_F(MenuCanvas, AGroupMovesAsOneAndStopsAtTheEdge)
{
    const auto a = titleItem(QRectF(100, 100, 50, 50));
    const auto b = titleItem(QRectF(300, 300, 50, 50));
    const auto other = titleItem(QRectF(205, 500 - 400, 40, 40));
    host.titles = {a, b, other};
    shape->setSelectedItemArray({a, b});
    drag(shape, QPointF(320, 320), QPointF(327, 327));
    // No snapping for a group, though a's edge came within reach of the other's.
    expectRect(a->frame(), QRectF(107, 107, 50, 50));
    expectRect(b->frame(), QRectF(307, 307, 50, 50));
    move(shape, QPointF(320, 600));
    release(shape, QPointF(320, 600));
    expectRect(b->frame(), QRectF(300, 430, 50, 50));
    expectRect(a->frame(), QRectF(100, 230, 50, 50));
    EXPECT_EQ(host.edits, 1);
}

TEST_F(MenuCanvas, CornerResizes)
{
    const auto kept = titleItem(QRectF(300, 200, 200, 100));
    host.titles = {kept};
    shape->setSelectedItemArray({kept});
    drag(shape, QPointF(508, 308), QPointF(528, 308));
    release(shape, QPointF(528, 308));
    expectRect(kept->frame(), QRectF(280, 190, 240, 120));

    // A title shown as a free frame: the mode follows the item whose corner was pressed, also
    // right after a band selection left no hit item.
    const auto free = titleItem(QRectF(100, 100, 200, 100));
    auto record = std::make_shared<TempEditData>();
    record->setCurrentMedia(free);
    record->setDvdTitleUseType(0);
    record->setDragKeepTitleFramePortion(false);
    host.titles = {kept, free};
    host.records = {record};
    press(shape, QPointF(700, 50));
    release(shape, QPointF(700, 50));
    shape->setSelectedItemArray({free});
    drag(shape, QPointF(308, 92), QPointF(358, 62));
    release(shape, QPointF(358, 62));
    expectRect(free->frame(), QRectF(100, 70, 250, 130));
    drag(shape, QPointF(92, 208), QPointF(-100, 208));
    release(shape, QPointF(-100, 208));
    EXPECT_NEAR(free->frame().x(), 0, 1e-3);
}

TEST_F(MenuCanvas, SnappingWhileDragging)
{
    const auto target = titleItem(QRectF(100, 300, 100, 50));
    const auto moved = titleItem(QRectF(200, 100, 20, 20));
    host.titles = {target, moved};
    press(shape, QPointF(210, 110));
    move(shape, QPointF(150, 110));
    move(shape, QPointF(101, 110));
    expectRect(moved->frame(), QRectF(100, 100, 20, 20));
    EXPECT_TRUE(shape->drawMediaLine());
    EXPECT_EQ(shape->mediaPoint1(), QPointF(100, 100));
    EXPECT_EQ(shape->mediaPoint2(), QPointF(100, 350));
    shot(*canvas, "guides");
    const QRgb guide = picture().pixel(pixel(QPointF(100, 200)));
    EXPECT_GT(qRed(guide), 150);
    EXPECT_GT(qGreen(guide), 150);
    EXPECT_LT(qBlue(guide), 100);
    release(shape, QPointF(101, 110));
    EXPECT_FALSE(shape->drawMediaLine());
    EXPECT_EQ(host.edits, 1);
}

TEST_F(MenuCanvas, Nudging)
{
    const auto top = titleItem(QRectF(100, 430, 50, 50));
    const auto second = titleItem(QRectF(200, 300, 50, 50));
    const auto third = staticText(QRectF(300, 200, 50, 50));
    host.texts = {third};
    host.titles = {top, second};
    shape->setFocus();
    shape->setSelectedItemArray({top});
    QTest::keyClick(shape, Qt::Key_Up);
    expectRect(top->frame(), QRectF(100, 430, 50, 50));
    EXPECT_EQ(host.edits, 1) << "still edited";

    shape->setSelectedItemArray({top, second, third});
    QTest::keyClick(shape, Qt::Key_Up);
    expectRect(second->frame(), QRectF(200, 300, 50, 50));
    QTest::keyClick(shape, Qt::Key_Right);
    expectRect(top->frame(), QRectF(101, 430, 50, 50));
    expectRect(second->frame(), QRectF(201, 300, 50, 50));
    expectRect(third->frame(), QRectF(301, 200, 50, 50));
    EXPECT_EQ(shape->keyMoveRects().size(), 2) << "static text keeps no key rectangle";

    // One item whose left edge ends 0.4 from another's: a guide; 0.6: none.
    double clock = 100.0;
    shape->setClock([&] { return clock; });
    const auto anchor = titleItem(QRectF(100, 300, 80, 50));
    const auto lone = titleItem(QRectF(99.4, 100, 30, 30));
    host.texts = {};
    host.titles = {anchor, lone};
    shape->setSelectedItemArray({lone});
    QTest::keyClick(shape, Qt::Key_Right);
    EXPECT_TRUE(shape->drawMediaLine());
    EXPECT_TRUE(shape->keyForDrawLine());
    EXPECT_DOUBLE_EQ(shape->jiangeTime(), 100.0);
    shot(*canvas, "nudge-guide");
    // The checks every 0.1 s: shown after the one at 0.9 s (seen at 0.95), after 1.0 s (seen at
    // 1.05), gone after 1.1 s (seen at 1.15).
    for (const auto &[elapsed, shown] : {std::pair{0.9, true}, {1.0, true}, {1.1, false}}) {
        clock = 100.0 + elapsed;
        shape->clearKeyForDrawLine();
        EXPECT_EQ(shape->drawMediaLine(), shown) << elapsed;
        if (shown) {
            EXPECT_TRUE(shape->isGuideCheckPending()) << elapsed;
        }
    }
    lone->setFrame(QRectF(100.4, 100, 30, 30));
    QTest::keyClick(shape, Qt::Key_Left);
    EXPECT_FALSE(shape->drawMediaLine());
}

TEST_F(MenuCanvas, OverlayPixels)
{
    const auto button = titleItem(QRectF(100, 100, 200, 100));
    const auto text = staticText(QRectF(400, 300, 200, 60));
    host.titles = {button};
    host.texts = {text};
    shape->setSelectedItemArray({button, text});
    QImage image = picture();
    shot(*canvas, "handles");
    // The outline runs 8 points outside the frame, 3 wide; orange.
    const QRgb outline = image.pixel(pixel(QPointF(200, 92)));
    EXPECT_GT(qRed(outline), 230);
    EXPECT_NEAR(qGreen(outline), 128, 30);
    EXPECT_LT(qBlue(outline), 40);
    EXPECT_NE(image.pixel(pixel(QPointF(200, 96))), outline) << "not inside the gap";
    // A handle in each corner of the button (its square's outer quarter, clear of the outline),
    // none at the text's.
    for (const QPointF corner :
         {QPointF(88, 212), QPointF(312, 212), QPointF(88, 88), QPointF(312, 88)})
        EXPECT_GT(qRed(image.pixel(pixel(corner))), 200) << corner.x() << "," << corner.y();
    EXPECT_LT(qRed(image.pixel(pixel(QPointF(388, 372)))), 60) << "the text's corner is empty";
    // Grey while the list has the keyboard.
    host.sourceFocus = true;
    shape->update();
    image = picture();
    const QRgb grey = image.pixel(pixel(QPointF(200, 92)));
    EXPECT_NEAR(qRed(grey), 128, 10);
    EXPECT_NEAR(qGreen(grey), 128, 10);
    shot(*canvas, "handles-list-focus");
}

TEST_F(MenuCanvas, FitsAndBackgrounds)
{
    // 16:9 in a square canvas: the width less the margins, centred, grey bands above and below.
    canvas->resize(500, 500);
    const QImage square = picture();
    shot(*canvas, "fit-square");
    const QRgb band = square.pixel(250, 20);
    EXPECT_NEAR(qRed(band), 41, 3);
    EXPECT_EQ(square.pixel(250, 250), qRgb(0, 0, 0)) << "the page without picture is black";
    EXPECT_NEAR(qRed(square.pixel(250, 480)), 41, 3);
    // 4:3 in the wide canvas.
    canvas->resize(874, 500);
    host.page->setMenuSize(QSizeF(640, 480));
    canvas->updateViewBoundsWhenMenuChange();
    const QImage wide = picture();
    shot(*canvas, "fit-4-3");
    EXPECT_NEAR(qRed(wide.pixel(110, 250)), 41, 3);
    EXPECT_EQ(wide.pixel(120, 250), qRgb(0, 0, 0));
    // The drawer flag without a drawer: the page's picture (here none), so black stays.
    host.page->setUse_menu_drawer(true);
    EXPECT_EQ(picture().pixel(400, 250), qRgb(0, 0, 0));
}

TEST_F(MenuCanvas, StyledTextOnTheCanvas)
{
    const auto text = staticText(QRectF(200, 200, 10, 10));
    auto *styled = dynamic_cast<EffectTextImage *>(text->textResource());
    styled->setTextFillType(EffectTextImage::FillGradient);
    styled->setTextGradient({{0.0, Qt::yellow}, {1.0, Qt::red}});
    EffectTextImage::updaeDVDPageItemFrameWhenSizeChanged(*styled);
    host.texts = {text};
    canvas->update();
    shot(*canvas, "texts");
    const QImage image = picture();
    int coloured = 0;
    const QRect area(pixel(text->frame().bottomLeft()), text->frame().size().toSize());
    for (int y = area.top(); y < area.bottom(); ++y)
        for (int x = area.left(); x < area.right(); ++x)
            if (qRed(image.pixel(x, y)) > 200)
                ++coloured;
    EXPECT_GT(coloured, 100);
}

} // namespace
