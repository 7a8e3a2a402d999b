#pragma once

#include "Reelsmith/archiving/CodingBase.h"

#include <QImage>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

/**
 * The application's settings: the settings file "user.config" in the application support folder
 * (only "version" and "defaultFormat" are stored; the rest start from their initial values each
 * run) and the two output format lists of the resources, "FormatData" (categories of items with
 * "Title" and "ImageName") and "FormatInfo" (the description of each format by its title), with
 * the queries the export choices make of them.
 *
 * One process-wide instance through share(); tests make their own over a resources folder of
 * their choosing. Used from the main thread; the format lists are read once and never changed.
 */
class UserConfig : public CodingBase
{
    Q_OBJECT
    Q_PROPERTY(QString version READ version WRITE setVersion)
    Q_PROPERTY(QVariantMap defaultFormat READ defaultFormat WRITE setDefaultFormat)
public:
    // Reads the format lists from resourcesFolder (empty: the resources beside the executable),
    // then load().
    explicit UserConfig(const QString &resourcesFolder);
    Q_INVOKABLE UserConfig()
        : UserConfig(QString())
    {}

    static UserConfig &share();

    QStringList allCoderKeys() const override;

    // The application support folder / "user.config".
    static QString savePath();
    // Writes the stored keys to savePath() atomically; false (lastError() says why) when nothing
    // was written.
    bool save();
    // Reads savePath() into this object; a missing file leaves the initial values.
    bool load();

    QString version() const { return m_version; }
    void setVersion(const QString &version) { m_version = version; }
    QVariantMap defaultFormat() const { return m_defaultFormat; }
    void setDefaultFormat(const QVariantMap &format) { m_defaultFormat = format; }

    QVariantList recentUsedFormat;
    QVariantList recordSources;
    bool autoFilter = true;
    qint32 defaultFilterSeconds = 10;
    QString defaultOutputVideoPath;
    QString defaultScreenshotPath;
    bool showScreenshot = true;
    bool showOutputedFile = true;
    qint64 maxConvertCount = 1;
    // "FormatData" and "FormatInfo"; empty when a file is missing or damaged (logged).
    QVariantMap formatList;
    QVariantMap formatData;

    // defaultFormat, or the description of "MPEG-4 Movie(*.mp4)" while none is set.
    QVariantMap defaultFormatDic() const;
    void setDefaultFormatDic(const QVariantMap &format) { setDefaultFormat(format); }
    // The description of a format by its display name: "FormatName", "OutputPathExtention" and
    // the "Default" of each setting; the four video settings only for a video format. Empty for
    // an unknown name.
    QVariantMap getFormatDicWithdefaultFormat(const QString &formatName) const;
    // The values to encode defaultFormatDic() with: shown texts turned into the values used.
    QVariantMap getFormatValueDicWithdefaultFormatDic() const;
    // The "Value" of the first entry under key of formatName whose "Show" is shownText; invalid
    // when shownText is null or nothing matches.
    QVariant getValueWithString(const QString &shownText,
                                const QString &key,
                                const QString &formatName) const;
    // The picture of the first item (over all categories) titled formatName; null when none.
    QImage getDefualtFormatImage(const QString &formatName) const;
    // The name is an item of "CommonAudio", "CommonVideo" or "Apple Software".
    bool isACommonItem(const QString &formatName) const;
    bool isACommonMusicItem(const QString &formatName) const;

private:
    bool isItemOfCategory(const QString &formatName, const QString &category) const;

    QString m_resourcesFolder;
    QString m_version = QStringLiteral("1");
    QVariantMap m_defaultFormat;
};
