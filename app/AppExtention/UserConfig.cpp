#include "app/AppExtention/UserConfig.h"

#include "app/AppExtention/Function/AppLog.h"
#include "app/AppExtention/Function/CommonFunction.h"
#include "app/AppExtention/Function/FileManagerExtention.h"
#include "platform/ClassRegistry.h"
#include "platform/PropertyList.h"
#include "platform/ResourceFolder.h"

#include <QDir>

DW_REGISTER_CLASS(UserConfig)

namespace {

const QString kDefaultFormatName = QStringLiteral("MPEG-4 Movie(*.mp4)");
const QStringList kVideoKeys = {QStringLiteral("VideoCodec"),
                                QStringLiteral("FrameRate"),
                                QStringLiteral("Resolution"),
                                QStringLiteral("VideoBitRate")};
const QStringList kAudioKeys = {QStringLiteral("Codec"),
                                QStringLiteral("SampleRate"),
                                QStringLiteral("Channel"),
                                QStringLiteral("BitRate")};

QVariantMap readFormatFile(const QString &folder, const QString &name)
{
    const QString path = QDir(folder).filePath(name + QStringLiteral(".plist"));
    QString error;
    const QVariant value = platform::PropertyList::fromFile(path, &error);
    if (value.typeId() != QMetaType::QVariantMap) {
        qCWarning(Discwright::lcKit,
                  "format list %s unreadable: %s",
                  qPrintable(path),
                  qPrintable(error));
        return {};
    }
    return value.toMap();
}

// The first space-separated word of a shown text such as "29.97 fps".
QString firstWord(const QString &text)
{
    return text.section(u' ', 0, 0, QString::SectionSkipEmpty);
}

} // namespace

UserConfig::UserConfig(const QString &resourcesFolder)
    : defaultOutputVideoPath(FileManagerExtention::defaultOutputVideoPath())
    , m_resourcesFolder(resourcesFolder.isEmpty() ? platform::bundleResourcesPath()
                                                  : resourcesFolder)
{
    formatList = readFormatFile(m_resourcesFolder, QStringLiteral("FormatData"));
    formatData = readFormatFile(m_resourcesFolder, QStringLiteral("FormatInfo"));
    if (CommonFunction::OSIsSnowLeopard()) {
        QVariantMap video = formatList.value(QStringLiteral("Video")).toMap();
        QVariantList items = video.value(QStringLiteral("ItemsArray")).toList();
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (items.at(i).toMap().value(QStringLiteral("Title")).toString()
                == QStringLiteral("MPEG-2 Movie(*.mpg)")) {
                items.removeAt(i);
                break;
            }
        }
        video.insert(QStringLiteral("ItemsArray"), items);
        formatList.insert(QStringLiteral("Video"), video);
    }
    load();
}

UserConfig &UserConfig::share()
{
    static UserConfig *config = new UserConfig();
    return *config;
}

QStringList UserConfig::allCoderKeys() const
{
    return {QStringLiteral("version"), QStringLiteral("defaultFormat")};
}

QString UserConfig::savePath()
{
    return QDir(FileManagerExtention::applicationSupportPath())
        .filePath(QStringLiteral("user.config"));
}

bool UserConfig::save()
{
    return writeToFileAtomically(savePath(), true);
}

bool UserConfig::load()
{
    return loadWithContentsOfFile(savePath());
}

QVariantMap UserConfig::defaultFormatDic() const
{
    if (!m_defaultFormat.isEmpty())
        return m_defaultFormat;
    return getFormatDicWithdefaultFormat(kDefaultFormatName);
}

QVariantMap UserConfig::getFormatDicWithdefaultFormat(const QString &formatName) const
{
    if (!formatData.contains(formatName))
        return {};
    const QVariantMap info = formatData.value(formatName).toMap();
    QVariantMap format;
    format.insert(QStringLiteral("FormatName"), formatName);
    format.insert(QStringLiteral("OutputPathExtention"),
                  info.value(QStringLiteral("PathExtention")));
    QStringList keys = kAudioKeys;
    if (info.value(QStringLiteral("IsVideo")).toBool())
        keys = kVideoKeys + kAudioKeys;
    for (const QString &key : keys)
        format.insert(key, info.value(key).toMap().value(QStringLiteral("Default")));
    return format;
}

QVariantMap UserConfig::getFormatValueDicWithdefaultFormatDic() const
{
    const QVariantMap format = defaultFormatDic();
    const QString name = format.value(QStringLiteral("FormatName")).toString();
    QVariantMap values;
    values.insert(QStringLiteral("OutputFormat"), name);
    for (const QString &key :
         {QStringLiteral("OutputPath"), QStringLiteral("OutputPathExtention")}) {
        if (format.contains(key))
            values.insert(key, format.value(key));
    }
    auto valueOf = [&](const QString &key) {
        const QVariant shown = format.value(key);
        return getValueWithString(shown.isValid() ? shown.toString() : QString(), key, name);
    };
    if (!isACommonMusicItem(name) && format.contains(QStringLiteral("VideoCodec"))) {
        values.insert(QStringLiteral("VideoCodec"), valueOf(QStringLiteral("VideoCodec")));
        values.insert(QStringLiteral("FrameRate"),
                      firstWord(format.value(QStringLiteral("FrameRate")).toString()).toFloat());
        values.insert(QStringLiteral("Resolution"), format.value(QStringLiteral("Resolution")));
        values.insert(QStringLiteral("VideoBitRate"),
                      firstWord(format.value(QStringLiteral("VideoBitRate")).toString()).toInt());
    }
    for (const QString &key : kAudioKeys)
        values.insert(key, valueOf(key));
    return values;
}

QVariant UserConfig::getValueWithString(const QString &shownText,
                                        const QString &key,
                                        const QString &formatName) const
{
    if (shownText.isNull())
        return {};
    const QVariantList entries = formatData.value(formatName)
                                     .toMap()
                                     .value(key)
                                     .toMap()
                                     .value(QStringLiteral("ValueArray"))
                                     .toList();
    for (const QVariant &entry : entries) {
        const QVariantMap row = entry.toMap();
        if (row.value(QStringLiteral("Show")).toString() == shownText)
            return row.value(QStringLiteral("Value"));
    }
    return {};
}

QImage UserConfig::getDefualtFormatImage(const QString &formatName) const
{
    for (const QVariant &category : formatList) {
        for (const QVariant &item : category.toMap().value(QStringLiteral("ItemsArray")).toList()) {
            const QVariantMap entry = item.toMap();
            if (entry.value(QStringLiteral("Title")).toString() != formatName)
                continue;
            const QString image = entry.value(QStringLiteral("ImageName")).toString();
            return QImage(QDir(m_resourcesFolder).filePath(image + QStringLiteral(".png")));
        }
    }
    return {};
}

bool UserConfig::isItemOfCategory(const QString &formatName, const QString &category) const
{
    const QVariantList items
        = formatList.value(category).toMap().value(QStringLiteral("ItemsArray")).toList();
    for (const QVariant &item : items) {
        if (item.toMap().value(QStringLiteral("Title")).toString() == formatName)
            return true;
    }
    return false;
}

bool UserConfig::isACommonItem(const QString &formatName) const
{
    return isItemOfCategory(formatName, QStringLiteral("CommonAudio"))
           || isItemOfCategory(formatName, QStringLiteral("CommonVideo"))
           || isItemOfCategory(formatName, QStringLiteral("Apple Software"));
}

bool UserConfig::isACommonMusicItem(const QString &formatName) const
{
    return isItemOfCategory(formatName, QStringLiteral("CommonAudio"));
}
