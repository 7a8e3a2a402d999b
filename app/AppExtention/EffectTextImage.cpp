#include "app/AppExtention/EffectTextImage.h"

#include "Platterkit/model/DVDMenuItem.h"
#include "app/AppExtention/Function/AppLog.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "app/AppExtention/Function/MenuEditControllerInterface.h"
#include "app/AppExtention/Function/RectGeometry.h"
#include "platform/ClassRegistry.h"
#include "platform/KeyedUnarchiver.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <cmath>

DW_REGISTER_CLASS(EffectTextImage)

namespace {

// Archives of the text view that came before this record read as this record.
const bool registeredOldName = [] {
    platform::ClassRegistry::instance().registerAlias(QStringLiteral("VideoEditTextView"),
                                                      QStringLiteral("EffectTextImage"));
    return true;
}();

const QStringList kScalarKeys{QStringLiteral("backgroundType"),
                              QStringLiteral("backgroundRadius"),
                              QStringLiteral("alignment"),
                              QStringLiteral("textFillType"),
                              QStringLiteral("hasOutline"),
                              QStringLiteral("outlineWidth")};

} // namespace

EffectTextImage::EffectTextImage()
    : m_backgroundColor(Qt::red)
    , m_textString(QStringLiteral("Add Text Here"))
    , m_textColor(Qt::white)
{
    m_textFont.setPointSizeF(60);
}

QStringList EffectTextImage::allCoderKeys() const
{
    return {QStringLiteral("backgroundType"),
            QStringLiteral("backgroundImage"),
            QStringLiteral("backgroundColor"),
            QStringLiteral("backgroundRadius"),
            QStringLiteral("textFont"),
            QStringLiteral("textString"),
            QStringLiteral("alignment"),
            QStringLiteral("textFillType"),
            QStringLiteral("textImage"),
            QStringLiteral("textGradient"),
            QStringLiteral("textColor"),
            QStringLiteral("textOutlineColor"),
            QStringLiteral("hasOutline"),
            QStringLiteral("outlineWidth")};
}

void EffectTextImage::initWithCoder(platform::KeyedUnarchiver &coder)
{
    CodingBase::initWithCoder(coder);
    if (!coder.containsValueForKey(QStringLiteral("backFilletValue")))
        return;
    if (coder.containsValueForKey(QStringLiteral("string")))
        m_textString = coder.decodeObjectForKey(QStringLiteral("string")).toString();
    m_backgroundRadius = float(coder.decodeDoubleForKey(QStringLiteral("backFilletValue")));
    if (coder.containsValueForKey(QStringLiteral("outlineColor")))
        m_textOutlineColor
            = coder.decodeObjectForKey(QStringLiteral("outlineColor")).value<QColor>();
    if (coder.containsValueForKey(QStringLiteral("backgroundType")))
        m_backgroundType = coder.decodeIntegerForKey(QStringLiteral("backgroundType"));
    if (coder.containsValueForKey(QStringLiteral("hasOutline")))
        m_hasOutline = coder.decodeBoolForKey(QStringLiteral("hasOutline"));
    if (coder.containsValueForKey(QStringLiteral("outlineWidth")))
        m_outlineWidth = float(coder.decodeDoubleForKey(QStringLiteral("outlineWidth")));
}

void EffectTextImage::decoderKey(platform::KeyedUnarchiver &coder, const QString &key)
{
    if (kScalarKeys.contains(key) && coder.containsValueForKey(key)) {
        const QVariant value = coder.decodeObjectForKey(key);
        if (!coder.failed() && !value.isValid()) {
            setNilValueForKey(key);
            return;
        }
    }
    CodingBase::decoderKey(coder, key);
}

void EffectTextImage::setNilValueForKey(const QString &key)
{
    qCWarning(Discwright::lcRecords).noquote() << QStringLiteral(" setNilValueForKey %1").arg(key);
}

QVariantList EffectTextImage::textGradientObject() const
{
    QVariantList list;
    for (const QGradientStop &stop : m_textGradient)
        list << QVariantMap{{QStringLiteral("location"), stop.first},
                            {QStringLiteral("color"), stop.second}};
    return list;
}

void EffectTextImage::setTextGradientObject(const QVariantList &stops)
{
    m_textGradient.clear();
    for (const QVariant &entry : stops) {
        const QVariantMap stop = entry.toMap();
        m_textGradient << QGradientStop(stop.value(QStringLiteral("location")).toDouble(),
                                        stop.value(QStringLiteral("color")).value<QColor>());
    }
}

