#include "app/AppExtention/Convert/TempDvdData.h"

#include "platform/ClassRegistry.h"

DW_REGISTER_CLASS(TempDvdData)

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
