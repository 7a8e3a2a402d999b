#include "app/AppExtention/Document/PackageProgressState.h"

#include "platform/StringTable.h"

#include <QFileInfo>

bool PackageProgressState::showsSheet(Job job, const QString &path)
{
    return job == Job::Save || !path.isEmpty();
}

QString PackageProgressState::message(Job job, const QString &path)
{
    QString clean = path;
    while (clean.size() > 1 && clean.endsWith(QLatin1Char('/')))
        clean.chop(1);
    const QString name = QFileInfo(clean).completeBaseName();
    return platform::localizedString(job == Job::Save ? QStringLiteral("Saving \"%@\" ...")
                                                      : QStringLiteral("Opening \"%@\" ..."),
                                     {name});
}

bool PackageProgressState::begin(Job job, const QString &path)
{
    if (!showsSheet(job, path))
        return false;
    m_message = message(job, path);
    m_shown = true;
    return true;
}

bool PackageProgressState::end()
{
    if (!m_shown)
        return false;
    m_shown = false;
    m_message.clear();
    return true;
}
