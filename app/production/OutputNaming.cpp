#include "app/production/OutputNaming.h"

#include <QDir>
#include <QFileInfo>
#include <limits>

namespace Discwright::OutputNaming {

namespace {

bool somethingAt(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

QString safeOutputFileName(const QString &discName)
{
    QString name = discName;
    for (QChar &c : name) {
        if (c == u'/' || c.category() == QChar::Other_Control)
            c = u'_';
    }
    for (QChar &c : name) {
        if (c != u'.')
            break;
        c = u'_';
    }
    return name;
}

QString candidateName(OutputKind kind, const QString &safeName, int n)
{
    const QString base = n == 0 ? safeName : QStringLiteral("%1_%2").arg(safeName).arg(n);
    switch (kind) {
    case OutputKind::Disc:
        return QString();
    case OutputKind::VideoFolder:
        return base;
    case OutputKind::MediaFolder:
        return base + QStringLiteral(".dvdmedia");
    case OutputKind::IsoImage:
        return base + QStringLiteral(".iso");
    }
    return QString();
}

QString outputPath(OutputKind kind, const QString &folder, const QString &discName)
{
    if (kind == OutputKind::Disc)
        return QString();
    const QString safeName = safeOutputFileName(discName);
    const QDir dir(folder);
    for (int n = 0; n < std::numeric_limits<int>::max(); ++n) {
        const QString path = dir.filePath(candidateName(kind, safeName, n));
        if (!somethingAt(path))
            return path;
    }
    return QString();
}

} // namespace Discwright::OutputNaming
