#include "app/AppExtention/Convert/TempEditData.h"

#include "Reelsmith/LMFunctions.h"
#include "app/AppExtention/Convert/DVDMenuItemFindTempEditData.h"
#include "app/AppExtention/Function/ControllerFunction.h"
#include "platform/ClassRegistry.h"
#include "platform/KeyValue.h"
#include "platform/KeyedUnarchiver.h"

DW_REGISTER_CLASS(TempEditData)

namespace {

// 5.5 s of engine time, truncated.
qint64 defaultVideoImageTime()
{
    return qint64(5.5 * double(lm_default_time_base()));
}

} // namespace

TempEditData::TempEditData()
    : m_dvdButtonShadowColor(Qt::black)
    , m_videoImageTime(defaultVideoImageTime())
{}

QStringList TempEditData::allCoderKeys() const
{
    // "currentMedia" comes first so that the element is known before anything else is set.
    return {QStringLiteral("currentMedia"),
            QStringLiteral("dvdbuttonUseType"),
            QStringLiteral("dvdbuttonLocalImage"),
            QStringLiteral("buttonHasShadow"),
            QStringLiteral("buttonShadowColor"),
            QStringLiteral("buttonShadowBlursizeValue"),
            QStringLiteral("dvdButtonShadowOffsetX"),
            QStringLiteral("dvdButtonShadowOffsetY"),
            QStringLiteral("dvdTitleUseType"),
            QStringLiteral("titleUseImageFrom"),
            QStringLiteral("videoImageTime"),
            QStringLiteral("videoImage"),
            QStringLiteral("localImage"),
            QStringLiteral("roundValue"),
            QStringLiteral("oldFrame"),
            QStringLiteral("frameTemplateBili"),
            QStringLiteral("dragKeepTitleFramePortion")};
}

QString TempEditData::storedKeyForCoderKey(const QString &key)
{
    if (key == QLatin1String("buttonHasShadow"))
        return QStringLiteral("dvdButtonHasShadow");
    if (key == QLatin1String("buttonShadowColor"))
        return QStringLiteral("dvdButtonShadowColor");
    if (key == QLatin1String("buttonShadowBlursizeValue"))
        return QStringLiteral("dvdButtonShadowBlursizeValue");
    if (key == QLatin1String("titleUseImageFrom"))
        return QStringLiteral("useImageFrom");
    return key;
}

void TempEditData::decoderKey(platform::KeyedUnarchiver &coder, const QString &key)
{
    const QString stored = storedKeyForCoderKey(key);
    if (stored == key) {
        CodingBase::decoderKey(coder, key);
        return;
    }
    // An alias key: its setter would push onto the element while the rest of the record is still
    // at its initial values (and, for a project opened in the background, off the main thread).
    if (!coder.containsValueForKey(key))
        return;
    const QVariant value = coder.decodeObjectForKey(key);
    if (coder.failed())
        return;
    if (!platform::setValueForKey(this, value, stored))
        coder.failWithError(
            QStringLiteral("TempEditData cannot take the archived value for key \"%1\"").arg(key));
}

void TempEditData::copyToKey(QObject *other, const QString &key) const
{
    // The copy names the same element until its caller gives it one of its own, so pushing here
    // would restyle the original element with half-copied values.
    const QString stored = storedKeyForCoderKey(key);
    platform::copyValueForKey(this, other, stored);
}

// --- Aliases ---------------------------------------------------------------------------------

void TempEditData::setButtonUseType(qint64 type)
{
    m_dvdbuttonUseType = type;
    updateItemDisplayType();
    updateItemImage();
}

void TempEditData::setButtonLocalImage(const QImage &image)
{
    m_dvdbuttonLocalImage = image;
    updateItemImage();
}

void TempEditData::setButtonHasShadow(bool has)
{
    m_dvdButtonHasShadow = has;
    updateItemShadow();
}

void TempEditData::setButtonShadowColor(const QColor &color)
{
    m_dvdButtonShadowColor = color;
    updateItemShadow();
}

