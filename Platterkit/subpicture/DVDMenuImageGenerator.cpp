#include "Platterkit/subpicture/DVDMenuImageGenerator.h"

#include "Platterkit/model/DVDLibraryHooks.h"
#include "Platterkit/subpicture/DLBitmapImage.h"
#include "Platterkit/subpicture/DVDMenuMake.h"
#include "Platterkit/subpicture/SubpictureLog.h"

#include <QFile>
#include <QSaveFile>
#include <exception>

DVDMenuImageGenerator::DVDMenuImageGenerator(DVDMenuRef menu, DVDLibraryRef dvd)
    : m_menu(std::move(menu))
    , m_dvd(std::move(dvd))
{}

QSize DVDMenuImageGenerator::getDVDVideoFormatSize() const
{
    return m_dvd ? m_dvd->dvdVideoSize() : QSize(720, 480);
}

QColor DVDMenuImageGenerator::colorForLayerName(const QString &name)
{
    if (name == QLatin1String("menu_select"))
        return QColor::fromRgbF(1.0, 0.0, 0.0, 0.3);
    if (name == QLatin1String("menu_image"))
        return QColor::fromRgbF(1.0, 1.0, 1.0, 0.07);
    return QColor::fromRgbF(0.2, 0.2, 0.7, 0.7);
}

QImage DVDMenuImageGenerator::generatorImageForName(const QString &name) const
{
    const QSize size = getDVDVideoFormatSize();
    const auto bitmap = DLBitmapImage::imageWithSize(size);
    if (!bitmap) {
        m_lastError
            = QStringLiteral("Cannot make a %1 x %2 bitmap for the subpicture layer \"%3\".")
                  .arg(size.width())
                  .arg(size.height())
                  .arg(name);
        return {};
    }
    {
        DLBitmapFocus focus(*bitmap);
        QPainter *context = DLBitmapImage::currentContext();
        if (!context) {
            m_lastError
                = QStringLiteral("Cannot draw into the bitmap of the subpicture layer \"%1\".")
                      .arg(name);
            return {};
        }
        bool drawnByApplication = false;
        try {
            drawnByApplication = DVDLibraryHooks::current()->drawDVDMenuImageSizeName(
                *this, QSizeF(size), name, *context);
        } catch (const std::exception &error) {
            // A failing drawer must not cost the user the disc: the layer keeps what was drawn.
            drawnByApplication = true;
            qCWarning(Platterkit::lcSubpicture)
                << "layer drawer failed for" << name << ":" << error.what();
        } catch (...) {
            drawnByApplication = true;
            qCWarning(Platterkit::lcSubpicture) << "layer drawer failed for" << name;
        }
        if (!drawnByApplication)
            drawLibraryLayer(*context, name, size);
    }
    return bitmap->bitmapImageRep();
}

void DVDMenuImageGenerator::drawLibraryLayer(QPainter &context,
                                             const QString &name,
                                             QSize size) const
{
    context.save();
    // spumux needs few, exact colours: hard edges keep each layer to its colour and transparency.
    context.setRenderHint(QPainter::Antialiasing, false);
    context.setCompositionMode(QPainter::CompositionMode_Source);
    context.fillRect(QRectF(QPointF(0, 0), QSizeF(size)), colorForLayerName(name));
    if (m_menu) {
        context.setCompositionMode(QPainter::CompositionMode_Clear);
        context.fillPath(hightlightMaskForMenuDvd(*m_menu, m_dvd.get()), Qt::transparent);
    }
    context.restore();
}

QPainterPath DVDMenuImageGenerator::hightlightMaskForMenuDvd(const DVDMenu &menu,
                                                             const DVDLibrary *dvd)
{
    const QSize fitSize = dvd ? dvd->dvdVideoSize() : QSize(720, 480);
    QPainterPath mask;
    mask.setFillRule(Qt::WindingFill);
    for (const DVDMenuItemRef &item : menu.items()) {
        if (!item || !item->isValid() || !item->highlightModeEmptyInDVD())
            continue;
        const QRectF scaled = DVDMenuMake::scaleRectMenuSizeFitSize(
            item->frame(), menu.menuSize(), QSizeF(fitSize));
        const QRectF inner = scaled.adjusted(10.0, 10.0, -10.0, -10.0);
        if (inner.width() > 0.0 && inner.height() > 0.0)
            mask.addRect(inner);
    }
    return mask;
}

bool DVDMenuImageGenerator::generatorImageForNameToPath(const QString &name,
                                                        const QString &path) const
{
    const QImage layer = generatorImageForName(name);
    if (layer.isNull())
        return false;
    QFile::remove(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !layer.save(&file, "PNG") || !file.commit()) {
        m_lastError = QStringLiteral("Cannot write the subpicture layer \"%1\" to %2: %3")
                          .arg(name, path, file.errorString());
        return false;
    }
    return true;
}
