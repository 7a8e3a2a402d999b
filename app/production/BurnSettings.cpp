#include "app/production/BurnSettings.h"

#include "app/production/DiscSizeEstimate.h"
#include "app/production/ProductionStartRules.h"

#include <QDir>
#include <QFileInfo>

namespace Discwright {

BurnStart makeProductionRequest(const BurnSettings &settings,
                                std::int64_t estimatedBytes,
                                const QString &tempRoot,
                                const std::function<std::int64_t(const QString &)> &freeBytesAt)
{
    BurnStart start;
    const bool disc = settings.kind == OutputNaming::OutputKind::Disc;
    const QString folder = disc ? tempRoot : settings.outputFolder;
    if (!disc && !QFileInfo(folder).isDir()) {
        start.outcome = BurnStart::Outcome::NoOutputFolder;
        return start;
    }
    const QString name = ProductionStartRules::discNameFromField(settings.discNameText);
    if (ProductionStartRules::isDiscNameTooLong(name)) {
        start.outcome = BurnStart::Outcome::NameTooLong;
        start.alert.key = QStringLiteral("DVD Name is too long , the max length is 31 chars .");
        start.alert.informativeKey = QStringLiteral("'%@' is too long");
        start.alert.informativeArguments = {name};
        start.alert.reason = QStringLiteral("%1 bytes").arg(name.toUtf8().size());
        return start;
    }
    const std::int64_t needed = ProductionStartRules::neededFreeBytes(estimatedBytes);
    const std::int64_t free = freeBytesAt(folder);
    if (!ProductionStartRules::hasEnoughFreeSpace(free, estimatedBytes)) {
        start.outcome = BurnStart::Outcome::NotEnoughSpace;
        start.alert.key = QStringLiteral("Free disk space is not enough.");
        start.alert.informativeKey = QStringLiteral(
            "%@ space is available on the disk.\nTo continue,free %@ of disk space and try again.");
        start.alert.informativeArguments = {DiscSizeEstimate::spaceDisplayString(free),
                                            DiscSizeEstimate::spaceDisplayString(needed)};
        start.alert.reason
            = QStringLiteral("%1: %2 bytes free, %3 needed").arg(folder).arg(free).arg(needed);
        return start;
    }
    ProductionRequest &request = start.request;
    request.kind = settings.kind;
    request.name = name;
    request.copies = ProductionStartRules::burnCopiesFromText(settings.copiesText);
    request.format = settings.format == 0 ? 0 : 1;
    request.output = OutputNaming::outputPath(settings.kind, folder, name);
    // The run makes its own work folder there, at a free name when "temp" is the user's.
    request.workFolder = disc ? QString() : QDir(folder).filePath(QStringLiteral("temp"));
    return start;
}

} // namespace Discwright
