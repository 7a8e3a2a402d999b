// The menu template library the application ships (resources/menu_template_old, drawn at build
// time), read the way the application reads it: the older layout, through the shared library.

#include "Platterkit/model/DVDLibraryHooks.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "Platterkit/templates/DVDLibraryResource.h"
#include "support/TemplateHooks.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using testing_support::FolderHooks;
using testing_support::kShippedTemplateFolder;

// Installed before any test runs, so the shared library's one load reads the shipped folder.
class ShippedEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        DVDLibraryHooks::install(std::make_shared<FolderHooks>(kShippedTemplateFolder));
    }
};
const auto *const environment = ::testing::AddGlobalTestEnvironment(new ShippedEnvironment);

QList<DVDMenuRef> pagesOfAspect(qint64 aspect)
{
    QList<DVDMenuRef> pages;
    for (const auto &page : DVDLibraryResource::share()->menus()) {
        if (page->aspectType() == aspect)
            pages.append(page);
    }
    return pages;
}

bool endsWithButton(const DVDMenuItemRef &item, const char *suffix)
{
    return item->buttonResource() && item->buttonResource()->name().endsWith(suffix);
}

TEST(ShippedTemplates, FolderWasBuilt)
{
    ASSERT_TRUE(QFileInfo(kShippedTemplateFolder).isDir()) << qPrintable(kShippedTemplateFolder);
    const auto library = DVDLibraryResource::share();
    EXPECT_TRUE(library->lastError().isEmpty()) << qPrintable(library->lastError());
}

TEST(ShippedTemplates, EveryAspectHasSixteenCompletePages)
{
    for (const qint64 aspect : {1, 0}) {
        SCOPED_TRACE(aspect ? "16:9" : "4:3");
        const auto pages = pagesOfAspect(aspect);
        ASSERT_GE(pages.size(), 16);
        const QSizeF size = DVDMenu::menuSizeForAspectType(aspect);
        for (const auto &page : pages) {
            SCOPED_TRACE(qPrintable(page->identifier()));
            EXPECT_EQ(page->menuSize(), size);
            int titleSlots = 0, pre = 0, next = 0, play = 0;
            QList<QRectF> taken;
            for (const auto &item : page->items()) {
                const QRectF frame = item->frame();
                EXPECT_TRUE(QRectF(QPointF(0, 0), size).contains(frame)) << "item off the page";
                for (const QRectF &other : taken)
                    EXPECT_FALSE(frame.intersects(other)) << "items overlap";
                taken.append(frame);
                if (item->isTitleSlot()) {
                    ++titleSlots;
                    EXPECT_TRUE(item->frameResource());
                }
                pre += endsWithButton(item, "-pre");
                next += endsWithButton(item, "-next");
                play += endsWithButton(item, "-play");
            }
            EXPECT_GE(titleSlots, 1);
            EXPECT_LE(titleSlots, 6);
            EXPECT_EQ(pre, 1);
            EXPECT_EQ(next, 1);
            EXPECT_EQ(play, 1);
        }
    }
}

// The application copies page 15 (from 0) of each aspect's pages, in library order, for every new
// project and sub-menu page, keeping its buttons and its first title frame's style.
TEST(ShippedTemplates, NewProjectPageIsTheSixteenthOfEachAspect)
{
    for (const qint64 aspect : {1, 0}) {
        SCOPED_TRACE(aspect);
        const auto pages = pagesOfAspect(aspect);
        ASSERT_GT(pages.size(), 15);
        const auto page = pages[15];
        EXPECT_EQ(page->identifier(), QStringLiteral("Modern-2-%1").arg(aspect));
        const auto items = page->items();
        DVDMenuItemRef firstTitle;
        for (const auto &item : items) {
            if (item->isTitleSlot() && !firstTitle)
                firstTitle = item;
        }
        ASSERT_TRUE(firstTitle);
        EXPECT_FALSE(firstTitle->frameResource()->frameImage().isNull());
        for (const char *suffix : {"-pre", "-next", "-play"}) {
            EXPECT_TRUE(std::any_of(items.cbegin(), items.cend(), [&](const DVDMenuItemRef &item) {
                return endsWithButton(item, suffix);
            })) << suffix;
        }
    }
}

TEST(ShippedTemplates, DefaultPageIsCartoonTenInBothAspects)
{
    const auto library = DVDLibraryResource::share();
    for (const qint64 aspect : {1, 0}) {
        SCOPED_TRACE(aspect);
        const auto page = library->defaultMenuForAspectType(aspect);
        ASSERT_TRUE(page);
        EXPECT_EQ(page->category(), "Cartoon");
        EXPECT_EQ(page->name(), "10");
        EXPECT_EQ(page->aspectType(), aspect);
        EXPECT_EQ(library->dvdMenuForIdentifier(QStringLiteral("Cartoon-10-%1").arg(aspect)), page);
    }
    EXPECT_EQ(library->defaultMenuForAspectType(2), nullptr);
    EXPECT_TRUE(library->menus().contains(library->defaultMenu()));
}

