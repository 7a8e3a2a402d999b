#include "TemplateCatalog.h"

#include <QVariantList>
#include <algorithm>
#include <cmath>

namespace templategen {

const QList<TemplateSpec> &templateCatalog()
{
    using S = BackgroundStyle;
    using R = ButtonRow;
    // Two pages are defaults and have to suit any project. Cartoon/10 is the page installed when the
    // disc's aspect changes: a bright, friendly sky and four slots. The sixteenth template in name
    // order (Modern/2) is the page every new project and new sub-menu page is copied from: a quiet
    // glow with plain frames. Adding a template before it in name order changes that page.
    // clang-format off
    static const QList<TemplateSpec> catalog = {
        {"Cartoon", "1", S::Sunburst, 4, "scallop", "Candy", R::Spread,
         {{255, 213, 79}, {255, 143, 0}, {255, 241, 196}, {255, 250, 230}, {255, 255, 255}}},
        {"Cartoon", "2", S::Bubbles, 6, "rounded", "Aqua", R::Right,
         {{129, 212, 250}, {2, 119, 189}, {224, 247, 250}, {}, {}}},
        {"Cartoon", "3", S::Hills, 3, "white", "Candy", R::Spread,
         {{100, 181, 246}, {227, 242, 253}, {124, 179, 66}, {85, 139, 47}, {255, 235, 59}}},
        {"Cartoon", "4", S::Clouds, 2, "scallop", "Aqua", R::Centre,
         {{41, 150, 243}, {187, 222, 251}, {55, 71, 79}, {}, {}}},
        {"Cartoon", "5", S::CandyStripes, 4, "rounded", "Candy", R::Spread,
         {{248, 187, 208}, {244, 143, 177}, {255, 255, 255}, {252, 228, 236}, {236, 64, 122}}},
        {"Cartoon", "6", S::NightSky, 4, "glow", "Glass", R::Right,
         {{10, 22, 56}, {49, 27, 120}, {26, 35, 100}, {14, 18, 52}, {255, 241, 150}}},
        {"Cartoon", "7", S::Confetti, 6, "rounded", "Candy", R::Spread,
         {{255, 249, 225}, {255, 236, 210}, {239, 83, 80}, {66, 165, 245}, {255, 193, 7}}},
        {"Cartoon", "8", S::Waves, 3, "white", "Candy", R::Centre,
         {{129, 212, 250}, {224, 247, 250}, {38, 198, 218}, {0, 96, 140}, {}}},
        {"Cartoon", "9", S::Polka, 2, "scallop", "Candy", R::Spread,
         {{206, 147, 216}, {123, 31, 162}, {243, 229, 245}, {225, 190, 231}, {}}},
        {"Cartoon", "10", S::Rainbow, 4, "scallop", "Candy", R::Spread,
         {{79, 195, 247}, {225, 245, 254}, {139, 195, 74}, {104, 159, 56}, {255, 235, 59}}},
        {"Classic", "1", S::Bokeh, 4, "gold", "Gold", R::Right,
         {{40, 26, 14}, {8, 5, 3}, {255, 193, 7}, {255, 138, 101}, {255, 224, 178}}},
        {"Classic", "2", S::Damask, 1, "gold", "Gold", R::Centre,
         {{120, 20, 35}, {45, 4, 12}, {210, 80, 90}, {230, 190, 110}, {}}},
        {"Classic", "3", S::ArtDeco, 3, "oval", "Gold", R::Spread,
         {{18, 36, 70}, {6, 12, 28}, {212, 175, 55}, {230, 200, 120}, {60, 90, 140}}},
        {"Classic", "4", S::Ribbons, 6, "white", "Glass", R::Right,
         {{62, 66, 76}, {20, 22, 28}, {230, 230, 240}, {176, 190, 197}, {255, 213, 160}}},
        {"Nature", "1", S::SunsetSea, 2, "glow", "Glass", R::Spread,
         {{40, 30, 90}, {16, 20, 52}, {236, 64, 122}, {255, 138, 101}, {255, 224, 130}}},
        {"Nature", "2", S::Aurora, 4, "rounded", "Glass", R::Centre,
         {{4, 8, 26}, {10, 40, 62}, {105, 240, 174}, {149, 117, 255}, {40, 70, 100}}},
        {"Nature", "3", S::Snow, 4, "white", "Aqua", R::Spread,
         {{120, 180, 235}, {225, 240, 252}, {250, 252, 255}, {38, 80, 90}, {}}},
        {"Nature", "4", S::Forest, 3, "oval", "Gold", R::Right,
         {{56, 142, 60}, {22, 60, 28}, {124, 179, 66}, {51, 105, 30}, {255, 241, 118}}},
        {"Modern", "1", S::LowPoly, 4, "white", "Glass", R::Right,
         {{0, 150, 136}, {49, 27, 146}, {63, 81, 181}, {255, 255, 255}, {}}},
        {"Modern", "2", S::SoftGlow, 4, "white", "Glass", R::Right,
         {{38, 70, 120}, {22, 26, 58}, {80, 150, 220}, {150, 110, 210}, {60, 180, 190}}},
        {"Modern", "3", S::Bands, 2, "rounded", "Aqua", R::Right,
         {{250, 250, 250}, {232, 236, 240}, {38, 166, 154}, {255, 138, 101}, {66, 115, 245}}},
        {"Modern", "4", S::Ripples, 6, "glow", "Glass", R::Centre,
         {{0, 92, 80}, {0, 40, 36}, {128, 203, 196}, {178, 223, 219}, {0, 150, 136}}},
        {"Modern", "5", S::RetroGrid, 3, "film", "Glass", R::Spread,
         {{22, 8, 52}, {24, 6, 44}, {255, 64, 129}, {123, 31, 162}, {255, 213, 79}}},
    };
    // clang-format on
    return catalog;
}

QSizeF pageSize(bool wide)
{
    return wide ? QSizeF(854, 480) : QSizeF(640, 480);
}

namespace {

// Whole points on the page read better in the editor than long fractions, and four decimals are
// more than a 854-point page needs.
double fraction(double points, double extent)
{
    return std::round(points / extent * 10000.0) / 10000.0;
}

QString number(double value)
{
    return QString::number(value, 'g', 6);
}

QString pointText(QPointF p)
{
    return QStringLiteral("{%1, %2}").arg(number(p.x()), number(p.y()));
}

QString rectText(const QRectF &r)
{
    return QStringLiteral("{{%1, %2}, {%3, %4}}")
        .arg(number(r.x()), number(r.y()), number(r.width()), number(r.height()));
}

} // namespace

PageLayout layoutFor(const TemplateSpec &spec, bool wide)
{
    const QSizeF size = pageSize(wide);
    const double W = size.width(), H = size.height();
    const double aspect = wide ? 16.0 / 9.0 : 4.0 / 3.0;

    // Above the slots stays free for a page heading; below them run the buttons.
    const double regionLeft = 0.06 * W, regionRight = 0.94 * W;
    const double regionBottom = 0.2 * H, regionTop = 0.82 * H;
    const double gapX = 0.03 * W, gapY = 0.05 * H;

    int cols = 1, rows = 1;
    switch (spec.slotCount) {
    case 1:
        break;
    case 2:
        cols = 2;
        break;
    case 3:
        cols = 3;
        break;
    case 4:
        cols = 2;
        rows = 2;
        break;
    default:
        cols = 3;
        rows = 2;
        break;
    }
    const double cellW = (regionRight - regionLeft - (cols - 1) * gapX) / cols;
    const double cellH = (regionTop - regionBottom - (rows - 1) * gapY) / rows;
    double slotW = std::min(cellW, cellH * aspect);
    if (spec.slotCount == 1)
        slotW = std::min(slotW, 0.56 * H * aspect);
    slotW = std::floor(slotW);
    const double slotH = std::floor(slotW / aspect);
    const double blockW = cols * slotW + (cols - 1) * gapX;
    const double blockH = rows * slotH + (rows - 1) * gapY;
    const double left = std::round((W - blockW) / 2);
    const double top = std::round(regionTop - (regionTop - regionBottom - blockH) / 2);

    PageLayout layout;
    int placed = 0;
    for (int r = 0; r < rows && placed < spec.slotCount; ++r) {
        for (int c = 0; c < cols && placed < spec.slotCount; ++c, ++placed) {
            const double x = std::round(left + c * (slotW + gapX));
            const double y = std::round(top - (r + 1) * slotH - r * gapY);
            layout.frames.append(
                QRectF(fraction(x, W), fraction(y, H), fraction(slotW, W), fraction(slotH, H)));
        }
    }

    const double buttonW = 80, buttonY = std::round(0.045 * H), margin = std::round(0.06 * W);
    double pre = 0, play = 0, next = 0;
    switch (spec.row) {
    case ButtonRow::Spread:
        pre = margin;
        play = std::round((W - buttonW) / 2);
        next = W - margin - buttonW;
        break;
    case ButtonRow::Right:
        next = W - margin - buttonW;
        play = next - 92;
        pre = play - 92;
        break;
    case ButtonRow::Centre:
        play = std::round((W - buttonW) / 2);
        pre = play - 100;
        next = play + 100;
        break;
    }
    layout.previous = QPointF(fraction(pre, W), fraction(buttonY, H));
    layout.play = QPointF(fraction(play, W), fraction(buttonY, H));
    layout.next = QPointF(fraction(next, W), fraction(buttonY, H));
    return layout;
}

QVariantMap templateDictionary(const TemplateSpec &spec)
{
    QVariantMap root;
    for (const bool wide : {true, false}) {
        const PageLayout layout = layoutFor(spec, wide);
        QVariantList frames;
        for (const QRectF &slot : layout.frames) {
            frames.append(QVariantMap{{"FrameRect", rectText(slot)}, {"FrameName", spec.frame}});
        }
        QVariantMap page;
        page["Frame"] = frames;
        page["PreButtonPoint"] = pointText(layout.previous);
        page["NextButtonPoint"] = pointText(layout.next);
        page["PlayButtonPoint"] = pointText(layout.play);
        page["PreButtonName"] = spec.buttonSet + "-pre";
        page["NextButtonName"] = spec.buttonSet + "-next";
        page["PlayButtonName"] = spec.buttonSet + "-play";
        root[wide ? "FrameRate169" : "FrameRate43"] = page;
    }
    return root;
}

uint64_t seedFor(const TemplateSpec &spec)
{
    // FNV-1a over "category/name".
    uint64_t hash = 1469598103934665603ull;
    for (const char c : (spec.category + "/" + spec.name).toUtf8()) {
        hash ^= uint8_t(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

} // namespace templategen
