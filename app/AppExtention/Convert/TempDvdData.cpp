#include "app/AppExtention/Convert/TempDvdData.h"

#include "Platterkit/model/DVDLibrary.h"
#include "platform/ClassRegistry.h"

DW_REGISTER_CLASS(TempDvdData)

namespace {
// Where a production disc keeps the settings its pages are drawn with.
const QString kSettingsOfDiscKey = QStringLiteral("discwright.production.settings");
} // namespace

std::shared_ptr<TempDvdData> TempDvdData::carriedBy(const DVDLibrary &disc)
{
    return std::dynamic_pointer_cast<TempDvdData>(
        platform::objectFromVariant(disc.objectForKey(kSettingsOfDiscKey)));
}

void TempDvdData::carryOn(DVDLibrary &disc, const std::shared_ptr<TempDvdData> &settings)
{
    disc.setObjectForKey(QVariant::fromValue(ObjectRef(settings)), kSettingsOfDiscKey);
}

TempDvdData::TempDvdData()
    : m_borderColor(QColor::fromRgbF(0.0f, 0.0f, 1.0f, 1.0f))
    , m_fillColor(QColor::fromRgbF(1.0f, 0.0f, 0.0f, 0.25f))
{}

QStringList TempDvdData::allCoderKeys() const
{
    return {QStringLiteral("showPlayButton"),
            QStringLiteral("borderColor"),
            QStringLiteral("borderWidth"),
            QStringLiteral("useFill"),
            QStringLiteral("fillColor"),
            QStringLiteral("hasWarning"),
            QStringLiteral("warningMedia"),
            QStringLiteral("useBackMusicLengthAsPageDuration")};
}
