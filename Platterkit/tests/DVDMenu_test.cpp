#include "Platterkit/model/DVDLibraryHooks.h"
#include "Platterkit/model/DVDMenu.h"
#include "support/TestMenus.h"
#include "support/TestTitles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

using namespace testing_support;

namespace {

TEST(DVDMenu, AspectTypeFromTheCanvasRatio)
{
    const struct
    {
        const char *name;
        QSizeF size;
        qint64 aspect;
    } rows[] = {
        {"4:3 canvas", {640, 480}, 0},
        {"16:9 canvas", {854, 480}, 1},
        {"720 x 480 (1.5) is wide", {720, 480}, 1},
        {"700 x 480 (1.4583) is wide", {700, 480}, 1},
        {"within 0.1 of 4:3", {680, 480}, 0},
        {"zero height counts as 1", {1.3, 0}, 0},
        {"empty size", {0, 0}, 1},
        {"NaN height counts as 1", {1.3, std::numeric_limits<double>::quiet_NaN()}, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        DVDMenu page;
        page.setMenuSize(row.size);
        EXPECT_EQ(page.aspectType(), row.aspect);
    }
}

TEST(DVDMenu, Identifier)
{
    DVDMenu page;
    page.setName(QStringLiteral("10"));
    page.setMenuSize(QSizeF(854, 480));
    EXPECT_EQ(page.identifier(), QStringLiteral("10-1"));
    page.setCategory(QStringLiteral("Cartoon"));
    EXPECT_EQ(page.identifier(), QStringLiteral("Cartoon-10-1"));
    page.setMenuSize(QSizeF(640, 480));
    EXPECT_EQ(page.identifier(), QStringLiteral("Cartoon-10-0"));
}

TEST(DVDMenu, GeometryTextForms)
{
    DVDMenu page;
    page.setMenuSizeObject(QStringLiteral("{854, 480}"));
    EXPECT_EQ(page.menuSize(), QSizeF(854, 480));
    EXPECT_EQ(page.menuSizeObject(), QStringLiteral("{854, 480}"));
    page.setBackgroundImageRect(QRectF(0, 0.5, 640.25, 480));
    EXPECT_EQ(page.backgroundImageRectObject(), QStringLiteral("{{0, 0.5}, {640.25, 480}}"));
    page.setBackgroundImageRectObject(QStringLiteral("{{10,20},{30,40}}"));
    EXPECT_EQ(page.backgroundImageRect(), QRectF(10, 20, 30, 40));
    EXPECT_EQ(DVDMenu::menuSizeForAspectType(0), QSizeF(640, 480));
    EXPECT_EQ(DVDMenu::menuSizeForAspectType(1), QSizeF(854, 480));
    EXPECT_EQ(DVDMenu::menuSizeForAspectType(7), QSizeF(854, 480));
}

TEST(DVDMenu, CopyMakesNewElementsWithTheSameTargets)
{
    auto title = TestTitleVideo::make(QStringLiteral("a"));
    auto parentPage = makeTemplatePage(1);
    auto page = makeTemplatePage(2);
    page->setParent(parentPage->items().first());
    page->setMusic(std::make_shared<TestEditingTitle>());
    page->items()[0]->setJump(title);
    page->items()[1]->setJump(parentPage);
    auto text = std::make_shared<TestTextSource>();
    page->items()[0]->setTextSource(text);
    text->setMenuItem(page->items()[0]);

    auto copied = page->copyMenu();
    ASSERT_TRUE(copied);
    EXPECT_NE(copied, page);
    EXPECT_EQ(copied->parent(), page->parent());
    EXPECT_EQ(copied->music(), page->music());
    EXPECT_EQ(copied->name(), page->name());
    EXPECT_EQ(copied->menuSize(), page->menuSize());
    ASSERT_EQ(copied->items().size(), page->items().size());
    for (qsizetype i = 0; i < page->items().size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NE(copied->items()[i], page->items()[i]);
        EXPECT_EQ(copied->items()[i]->jump(), page->items()[i]->jump());
        EXPECT_EQ(copied->items()[i]->buttonResource(), page->items()[i]->buttonResource());
    }
    auto copiedText = std::dynamic_pointer_cast<TestTextSource>(copied->items()[0]->textSource());
    ASSERT_TRUE(copiedText);
    EXPECT_NE(copiedText, text);
    EXPECT_EQ(copiedText->menuItem(), copied->items()[0]);
    // Editing the copy's element list leaves the original alone.
    copied->setItems({});
    EXPECT_EQ(page->items().size(), 5);
}

TEST(DVDMenu, ButtonForButtonTypeTakesTheLastMatch)
{
    auto page = makeTemplatePage(1);
    EXPECT_EQ(page->buttonForButtonType(QStringLiteral("pre")), page->items()[1]);
    EXPECT_EQ(page->buttonForButtonType(QStringLiteral("next")), page->items()[2]);
    EXPECT_EQ(page->buttonForButtonType(QStringLiteral("nothing")), nullptr);

    auto secondPre = makeButton(QStringLiteral("pre"), QStringLiteral("Gold"));
    auto items = page->items();
    items.append(secondPre);
    // A title slot is never a button, whatever its frame is called.
    items.append(makeTitleSlot());
    page->setItems(items);
    EXPECT_EQ(page->buttonForButtonType(QStringLiteral("pre")), secondPre);
    EXPECT_EQ(page->buttonForButtonType(QStringLiteral("-pre")), secondPre);
}

TEST(DVDMenu, LibraryPlayJumpSkipsPagesAndEmptyJumps)
{
    auto page = makeTemplatePage(3);
    auto subPage = std::make_shared<DVDMenu>();
    auto title = TestTitleVideo::make(QStringLiteral("b"));
    EXPECT_EQ(page->menuPlayJump(), nullptr);
    page->items()[0]->setJump(subPage);
    page->items()[2]->setJump(title);
    EXPECT_EQ(page->menuPlayJump(), title);
    EXPECT_EQ(page->libraryMenuPlayJump(), title);
}

class ApplicationPolicy : public DVDLibraryHooks
{
public:
    qint64 backgroundImageDrawMode(const DVDMenu &) const override { return 1; }
    ObjectRef menuPlayJump(const DVDMenu &) const override { return nullptr; }
};

TEST(DVDMenu, ReplacedOperationsFollowTheInstalledHooks)
{
    auto page = makeTemplatePage(1);
    auto title = TestTitleVideo::make(QStringLiteral("c"));
    page->items()[0]->setJump(title);
    page->setBackgroundImageDrawMode(0);
    EXPECT_EQ(page->backgroundImageDrawMode(), 0);
    EXPECT_EQ(page->menuPlayJump(), title);

    DVDLibraryHooks::install(std::make_shared<ApplicationPolicy>());
    EXPECT_EQ(page->backgroundImageDrawMode(), 1);
    EXPECT_EQ(page->storedBackgroundImageDrawMode(), 0);
    EXPECT_EQ(page->menuPlayJump(), nullptr);
    EXPECT_EQ(page->libraryMenuPlayJump(), title) << "the library behaviour stays reachable";
    DVDLibraryHooks::install(nullptr);
    EXPECT_EQ(page->menuPlayJump(), title);
}

TEST(DVDMenu, BackgroundImageIsCachedUntilUpdated)
{
    QImage first(4, 3, QImage::Format_ARGB32_Premultiplied);
    first.fill(Qt::red);
    QImage second(4, 3, QImage::Format_ARGB32_Premultiplied);
    second.fill(Qt::blue);
    auto background = std::make_shared<DVDMenuBackgroundResource>();
    background->setImage(first);

    DVDMenu page;
    EXPECT_TRUE(page.backgroundImage().isNull()) << "no resource, no picture";
    page.setBackgroundResource(background);
    EXPECT_EQ(page.backgroundImage(), first);
    background->setImage(second);
    EXPECT_EQ(page.backgroundImage(), first) << "kept in the cache";
    page.updateBackgroundImage();
    EXPECT_TRUE(page.backgroundCache().isNull());
    EXPECT_EQ(page.backgroundImage(), second);
}

} // namespace
