#include "app/Controller/EditControllers/PageDialogRules.h"

#include "Platterkit/model/DVDLibrary.h"
#include "Platterkit/model/DVDMenu.h"
#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Function/MainWindowControllerInterface.h"
#include "app/production/ProductionDiscModel.h"
#include "platform/StringTable.h"

#include <algorithm>

namespace Discwright::PageDialogRules {

double totalPreviewTime(int pictures, double everyImageDuration, double everyRenderDuration)
{
    if (pictures <= 0)
        return 0.0;
    return pictures * everyImageDuration + (pictures - 1) * everyRenderDuration;
}

double clampImageDuration(double seconds)
{
    return std::min(std::max(seconds, 1.0), 8.0);
}

double clampRenderDuration(double seconds)
{
    return std::min(std::max(seconds, 0.0), 4.0);
}

int64_t clampTrimStart(int64_t time, int64_t trimStop, int64_t fileLength)
{
    return std::max<int64_t>(0, std::min({time, trimStop - kOneSecond, fileLength}));
}

int64_t clampTrimStop(int64_t time, int64_t trimStart, int64_t fileLength)
{
    return std::max<int64_t>(0, std::min(std::max(time, trimStart + kOneSecond), fileLength));
}

int64_t trimStopForDuration(int64_t duration, int64_t trimStart, int64_t fileLength)
{
    return trimStart + std::max(std::min(duration, fileLength - trimStart), kOneSecond);
}

double clampVolume(double volume)
{
    return std::max(std::min(volume, 3.0), 0.0);
}

double clampBorderWidth(double width)
{
    return std::max(std::min(width, 40.0), 0.0);
}

Refusal musicRefusal(bool opened, bool hasAudio, int64_t duration)
{
    if (!opened)
        return Refusal::Unreadable;
    if (!hasAudio)
        return Refusal::NoAudio;
    if (duration < kOneSecond / 2)
        return Refusal::TooShort;
    return Refusal::None;
}

Refusal warningRefusal(bool opened, bool hasVideo, int64_t duration)
{
    if (!opened)
        return Refusal::Unreadable;
    if (!hasVideo)
        return Refusal::NoVideo;
    if (duration < kOneSecond)
        return Refusal::TooShort;
    return Refusal::None;
}

QString refusalMessage(Refusal refusal)
{
    switch (refusal) {
    case Refusal::Unreadable:
        return platform::localizedString(QStringLiteral("The file cannot be read."));
    case Refusal::NoAudio:
        return platform::localizedString(QStringLiteral("The file has no sound."));
    case Refusal::NoVideo:
        return platform::localizedString(QStringLiteral("The file has no picture."));
    case Refusal::TooShort:
        return platform::localizedString(QStringLiteral("The file is too short."));
    case Refusal::None:
        break;
    }
    return {};
}

QStringList durationItemTitles()
{
    QStringList titles;
    for (int i = 1; i <= 12; ++i)
        titles.append(QString::number(i * 5));
    return titles;
}

double getCurrentDVDMenuDuration(const DVDLibrary &disc)
{
    const auto menus = disc.menus();
    if (!menus.isEmpty() && menus.first() && menus.first()->duration() > 1.0)
        return menus.first()->duration();
    return ProductionDiscModel::kDefaultMenuDurationSeconds;
}

void saveMenuDurationToPages(MainWindowControllerInterface &controller,
                             const QString &title,
                             bool musicLength)
{
    const auto disc = controller.dvd();
    if (disc) {
        for (const auto &page : disc->menus()) {
            if (!page)
                continue;
            if (!musicLength) {
                page->setDuration(title.toDouble());
                continue;
            }
            const auto music = platform::objectCast<MediaData>(page->music());
            const VCMovieRef clip = music ? music->movie() : nullptr;
            page->setDuration(clip ? double(clip->trimDuration()) / double(kOneSecond)
                                   : ProductionDiscModel::kDefaultMenuDurationSeconds);
        }
    }
    ProductionDiscModel::b_updateDvdMenuDuration(controller);
}

} // namespace Discwright::PageDialogRules
