// Draws the application's own named pictures into <resources folder>/<name>.png:
// "DefaultImage", the picture of a clip that has no thumbnail of its own (a strip of film over a
// dark ground, 480 x 270 like a thumbnail of a wide clip).

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

QImage defaultImage()
{
    QImage image(480, 270, QImage::Format_RGBA8888);
    image.fill(QColor(38, 41, 46));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // The film strip: a band with sprocket holes along both edges.
    const QRectF band(60, 75, 360, 120);
    painter.fillRect(band, QColor(70, 74, 82));
    painter.setBrush(QColor(38, 41, 46));
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 12; ++i) {
        const double x = band.left() + 10 + i * 29.5;
        painter.drawRoundedRect(QRectF(x, band.top() + 6, 14, 10), 2, 2);
        painter.drawRoundedRect(QRectF(x, band.bottom() - 16, 14, 10), 2, 2);
    }
    // Three frames, the middle one with a play mark.
    for (int i = 0; i < 3; ++i) {
        const QRectF frame(band.left() + 14 + i * 113, band.top() + 24, 106, 72);
        painter.fillRect(frame, QColor(96, 102, 112));
    }
    QPainterPath play;
    const QPointF centre = band.center();
    play.moveTo(centre + QPointF(-14, -18));
    play.lineTo(centre + QPointF(20, 0));
    play.lineTo(centre + QPointF(-14, 18));
    play.closeSubpath();
    painter.fillPath(play, QColor(220, 224, 230));
    painter.end();
    return image;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: appimages <resources folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral(".")))
        return 1;
    if (!defaultImage().save(folder.filePath(QStringLiteral("DefaultImage.png")), "PNG")) {
        std::fprintf(stderr, "appimages: cannot write DefaultImage.png\n");
        return 1;
    }
    return 0;
}
