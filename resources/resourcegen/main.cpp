// resourcegen: writes the application shell's resources from code, so every picture and document
// is the project's own and comes out the same on every build.
//
//   resourcegen <output folder> <FormatData.plist> <FormatInfo.plist>
//
// Into the output folder go "preview_dvd.png", "preview_dvd 2.png", "Previous.png",
// "Previous 2.png", "DefaultImage.png", "CropDrag2.png", one
// "<ImageName>.png" for every item of the format list, and the help PDF.

#include "ChapterArt.h"
#include "HelpDocument.h"
#include "ShellArt.h"
#include "platform/PropertyList.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QSaveFile>
#include <cstdio>

using namespace resourcegen;

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "resourcegen: %s\n", qPrintable(message));
    return 1;
}

bool save(const QImage &image, const QString &path)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit();
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr,
                     "usage: resourcegen <output folder> <FormatData.plist> <FormatInfo.plist>\n");
        return 2;
    }
    const QDir output(args.at(1));
    if (!QDir().mkpath(output.absolutePath()))
        return fail(QStringLiteral("cannot create %1").arg(output.absolutePath()));

    QString error;
    const QVariant formatList = platform::PropertyList::fromFile(args.at(2), &error);
    if (formatList.typeId() != QMetaType::QVariantMap)
        return fail(QStringLiteral("%1: %2").arg(args.at(2), error));
    const QVariant formatInfo = platform::PropertyList::fromFile(args.at(3), &error);
    if (formatInfo.typeId() != QMetaType::QVariantMap)
        return fail(QStringLiteral("%1: %2").arg(args.at(3), error));

    if (!save(drawPreviewButton(true), output.filePath("preview_dvd.png"))
        || !save(drawPreviewButton(false), output.filePath("preview_dvd 2.png"))
        || !save(drawPreviousButton(true), output.filePath("Previous.png"))
        || !save(drawPreviousButton(false), output.filePath("Previous 2.png"))
        || !save(drawDefaultImage(), output.filePath("DefaultImage.png"))
        || !save(drawCropDragHandle(), output.filePath("CropDrag2.png")))
        return fail(QStringLiteral("cannot write the shell pictures to %1").arg(output.path()));
    // The chapter editor's pictures.
    if (!save(drawEditPlay(), output.filePath("EditPlay.png"))
        || !save(drawEditPause(), output.filePath("EditPause.png"))
        || !save(drawChapterProgressBack(), output.filePath("chapter_playProgressBack.png"))
        || !save(drawChapterProgressButton(), output.filePath("chapter_playProgressBtn.png"))
        || !save(drawChapterMarker(false), output.filePath("chapter_not_select.png"))
        || !save(drawChapterMarker(true), output.filePath("chapter_select.png")))
        return fail(QStringLiteral("cannot write the chapter pictures to %1").arg(output.path()));

    const QVariantMap formats = formatInfo.toMap();
    const QVariantMap categories = formatList.toMap();
    for (const QVariant &category : categories) {
        for (const QVariant &item : category.toMap().value("ItemsArray").toList()) {
            const QVariantMap entry = item.toMap();
            const QString title = entry.value("Title").toString();
            const QString imageName = entry.value("ImageName").toString();
            if (imageName.isEmpty() || !formats.contains(title))
                return fail(QStringLiteral("format item \"%1\" has no picture name or no "
                                           "description")
                                .arg(title));
            const QVariantMap description = formats.value(title).toMap();
            const QImage badge = drawFormatBadge(description.value("PathExtention").toString(),
                                                 description.value("IsVideo").toBool());
            if (!save(badge, output.filePath(imageName + ".png")))
                return fail(QStringLiteral("cannot write %1.png").arg(imageName));
        }
    }

    if (!writeHelpDocument(output.filePath(helpDocumentFileName()), &error))
        return fail(error);
    return 0;
}
