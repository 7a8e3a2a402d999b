#include "app/production/ProductionInput.h"

#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Function/MainWindowControllerInterface.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/MainThread.h"

#include <QVariantMap>

namespace {

const QString kDvdKey = QStringLiteral("dvd");
const QString kRecordsKey = QStringLiteral("records");
const QString kSettingsKey = QStringLiteral("settings");
const QString kRecordsOfDiscKey = QStringLiteral("discwright.production.records");
const QString kProjectOfDiscKey = QStringLiteral("discwright.production.project");

template <class T> std::shared_ptr<T> objectOf(const QVariant &value)
{
    return std::dynamic_pointer_cast<T>(platform::objectFromVariant(value));
}

} // namespace

std::optional<ProductionInput> ProductionInput::copyOf(const DVDLibraryRef &dvd,
                                                       const TempEditDataList &records,
                                                       const TempDvdDataRef &settings,
                                                       const QString &packagePath,
                                                       QString *error)
{
    DW_ASSERT_MAIN_THREAD(return std::nullopt);
    if (!dvd) {
        if (error)
            *error = QStringLiteral("the project has no disc model");
        return std::nullopt;
    }
    QVariantList recordList;
    for (const auto &record : records)
        recordList.append(QVariant::fromValue(ObjectRef(record)));
    QVariantMap root;
    root.insert(kDvdKey, QVariant::fromValue(ObjectRef(dvd)));
    root.insert(kRecordsKey, recordList);
    root.insert(
        kSettingsKey,
        QVariant::fromValue(ObjectRef(settings ? settings : std::make_shared<TempDvdData>())));
    const QByteArray archive = platform::KeyedArchiver::archivedData(root, error);
    if (archive.isEmpty())
        return std::nullopt;

    // The clips find their copies in the package by this path, not by asking the window.
    const QVariant copied = platform::KeyedUnarchiver::unarchive(
        archive, {{MediaData::packagePathInfoKey(), packagePath}}, error);
    const QVariantMap map = copied.toMap();
    ProductionInput input;
    input.dvd = objectOf<DVDLibrary>(map.value(kDvdKey));
    input.settings = objectOf<TempDvdData>(map.value(kSettingsKey));
    for (const QVariant &value : map.value(kRecordsKey).toList()) {
        if (auto record = objectOf<TempEditData>(value))
            input.records.append(record);
    }
    input.packagePath = packagePath;
    if (!input.dvd || !input.settings) {
        if (error && error->isEmpty())
            *error = QStringLiteral("the copy of the project cannot be read back");
        return std::nullopt;
    }
    return input;
}

std::optional<ProductionInput>
ProductionInput::fromController(MainWindowControllerInterface &controller, QString *error)
{
    return copyOf(controller.dvd(),
                  controller.tempDataArray(),
                  controller.tempDvdData(),
                  controller.pathForResourcePath(QString()),
                  error);
}

TempDvdDataRef ProductionInput::settingsOfDisc(const DVDLibrary &disc)
{
    return TempDvdData::carriedBy(disc);
}

void ProductionInput::carryIn(DVDLibrary &disc) const
{
    TempDvdData::carryOn(disc, settings);
    QVariantList kept;
    for (const auto &record : records)
        kept.append(QVariant::fromValue(ObjectRef(record)));
    disc.setObjectForKey(kept, kRecordsOfDiscKey);
    disc.setObjectForKey(QVariant::fromValue(ObjectRef(dvd)), kProjectOfDiscKey);
}
