#include "Reelsmith/effects/ArrayFilter.h"
#include "Reelsmith/effects/EffectManager.h"
#include "Reelsmith/effects/FilterKeys.h"
#include "Reelsmith/effects/FilterRegistry.h"
#include "Reelsmith/imaging/Image.h"
#include "Reelsmith/imaging/Renderer.h"

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <vector>

using Reelsmith::imaging::Image;
using Reelsmith::imaging::renderToImage;
namespace keys = Reelsmith::effects::keys;

namespace {

QImage colourful(int w, int h)
{
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixelColor(x, y, QColor((x * 9) % 256, (y * 11) % 256, (x * y) % 256));
    return image;
}

} // namespace

// First: the catalogue must not exist yet when the threads race for it.
TEST(EffectManager, FirstCallsFromEightThreadsBuildOneCatalogue)
{
    std::vector<const EffectManager *> seen(8);
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&seen, i] { seen[size_t(i)] = &EffectManager::manager(); });
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(std::set<const EffectManager *>(seen.begin(), seen.end()).size(), 1u);
}

TEST(EffectManager, NamesInDisplayOrder)
{
    const QStringList expected
        = {"1935",       "1955",        "1960",        "1970",         "Color Invert",
           "Exposure",   "Blur",        "Sharpen",     "Vibrance",     "Big Softie",
           "SpotLight",  "Line Screen", "Black White", "Blackout B&W", "Color Control",
           "Monochrome", "Glow",        "Gloom",       "Bloom",        "Pixellate",
           "Bright",     "Copper",      "Classical",   "New Effection"};
    EXPECT_EQ(EffectManager::sharedAllFilterNames(), expected);
    EXPECT_EQ(EffectManager::manager().allFilters().size(), 24);
}

TEST(EffectManager, EveryCallerGetsAFilterOfItsOwn)
{
    EXPECT_EQ(EffectManager::sharedFilterWithName(QStringLiteral("No Such Effect")), nullptr);
    auto first = EffectManager::sharedFilterWithName(QStringLiteral("Exposure"));
    auto second = EffectManager::sharedFilterWithName(QStringLiteral("Exposure"));
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
    first->setInputImage(Image::constantColor(Qt::gray));
    first->setValue(keys::ev, 1.0f);
    EXPECT_TRUE(second->inputImage().isNull());
    EXPECT_FLOAT_EQ(second->number(keys::ev), 3.0f);
    EXPECT_FLOAT_EQ(
        EffectManager::sharedFilterWithName(QStringLiteral("Exposure"))->number(keys::ev), 3.0f);
}

TEST(EffectManager, CopyOfAChainCopiesEachFilter)
{
    auto a = std::dynamic_pointer_cast<ArrayFilter>(
        EffectManager::sharedFilterWithName(QStringLiteral("Glow")));
    auto b = std::dynamic_pointer_cast<ArrayFilter>(
        EffectManager::sharedFilterWithName(QStringLiteral("Glow")));
    ASSERT_TRUE(a && b);
    ASSERT_EQ(a->filters().size(), 2);
    ASSERT_EQ(b->filters().size(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_NE(a->filters()[i], b->filters()[i]);
        EXPECT_EQ(a->filters()[i]->name(), b->filters()[i]->name());
        EXPECT_EQ(a->filters()[i]->values(), b->filters()[i]->values());
    }
    EXPECT_EQ(a->filters()[0]->name(), QStringLiteral("Gloom"));
    EXPECT_FLOAT_EQ(a->filters()[0]->number(keys::radius), 30.0f);
    EXPECT_FLOAT_EQ(a->filters()[1]->number(keys::contrast), 2.2f);
}

TEST(EffectManager, EmptyChainAndNullInput)
{
    ArrayFilter::initialize();
    auto chain = Reelsmith::effects::filterWithName(QStringLiteral("ArrayFilter"));
    ASSERT_TRUE(chain);
    const Image input = Image::fromQImage(colourful(8, 8));
    chain->setInputImage(input);
    EXPECT_EQ(chain->outputImage().node(), input.node());
    auto glow = EffectManager::sharedFilterWithName(QStringLiteral("Glow"));
    EXPECT_TRUE(glow->outputImage().isNull());
}

// Every effect changes the picture, and renders the same bytes in any number of bands.
TEST(EffectManager, EveryEffectChangesThePictureTheSameWayOnAnyThreads)
{
    const QImage source = colourful(96, 64);
    const Image input = Image::fromQImage(source);
    for (const QString &name : EffectManager::sharedAllFilterNames()) {
        SCOPED_TRACE(name.toStdString());
        auto filter = EffectManager::sharedFilterWithName(name);
        ASSERT_TRUE(filter);
        filter->setInputImage(input);
        const Image output = filter->outputImage();
        const QImage one = renderToImage(output, QRect(0, 0, 96, 64), 1);
        EXPECT_NE(one, source);
        EXPECT_EQ(renderToImage(output, QRect(0, 0, 96, 64), 5), one);
    }
}

TEST(EffectManager, BlackWhiteGivesGrey)
{
    auto filter = EffectManager::sharedFilterWithName(QStringLiteral("Black White"));
    filter->setInputImage(Image::fromQImage(colourful(32, 32)));
    const QImage out = renderToImage(filter->outputImage(), QRect(0, 0, 32, 32));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QColor c = out.pixelColor(x, y);
            ASSERT_EQ(c.red(), c.green());
            ASSERT_EQ(c.green(), c.blue());
        }
}

TEST(EffectManager, NeutralFiltersAreSkipped)
{
    const Image input = Image::fromQImage(colourful(8, 8));
    for (const char *name : {"ColorControls", "HueAdjust", "ExposureAdjust", "GaussianBlur"}) {
        SCOPED_TRACE(name);
        auto filter = Reelsmith::effects::filterWithName(QLatin1String(name));
        ASSERT_TRUE(filter);
        filter->setValue(keys::saturation, 1.0f);
        filter->setValue(keys::brightness, 0.0f);
        filter->setValue(keys::contrast, 1.0f);
        filter->setValue(keys::angle, 0.0f);
        filter->setValue(keys::ev, 0.0f);
        filter->setValue(keys::radius, 0.0f);
        EXPECT_EQ(filter->applyTo(input).node(), input.node());
    }
}
