#include "Platterkit/model/DVDLibraryHooks.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "Platterkit/model/Messages.h"
#include "support/TestMenus.h"
#include "support/TestTitles.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct KindRow
{
    const char *name;
    bool frame;
    bool button;
    bool textSource;
    bool isTextItemFlag;
    bool disabled;
    bool jump;
    int level;
    // Expected:
    bool isButton, isVideo, isStatic, isText, behind, valid, highlightEmpty, titleSlot;
};

TEST(DVDMenuItem, KindsAndValidity)
{
    // clang-format off
    const KindRow rows[] = {
        {"bare decoration",
         false, false, false, false, false, false, 0,
         false, false, true, false, false, true, true, false},
        {"disabled decoration",
         false, false, false, false, true, false, 0,
         false, false, true, false, false, false, true, false},
        {"title slot without jump",
         true, false, false, false, false, false, 0,
         false, true, false, false, false, false, true, true},
        {"title slot with jump",
         true, false, false, false, false, true, 0,
         false, true, false, false, false, true, true, true},
        {"disabled title slot with jump",
         true, false, false, false, true, true, 0,
         false, true, false, false, false, false, true, true},
        {"button with jump",
         false, true, false, false, false, true, 0,
         true, false, false, false, false, true, false, false},
        {"framed button is a button, not a slot",
         true, true, false, false, false, true, 0,
         true, true, false, false, false, true, false, false},
        {"text flag without a text object is not text",
         false, false, false, true, false, false, 0,
         false, false, true, false, false, true, true, false},
        {"text object without the flag is not text",
         false, false, true, false, false, false, 0,
         false, false, true, false, false, true, true, false},
        {"text title",
         true, false, true, true, false, true, 0,
         false, true, false, true, false, true, false, true},
        {"level -99 is not behind",
         false, false, false, false, false, false, -99,
         false, false, true, false, false, true, true, false},
        {"level -100 is behind",
         false, false, false, false, false, false, -100,
         false, false, true, false, true, true, true, false},
    };
    // clang-format on
    auto target = TestTitleVideo::make(QStringLiteral("t"));
    for (const KindRow &row : rows) {
        SCOPED_TRACE(row.name);
        auto item = std::make_shared<DVDMenuItem>();
        if (row.frame)
            item->setFrameResource(std::make_shared<DVDLibraryFrameResource>());
        if (row.button)
            item->setButtonResource(std::make_shared<DVDLibraryButtonResource>());
        if (row.textSource)
            item->setTextSource(std::make_shared<TestTextSource>());
        item->useTextSource(row.isTextItemFlag);
        item->setDisabled(row.disabled);
        if (row.jump)
            item->setJump(target);
        item->setLevel(row.level);

        EXPECT_EQ(item->isButtonItem(), row.isButton);
        EXPECT_EQ(item->isVideoItem(), row.isVideo);
        EXPECT_EQ(item->isStaticItem(), row.isStatic);
        EXPECT_EQ(item->isTextItem(), row.isText);
        EXPECT_EQ(item->itemBehind(), row.behind);
        EXPECT_EQ(item->isValid(), row.valid);
        EXPECT_EQ(item->highlightModeEmptyInDVD(), row.highlightEmpty);
        EXPECT_EQ(item->isTitleSlot(), row.titleSlot);
        EXPECT_TRUE(item->isAction());
        EXPECT_FALSE(item->forceShowItem());
    }
}

TEST(DVDMenuItem, JumpDoesNotKeepItsTargetAlive)
{
    auto item = std::make_shared<DVDMenuItem>();
    auto page = std::make_shared<DVDMenu>();
    item->setJump(page);
    EXPECT_EQ(item->jump(), page);
    page.reset();
    EXPECT_EQ(item->jump(), nullptr);
}

TEST(DVDMenuItem, FrameObjectIsTheRectangleTextForm)
{
    auto item = std::make_shared<DVDMenuItem>();
    item->setFrame(QRectF(85.4, 96, 256.2, 120));
    EXPECT_EQ(item->frameObject(), QStringLiteral("{{85.4, 96}, {256.2, 120}}"));
    item->setFrameObject(QStringLiteral("{{1.5, -2}, {3, 4.25}}"));
    EXPECT_EQ(item->frame(), QRectF(1.5, -2, 3, 4.25));
    // A value that cannot be read gives the zero rectangle rather than garbage.
    item->setFrameObject(QStringLiteral("garbage"));
    EXPECT_EQ(item->frame(), QRectF());
}

TEST(DVDMenuItem, ValidStaticImageAsksTheTargetFirst)
{
    QImage still(4, 4, QImage::Format_ARGB32_Premultiplied);
    still.fill(Qt::blue);
    QImage offered(2, 2, QImage::Format_ARGB32_Premultiplied);
    offered.fill(Qt::green);

    auto item = std::make_shared<DVDMenuItem>();
    item->setMenuStaticImage(still);
    EXPECT_TRUE(item->validStaticImage().isNull()) << "useStaticImage is off";
    item->setUseStaticImage(true);
    EXPECT_EQ(item->validStaticImage(), still);

    // A target that does not answer validStaticImage leaves the element's own picture.
    auto production = TestTitleVideo::make(QStringLiteral("p"));
    item->setJump(production);
    EXPECT_EQ(item->validStaticImage(), still);

    // A target that answers wins, even with no picture.
    auto editing = std::make_shared<TestEditingTitle>();
    item->setJump(editing);
    EXPECT_TRUE(item->validStaticImage().isNull());
    editing->m_staticImage = offered;
    EXPECT_EQ(item->validStaticImage(), offered);
}

