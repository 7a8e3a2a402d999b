// templategen: writes the menu template library the application ships, "menu_template_old", from
// nothing but code, so the artwork is the project's own and comes out the same on every build.
//
//   templategen <output folder> [--preview <folder>]
//
// The library goes to <output folder>/menu_template_old (replaced whole). With --preview, full-size
// pictures of every page in both aspects and one contact sheet go to the preview folder as well.

#include "ArtKit.h"
#include "BackgroundArt.h"
#include "ButtonArt.h"
#include "FrameArt.h"
#include "PagePreview.h"
#include "TemplateCatalog.h"
#include "platform/PropertyList.h"

#include <QDir>
#include <QPainter>
#include <QString>
#include <cstdio>

using namespace templategen;

namespace {

constexpr QSize kThumbnailSize(240, 135);

bool fail(const QString &message)
{
    std::fprintf(stderr, "templategen: %s\n", qPrintable(message));
    return false;
}

bool save(const QImage &image, const QString &path)
{
    if (!savePng(image, path))
        return fail(QStringLiteral("cannot write %1").arg(path));
    return true;
}

bool makeDir(const QString &path)
{
    if (!QDir().mkpath(path))
        return fail(QStringLiteral("cannot create %1").arg(path));
    return true;
}

bool writeButtons(const QString &root)
{
    for (const ButtonSet &set : buttonSets()) {
        const QString dir = root + "/Button/" + set.name;
        if (!makeDir(dir) || !save(drawButton(set, ButtonGlyph::Previous), dir + "/preBtn.png")
            || !save(drawButton(set, ButtonGlyph::Next), dir + "/nextBtn.png")
            || !save(drawButton(set, ButtonGlyph::Play), dir + "/playBtn.png"))
            return false;
    }
    return true;
}

bool writeFrames(const QString &root)
{
    for (const QString &name : frameNames()) {
        const FrameArt art = drawFrame(name);
        const QString dir = root + "/Frame/" + name;
        if (!makeDir(dir) || !save(art.frame, dir + "/frame.png")
            || !save(art.mask, dir + "/mask.png"))
            return false;
    }
    return true;
}

bool writeTemplates(const QString &root, const QString &previewDir)
{
    QList<QImage> thumbnails;
    for (const TemplateSpec &spec : templateCatalog()) {
        if (!findButtonSet(spec.buttonSet) || !frameNames().contains(spec.frame))
            return fail(QStringLiteral("template %1/%2 names a missing frame or button set")
                            .arg(spec.category, spec.name));
        const QString dir = root + "/Menu/" + spec.category + "/" + spec.name;
        if (!makeDir(dir))
            return false;
        const QImage background = drawBackground(spec.style, spec.theme, seedFor(spec));
        const QImage wide = renderPage(spec, background, true);
        const QImage thumbnail
            = wide.scaled(kThumbnailSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QString error;
        if (!save(background, dir + "/Background.png") || !save(thumbnail, dir + "/Thumbnail.png"))
            return false;
        if (!platform::PropertyList::toFile(
                templateDictionary(spec), dir + "/Template.plist", &error))
            return fail(error);
        if (!previewDir.isEmpty()) {
            const QString base = previewDir + "/" + spec.category + "-" + spec.name;
            if (!save(wide, base + "-169.png")
                || !save(renderPage(spec, background, false), base + "-43.png"))
                return false;
            thumbnails.append(thumbnail);
        }
    }
    if (!previewDir.isEmpty() && !thumbnails.isEmpty()) {
        const int columns = 4, pad = 8;
        const int rows = int((thumbnails.size() + columns - 1) / columns);
        QImage sheet(columns * (kThumbnailSize.width() + pad) + pad,
                     rows * (kThumbnailSize.height() + pad) + pad,
                     QImage::Format_RGB32);
        sheet.fill(QColor(40, 40, 40));
        QPainter p(&sheet);
        for (int i = 0; i < thumbnails.size(); ++i) {
            p.drawImage(pad + (i % columns) * (kThumbnailSize.width() + pad),
                        pad + (i / columns) * (kThumbnailSize.height() + pad),
                        thumbnails[i]);
        }
        p.end();
        if (!save(sheet, previewDir + "/contact-sheet.png"))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QString output, previewDir;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == "--preview" && i + 1 < argc)
            previewDir = QString::fromLocal8Bit(argv[++i]);
        else if (output.isEmpty() && !arg.startsWith("-"))
            output = arg;
        else {
            std::fprintf(stderr, "usage: templategen <output folder> [--preview <folder>]\n");
            return 2;
        }
    }
    if (output.isEmpty()) {
        std::fprintf(stderr, "usage: templategen <output folder> [--preview <folder>]\n");
        return 2;
    }

    // Build beside the final folder and swap it in at the end, so a failed run never leaves a
    // half-written library where the application looks for one.
    const QString finalDir = QDir(output).absoluteFilePath("menu_template_old");
    const QString workDir = finalDir + ".partial";
    QDir(workDir).removeRecursively();
    if (!makeDir(workDir) || (!previewDir.isEmpty() && !makeDir(previewDir)))
        return 1;
    if (!writeButtons(workDir) || !writeFrames(workDir) || !writeTemplates(workDir, previewDir)) {
        QDir(workDir).removeRecursively();
        return 1;
    }
    if (QDir(finalDir).exists() && !QDir(finalDir).removeRecursively()) {
        fail(QStringLiteral("cannot replace %1").arg(finalDir));
        return 1;
    }
    if (!QDir().rename(workDir, finalDir)) {
        fail(QStringLiteral("cannot move %1 to %2").arg(workDir, finalDir));
        return 1;
    }
    return 0;
}
