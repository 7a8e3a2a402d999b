#include "app/production/ProductionStartRules.h"

#include "app/production/DiscSizeEstimate.h"
#include "platform/StringTable.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <limits>

namespace Discwright::ProductionStartRules {

namespace {

constexpr int kMaximumCopies = 999;
constexpr qsizetype kDiscNameByteLimit = 32;

// The leading integer of a text as a person typed it: blanks skipped, an optional sign, then
// digits; saturates instead of overflowing.
int leadingInteger(const QString &text)
{
    qsizetype at = 0;
    while (at < text.size() && text.at(at).isSpace())
        ++at;
    bool negative = false;
    if (at < text.size() && (text.at(at) == u'-' || text.at(at) == u'+')) {
        negative = text.at(at) == u'-';
        ++at;
    }
    std::int64_t value = 0;
    for (; at < text.size() && text.at(at) >= u'0' && text.at(at) <= u'9'; ++at) {
        value = value * 10 + (text.at(at).unicode() - u'0');
        if (value > std::numeric_limits<int>::max())
            return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    }
    return int(negative ? -value : value);
}

} // namespace

QString defaultDiscName()
{
    return QStringLiteral("My Disc");
}

QString discNameFromField(const QString &fieldText)
{
    return fieldText.isEmpty() ? defaultDiscName() : fieldText;
}

bool isDiscNameTooLong(const QString &name)
{
    return name.toUtf8().size() >= kDiscNameByteLimit;
}

QString discNameTooLongTitle()
{
    return platform::localizedString(
        QStringLiteral("DVD Name is too long , the max length is 31 chars ."));
}

QString discNameTooLongMessage(const QString &name)
{
    return platform::localizedString(QStringLiteral("'%@' is too long"), {name});
}

int burnCopiesFromText(const QString &fieldText)
{
    return std::clamp(leadingInteger(fieldText), 1, kMaximumCopies);
}

std::int64_t neededFreeBytes(std::int64_t estimatedBytes)
{
    return std::int64_t(estimatedBytes * 2.5);
}

bool hasEnoughFreeSpace(std::int64_t freeBytes, std::int64_t estimatedBytes)
{
    return freeBytes > neededFreeBytes(estimatedBytes);
}

std::int64_t freeBytesAtPath(const QString &path)
{
    QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    while (!info.exists() && !info.isRoot()) {
        const QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath())
            break;
        info = QFileInfo(parent);
    }
    const QStorageInfo storage(info.absoluteFilePath());
    if (!storage.isValid() || !storage.isReady())
        return -1;
    return storage.bytesAvailable();
}

QString freeSpaceAlertTitle()
{
    return platform::localizedString(QStringLiteral("Free disk space is not enough."));
}

QString freeSpaceAlertMessage(std::int64_t freeBytes, std::int64_t neededBytes)
{
    return platform::localizedString(
        QStringLiteral("%@ space is available on the disk.\nTo continue,free %@ of disk space "
                       "and try again."),
        {DiscSizeEstimate::spaceDisplayString(freeBytes),
         DiscSizeEstimate::spaceDisplayString(neededBytes)});
}

int menuPageTitleLimit(qint64 aspectType)
{
    return aspectType == 0 ? 18 : 12;
}

bool menuPageOverLimit(qsizetype fullestPageTitleItems, bool playButtonShown, qint64 aspectType)
{
    return fullestPageTitleItems + (playButtonShown ? 1 : 0) > menuPageTitleLimit(aspectType);
}

QString menuPageLimitKey(qint64 aspectType)
{
    return aspectType == 0
               ? QStringLiteral("One 4:3 DVD menu page only support max 18 video titles (contain "
                                "play button), please delete some video titles from your menu "
                                "page .")
               : QStringLiteral("One 16:9 DVD menu page only support max 12 video titles (contain "
                                "play button), please delete some video titles from your menu "
                                "page .");
}

QString menuPageLimitMessage(qint64 aspectType)
{
    return platform::localizedString(menuPageLimitKey(aspectType));
}

bool exceedsDisc(std::int64_t estimatedBytes, DiscSizeEstimate::DiscType type)
{
    return estimatedBytes > DiscSizeEstimate::capacityBytes(type);
}

OverfullDecision overfullDecision(std::int64_t estimatedBytes,
                                  DiscSizeEstimate::DiscType type,
                                  OutputNaming::OutputKind kind)
{
    if (!exceedsDisc(estimatedBytes, type))
        return OverfullDecision::Start;
    return kind == OutputNaming::OutputKind::Disc ? OverfullDecision::Refuse
                                                  : OverfullDecision::AskToContinue;
}

QString overfullAlertTitle()
{
    return platform::localizedString(QStringLiteral("The project does not fit on the disc."));
}

AlertMessage overfullAlert(std::int64_t estimatedBytes,
                           DiscSizeEstimate::DiscType type,
                           OutputNaming::OutputKind kind)
{
    AlertMessage alert;
    alert.key = QStringLiteral("The project does not fit on the disc.");
    alert.informativeKey
        = kind == OutputNaming::OutputKind::Disc
              ? QStringLiteral("%@\nChoose a lower quality or a larger disc type, or remove some "
                               "video, and try again.")
              : QStringLiteral(
                  "%@\nYou can still make it, but it will not fit on one disc of this type.");
    alert.informativeArguments = {DiscSizeEstimate::capacityLabel(estimatedBytes, type)};
    alert.reason = QStringLiteral("estimate %1 bytes").arg(estimatedBytes);
    return alert;
}

QString overfullAlertMessage(std::int64_t estimatedBytes,
                             DiscSizeEstimate::DiscType type,
                             OutputNaming::OutputKind kind)
{
    return overfullAlert(estimatedBytes, type, kind).informativeText();
}

QString overfullContinueButton()
{
    return platform::localizedString(QStringLiteral("Continue"));
}

QString overfullCancelButton()
{
    return platform::localizedString(QStringLiteral("Cancel"));
}

} // namespace Discwright::ProductionStartRules