TEST(DVDMenuItem, CopySharesJumpAndResourcesAndCopiesTheText)
{
    auto target = TestTitleVideo::make(QStringLiteral("t"));
    auto item = makeTitleSlot(QRectF(1, 2, 3, 4));
    item->setJump(target);
    item->setRotation(12.5);
    item->setLevel(-100);
    item->setRoundValue(0.3);
    item->setShadow(DLShadow{QPointF(2, -2), 3.0, Qt::black});
    auto text = std::make_shared<TestTextSource>();
    text->m_text = QStringLiteral("Holiday");
    text->setMenuItem(item);
    item->setTextSource(text);
    item->useTextSource(true);

    auto copied = item->copyItem();
    ASSERT_TRUE(copied);
    EXPECT_NE(copied, item);
    EXPECT_EQ(copied->jump(), target);
    EXPECT_EQ(copied->frameResource(), item->frameResource());
    EXPECT_EQ(copied->frame(), QRectF(1, 2, 3, 4));
    EXPECT_EQ(copied->rotation(), 12.5);
    EXPECT_EQ(copied->level(), -100);
    EXPECT_TRUE(copied->is_text_item());
    EXPECT_EQ(copied->roundValue(), 0.0) << "roundValue is not carried over";
    EXPECT_FALSE(copied->shadow().isVisible()) << "shadow is not carried over";

    auto copiedText = std::dynamic_pointer_cast<TestTextSource>(copied->textSource());
    ASSERT_TRUE(copiedText);
    EXPECT_NE(copiedText, text);
    EXPECT_EQ(copiedText->m_text, QStringLiteral("Holiday"));
    EXPECT_EQ(copiedText->menuItem(), copied);
    EXPECT_EQ(text->menuItem(), item) << "the original text keeps its own back-link";
}

class ShowEverything : public DVDLibraryHooks
{
public:
    bool forceShowItem(const DVDMenuItem &) const override { return true; }
};

TEST(DVDMenuItem, ForceShowItemFollowsTheInstalledHooks)
{
    auto item = std::make_shared<DVDMenuItem>();
    EXPECT_FALSE(item->forceShowItem());
    DVDLibraryHooks::install(std::make_shared<ShowEverything>());
    EXPECT_TRUE(item->forceShowItem());
    DVDLibraryHooks::install(nullptr);
    EXPECT_FALSE(item->forceShowItem());
}

// Records the page-jump drawings it is asked for.
class PageJumpRecorder : public DVDLibraryHooks
{
public:
    void fillPageJumpImage(const DVDMenu &target,
                           DVDMenuItem &item,
                           qint64 timeUs,
                           QPainter *context) const override
    {
        lastPage = &target;
        lastItem = &item;
        lastTimeUs = timeUs;
        context->fillRect(QRectF(0, 0, 8, 8), Qt::blue);
    }
    mutable const DVDMenu *lastPage = nullptr;
    mutable DVDMenuItem *lastItem = nullptr;
    mutable qint64 lastTimeUs = 0;
};

TEST(DVDMenuItem, APageJumpIsDrawnByTheInstalledHooksAndByTheLibraryNotAtAll)
{
    auto page = std::make_shared<DVDMenu>();
    auto item = std::make_shared<DVDMenuItem>();
    item->setJump(page);
    const auto draw = [&] {
        QImage canvas(8, 8, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        item->fillImageAtTimeContext(2500000, &painter);
        painter.end();
        return canvas;
    };
    EXPECT_EQ(draw().pixelColor(4, 4).alpha(), 0);
    auto recorder = std::make_shared<PageJumpRecorder>();
    DVDLibraryHooks::install(recorder);
    EXPECT_EQ(draw().pixelColor(4, 4), QColor(Qt::blue));
    DVDLibraryHooks::install(nullptr);
    EXPECT_EQ(recorder->lastPage, page.get());
    EXPECT_EQ(recorder->lastItem, item.get());
    EXPECT_EQ(recorder->lastTimeUs, 2500000);
}

TEST(Messages, SetJumpReachesAnElementThroughItsInvokableSetter)
{
    auto item = std::make_shared<DVDMenuItem>();
    auto page = std::make_shared<DVDMenu>();
    EXPECT_TRUE(Platterkit::sendSetJump(item.get(), page));
    EXPECT_EQ(item->jump(), page);
    EXPECT_TRUE(Platterkit::sendSetJump(item.get(), nullptr));
    EXPECT_EQ(item->jump(), nullptr);
    // A page does not answer setJump.
    EXPECT_FALSE(Platterkit::sendSetJump(page.get(), item));
}

TEST(Messages, DrawingReachesDeclaredAndUndeclaredTitles)
{
    QImage canvas(8, 8, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    auto item = std::make_shared<DVDMenuItem>();

    auto editing = std::make_shared<TestEditingTitle>();
    EXPECT_TRUE(
        Platterkit::sendItemFillImageAtTimeContext(editing.get(), item.get(), 1500000, &painter));
    EXPECT_EQ(editing->m_lastItem, item.get());
    EXPECT_EQ(editing->m_lastTimeUs, 1500000);

    auto declared = std::make_shared<TestTitleResource>();
    EXPECT_TRUE(
        Platterkit::sendItemFillImageAtTimeContext(declared.get(), item.get(), 0, &painter));
    EXPECT_EQ(declared->m_fillCount, 1);

    auto production = TestTitleVideo::make(QStringLiteral("p"));
    EXPECT_FALSE(
        Platterkit::sendItemFillImageAtTimeContext(production.get(), item.get(), 0, &painter));
    painter.end();
    EXPECT_EQ(canvas.pixelColor(1, 1), QColor(Qt::red));
}

} // namespace
