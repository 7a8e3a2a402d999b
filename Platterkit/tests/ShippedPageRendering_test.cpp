// Pages of the shipped template library drawn whole, the way the page list and the menu canvas
// draw them. The pictures are also written to <build>/render_preview for a person to look at.

#include "Platterkit/model/DVDLibraryHooks.h"
#include "Platterkit/model/DVDMenu.h"
#include "Platterkit/model/DVDMenuItem.h"
#include "Platterkit/render/MenuGeometry.h"
#include "Platterkit/templates/DVDLibraryResource.h"
#include "support/TemplateHooks.h"

#include <QDir>
#include <QImage>
#include <gtest/gtest.h>

namespace {

const QString kPreviewFolder = QStringLiteral(DW_BINARY_DIR "/render_preview");

class ShippedEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        DVDLibraryHooks::install(std::make_shared<testing_support::ApplicationHooks>());
    }
    void TearDown() override { DVDLibraryHooks::install(nullptr); }
};
const auto *const environment = ::testing::AddGlobalTestEnvironment(new ShippedEnvironment);

// How many pixels of the area (page pixels, y down) differ between two pictures of one size.
int differingPixels(const QImage &a, const QImage &b, const QRect &area)
{
    int count = 0;
    const QRect inside = area.intersected(a.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

TEST(ShippedPageRendering, EveryPageDrawsItsBackgroundAndElements)
{
    const auto pages = DVDLibraryResource::share()->menus();
    ASSERT_FALSE(pages.isEmpty()) << "no shipped pages in "
                                  << testing_support::kShippedTemplateFolder.toStdString();
    QDir().mkpath(kPreviewFolder);
    for (const auto &page : pages) {
        SCOPED_TRACE(page->identifier().toStdString());
        const QImage layout = page->menuThumbnailImage();
        const QImage thumbnail = page->thumbnailImage();
        ASSERT_EQ(layout.size(), page->menuSize().toSize());
        ASSERT_EQ(thumbnail.size(), page->menuSize().toSize());
        thumbnail.save(QDir(kPreviewFolder).filePath(page->identifier() + ".png"));

        // The background covers the page: few pixels are left at the canvas black.
        int black = 0;
        for (int y = 0; y < layout.height(); y += 4)
            for (int x = 0; x < layout.width(); x += 4)
                black += (layout.pixel(x, y) & 0xffffff) == 0;
        EXPECT_LT(black, (layout.width() / 4) * (layout.height() / 4) / 10);

        // Each framed slot and button changes the pixels of its own area.
        auto bare = page->copyMenu();
        bare->setItems({});
        const QImage background = bare->menuThumbnailImage();
        for (const auto &item : page->items()) {
            if (!item->isButtonItem() && !item->isVideoItem())
                continue;
            const QRect area = Platterkit::render::elementRectInPixels(
                                   item->frame(), page->menuSize(), page->menuSize())
                                   .toAlignedRect();
            EXPECT_GT(differingPixels(layout, background, area), area.width() * area.height() / 50)
                << "element at " << item->frameObject().toStdString() << " left no mark";
        }
    }
}

} // namespace