QFont EffectTextImage::drawingFont() const
{
    QFont font = m_textFont;
    const double points
        = m_textFont.pointSizeF() > 0 ? m_textFont.pointSizeF() : double(m_textFont.pixelSize());
    font.setPixelSize(std::max(1, int(std::lround(points))));
    return font;
}

QSizeF EffectTextImage::size() const
{
    if (m_textString.isEmpty())
        return {1, 1};
    const QFontMetricsF metrics(drawingFont());
    return {std::max(1.0, metrics.horizontalAdvance(m_textString)),
            std::max(1.0, metrics.height())};
}

float EffectTextImage::cornerRadius(QSizeF size, float backgroundRadius)
{
    return float(std::min(size.width(), size.height()) * backgroundRadius * 0.5);
}

QPainterPath EffectTextImage::textPath() const
{
    QPainterPath path;
    if (m_textString.isEmpty())
        return path;
    const QFont font = drawingFont();
    // The picture is y down: the baseline sits one ascent below the top.
    path.addText(QPointF(0, QFontMetricsF(font).ascent()), font, m_textString);
    return path;
}

void EffectTextImage::drawTextStringImage(QImage &image, bool outline) const
{
    const QPainterPath path = textPath();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!outline) {
        painter.fillPath(path, m_textColor);
        return;
    }
    const float width = float(m_outlineWidth * drawingFont().pixelSize() * 0.01 * 0.1);
    if (width <= 0 || !m_textOutlineColor.isValid())
        return;
    // A stroked outline: the letter shapes traced, not filled.
    painter.strokePath(path, QPen(m_textOutlineColor, width));
}

QImage EffectTextImage::textSourceImage() const
{
    const QSizeF s = size();
    const QSize pixels(int(std::ceil(s.width())), int(std::ceil(s.height())));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QRectF whole(QPointF(0, 0), QSizeF(pixels));
    {
        const float r = cornerRadius(s, m_backgroundRadius);
        QPainterPath backdrop;
        backdrop.addRoundedRect(whole, r, r);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipPath(backdrop);
        if (m_backgroundType == BackgroundColor)
            painter.fillPath(backdrop, m_backgroundColor);
        else if (m_backgroundType == BackgroundPicture && !m_backgroundImage.isNull())
            painter.drawImage(whole, m_backgroundImage);
    }
    if (m_textFillType == FillGradient || m_textFillType == FillPicture) {
        QImage letters(pixels, QImage::Format_ARGB32_Premultiplied);
        letters.fill(Qt::transparent);
        drawTextStringImage(letters, false);
        {
            // Source-in keeps the fill only where the letters are.
            QPainter painter(&letters);
            painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
            if (m_textFillType == FillPicture) {
                if (m_textImage.isNull())
                    painter.fillRect(whole, Qt::transparent);
                else
                    painter.drawImage(whole, m_textImage);
            } else if (m_textGradient.isEmpty()) {
                painter.fillRect(whole, Qt::transparent);
            } else {
                // The start colour at the top.
                QLinearGradient gradient(whole.topLeft(), whole.bottomLeft());
                gradient.setStops(m_textGradient);
                painter.fillRect(whole, gradient);
            }
        }
        QPainter painter(&image);
        painter.drawImage(QPointF(0, 0), letters);
    } else {
        drawTextStringImage(image, false);
    }
    if (m_hasOutline)
        drawTextStringImage(image, true);
    return image;
}

ObjectRef EffectTextImage::copyTextResource() const
{
    return std::static_pointer_cast<QObject>(copy());
}

void EffectTextImage::updaeDVDPageItemFrameWhenSizeChanged(EffectTextImage &text)
{
    const auto item = std::dynamic_pointer_cast<DVDMenuItem>(text.menuItem());
    if (!item)
        return;
    item->setFrame(
        Discwright::RectGeometry::rectForCenterSize(item->frame().center(), text.size()));
    if (MenuEditControllerInterface *editor = ControllerFunction::menuEditController())
        editor->displayCanvasView();
}

void EffectTextImage::flushOtherEffectTextWithSelfAttributes(EffectTextImage &other) const
{
    other.setBackgroundType(m_backgroundType);
    other.setBackgroundImage(m_backgroundImage);
    other.setBackgroundColor(m_backgroundColor);
    other.setBackgroundRadius(m_backgroundRadius);
    other.setTextFont(m_textFont);
    other.setAlignment(m_alignment);
    other.setTextFillType(m_textFillType);
    other.setTextImage(m_textImage);
    other.setTextGradient(m_textGradient);
    other.setTextColor(m_textColor);
    other.setTextOutlineColor(m_textOutlineColor);
    other.setHasOutline(m_hasOutline);
    other.setOutlineWidth(m_outlineWidth);
    updaeDVDPageItemFrameWhenSizeChanged(other);
}