void TempEditData::setButtonShadowBlursizeValue(double radius)
{
    m_dvdButtonShadowBlursizeValue = float(radius);
    updateItemShadow();
}

void TempEditData::setButtonShadowOffsetX(double offset)
{
    m_dvdButtonShadowOffsetX = float(offset);
    updateItemShadow();
}

void TempEditData::setButtonShadowOffsetY(double offset)
{
    m_dvdButtonShadowOffsetY = float(offset);
    updateItemShadow();
}

void TempEditData::setTitleFrameTemplateBili(double proportion)
{
    m_frameTemplateBili = proportion;
    updateItemImage();
}

void TempEditData::setTitleUseType(qint64 type)
{
    m_dvdTitleUseType = type;
    updateItemDisplayType();
    updateItemImage();
}

void TempEditData::setTitleFrameProportion(bool keep)
{
    m_dragKeepTitleFramePortion = keep;
    updateItemRound();
}

void TempEditData::setTitleRoundValue(double fraction)
{
    m_roundValue = fraction;
    updateItemRound();
}

void TempEditData::setTitleUseImageFrom(qint64 source)
{
    m_useImageFrom = source;
    updateItemImage();
}

void TempEditData::setTitleVideoImageTime(qint64 timeUs)
{
    m_videoImageTime = timeUs;
    updateItemImage();
}

void TempEditData::setTitleVideoImage(const QImage &image)
{
    m_videoImage = image;
    updateItemImage();
}

void TempEditData::setTitleLocalImage(const QImage &image)
{
    m_localImage = image;
    updateItemImage();
}

// --- Pushes ----------------------------------------------------------------------------------

std::optional<DLShadow> TempEditData::getMenuItemShadow() const
{
    if (!buttonHasShadow())
        return std::nullopt;
    DLShadow shadow;
    shadow.color = m_dvdButtonShadowColor.isValid() ? m_dvdButtonShadowColor : QColor(0, 0, 0, 85);
    shadow.blurRadius = buttonShadowBlursizeValue();
    shadow.offset = QPointF(buttonShadowOffsetX(), buttonShadowOffsetY());
    return shadow;
}

void TempEditData::updateItemShadow()
{
    if (!m_currentMedia)
        return;
    m_currentMedia->setShadow(getMenuItemShadow().value_or(DLShadow{}));
    ControllerFunction::displayCanvasViewLater();
}

void TempEditData::updateItemDisplayType()
{
    DVDMenuItem *item = m_currentMedia.get();
    if (!item || item->isStaticItem())
        return;
    if (item->isButtonItem())
        item->useTextSource(buttonUseType() == kButtonUsesText);
    else
        item->useTextSource(titleUseType() == kTitleUsesText);
}

void TempEditData::updateItemRound()
{
    DVDMenuItem *item = m_currentMedia.get();
    if (!item)
        return;
    item->setRoundValue(item->useFrame() ? 0.0 : titleRoundValue() * item->frame().width() * 0.5);
    ControllerFunction::displayCanvasViewLater();
}

void TempEditData::updateItemImage()
{
    DVDMenuItem *item = m_currentMedia.get();
    if (!item)
        return;
    if (item->isButtonItem()) {
        if (buttonUseType() == kButtonUsesLocalImage) {
            item->setUseStaticImage(true);
            item->setMenuStaticImage(buttonLocalImage());
        } else {
            item->setUseStaticImage(false);
        }
        FindTempEditData::updateItemFrameAutoFit(*item);
    } else if (!item->isStaticItem()) {
        item->setMenuStaticImage(titleUseImageFrom() == kImageFromLocalImage ? titleLocalImage()
                                                                             : titleVideoImage());
        if (titleUseImageFrom() == kImageFromMovie)
            item->setUseStaticImage(false);
        else if (titleUseImageFrom() == kImageFromVideoImage
                 || titleUseImageFrom() == kImageFromLocalImage)
            item->setUseStaticImage(true);
    }
    ControllerFunction::displayCanvasViewLater();
}

void TempEditData::updateAllEditToItem()
{
    updateItemShadow();
    updateItemDisplayType();
    updateItemImage();
    updateItemRound();
}