TEST(ShippedTemplates, EveryPictureLoads)
{
    const auto library = DVDLibraryResource::share();
    ASSERT_GE(library->buttons().size(), 3);
    for (const auto &button : library->buttons()) {
        SCOPED_TRACE(qPrintable(button->name()));
        const QImage image = button->image();
        ASSERT_FALSE(image.isNull());
        EXPECT_TRUE(image.hasAlphaChannel());
        // The page gives every button an 80 x 50 box.
        EXPECT_LE(image.width(), 80);
        EXPECT_LE(image.height(), 50);
    }
    ASSERT_GE(library->frames().size(), 1);
    for (const auto &frame : library->frames()) {
        SCOPED_TRACE(qPrintable(frame->name()));
        const QImage picture = frame->frameImage();
        const QImage mask = frame->maskImage();
        ASSERT_FALSE(picture.isNull());
        ASSERT_FALSE(mask.isNull());
        EXPECT_EQ(picture.size(), mask.size());
        // The video shows through the middle and is erased at the outer edge.
        const QPoint centre(mask.width() / 2, mask.height() / 2);
        EXPECT_EQ(qAlpha(mask.pixel(centre)), 0);
        EXPECT_EQ(qAlpha(picture.pixel(centre)), 0);
        for (const QPoint corner : {QPoint(0, 0), QPoint(mask.width() - 1, mask.height() - 1)})
            EXPECT_EQ(qAlpha(mask.pixel(corner)), 255);
        // The clear window is large: at least half the picture.
        qint64 clear = 0;
        for (int y = 0; y < mask.height(); ++y) {
            for (int x = 0; x < mask.width(); ++x)
                clear += qAlpha(mask.pixel(x, y)) == 0;
        }
        EXPECT_GT(clear * 2, qint64(mask.width()) * mask.height());
    }
    for (const auto &page : library->menus()) {
        SCOPED_TRACE(qPrintable(page->identifier()));
        EXPECT_EQ(page->backgroundResource()->backgroundImage().size(), QSize(854, 480));
        EXPECT_FALSE(QImage(page->thumbnailPath()).isNull());
    }
}

TEST(ShippedTemplates, SavedAsNewerLayoutReadsBackTheSamePages)
{
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    const auto library = DVDLibraryResource::share();
    const QString root = library->saveMenuResourceTemplate(out.filePath("menu_template.plugin"));
    ASSERT_FALSE(root.isEmpty()) << qPrintable(library->lastError());

    struct RestoreShipped
    {
        ~RestoreShipped()
        {
            DVDLibraryHooks::install(std::make_shared<FolderHooks>(kShippedTemplateFolder));
        }
    } restore;
    DVDLibraryHooks::install(std::make_shared<FolderHooks>(root, true));
    DVDLibraryResource reloaded;
    ASSERT_TRUE(reloaded.load()) << qPrintable(reloaded.lastError());

    // Pictures are copied without loss, half-transparent edges included: compare the files as
    // stored, since premultiplied copies would hide a lossy round trip.
    auto stored
        = [](const QString &path) { return QImage(path).convertToFormat(QImage::Format_ARGB32); };
    for (const auto &frame : library->frames()) {
        SCOPED_TRACE(qPrintable(frame->name()));
        const QImage frameFile = stored(root + "/frames/" + frame->name() + "-frame.png");
        const QImage maskFile = stored(root + "/frames/" + frame->name() + "-mask.png");
        ASSERT_FALSE(frameFile.isNull());
        EXPECT_EQ(frameFile, stored(kShippedTemplateFolder + "/" + frame->frame()));
        EXPECT_EQ(maskFile, stored(kShippedTemplateFolder + "/" + frame->mask()));
    }
    for (const auto &button : library->buttons()) {
        SCOPED_TRACE(qPrintable(button->name()));
        EXPECT_EQ(stored(root + "/buttons/" + button->name() + ".png"),
                  stored(kShippedTemplateFolder + "/" + button->path()));
    }

    EXPECT_EQ(reloaded.buttons().size(), library->buttons().size());
    EXPECT_EQ(reloaded.frames().size(), library->frames().size());
    EXPECT_EQ(reloaded.backgrounds().size(), library->backgrounds().size());
    ASSERT_EQ(reloaded.menus().size(), library->menus().size());
    for (const auto &page : library->menus()) {
        SCOPED_TRACE(qPrintable(page->identifier()));
        const auto back = reloaded.dvdMenuForIdentifier(page->identifier());
        ASSERT_TRUE(back);
        EXPECT_EQ(back->menuSize(), page->menuSize());
        ASSERT_TRUE(back->backgroundResource());
        EXPECT_EQ(back->backgroundResource()->name(), page->backgroundResource()->name());
        const auto items = page->items();
        const auto backItems = back->items();
        ASSERT_EQ(backItems.size(), items.size());
        for (qsizetype i = 0; i < items.size(); ++i) {
            EXPECT_EQ(backItems[i]->frame(), items[i]->frame());
            EXPECT_EQ(backItems[i]->isTitleSlot(), items[i]->isTitleSlot());
            EXPECT_EQ(backItems[i]->isButtonItem(), items[i]->isButtonItem());
            if (items[i]->buttonResource()) {
                EXPECT_EQ(backItems[i]->buttonResource()->name(),
                          items[i]->buttonResource()->name());
            }
            if (items[i]->frameResource()) {
                EXPECT_EQ(backItems[i]->frameResource()->name(), items[i]->frameResource()->name());
            }
        }
    }
}

} // namespace
