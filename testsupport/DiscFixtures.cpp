#include "testsupport/DiscFixtures.h"

#include "testsupport/FfmpegProgram.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <algorithm>
#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#include <dvdread/nav_read.h>
#include <dvdread/nav_types.h>
#include <tuple>

namespace testing_support {

bool makeDvdStream(const QString &path, bool pal, bool wide, double seconds, QString *error)
{
    const QString size = pal ? QStringLiteral("720x576") : QStringLiteral("720x480");
    const QString rate = pal ? QStringLiteral("25") : QStringLiteral("30000/1001");
    const QString duration = QString::number(seconds);
    return fixtures::runFfmpeg(
        {QStringLiteral("-f"),
         QStringLiteral("lavfi"),
         QStringLiteral("-i"),
         QStringLiteral("testsrc=size=%1:rate=%2:duration=%3").arg(size, rate, duration),
         QStringLiteral("-f"),
         QStringLiteral("lavfi"),
         QStringLiteral("-i"),
         QStringLiteral("sine=frequency=440:duration=%1").arg(duration),
         QStringLiteral("-target"),
         pal ? QStringLiteral("pal-dvd") : QStringLiteral("ntsc-dvd"),
         QStringLiteral("-aspect"),
         wide ? QStringLiteral("16:9") : QStringLiteral("4:3"),
         QStringLiteral("-g"),
         QStringLiteral("6"),
         path},
        path,
        error);
}

bool makeDvdStreamFromPicture(const QString &picturePath,
                              const QString &path,
                              bool pal,
                              bool wide,
                              double seconds,
                              QString *error)
{
    const QString duration = QString::number(seconds);
    return fixtures::runFfmpeg({QStringLiteral("-loop"),
                                QStringLiteral("1"),
                                QStringLiteral("-i"),
                                picturePath,
                                QStringLiteral("-f"),
                                QStringLiteral("lavfi"),
                                QStringLiteral("-i"),
                                QStringLiteral("anullsrc=r=48000:cl=stereo"),
                                QStringLiteral("-t"),
                                duration,
                                QStringLiteral("-target"),
                                pal ? QStringLiteral("pal-dvd") : QStringLiteral("ntsc-dvd"),
                                QStringLiteral("-aspect"),
                                wide ? QStringLiteral("16:9") : QStringLiteral("4:3"),
                                path},
                               path,
                               error);
}

QImage firstPictureOfStream(const QString &path, QSize size)
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("first.png"));
    if (!fixtures::runFfmpeg({QStringLiteral("-i"),
                              path,
                              QStringLiteral("-frames:v"),
                              QStringLiteral("1"),
                              QStringLiteral("-vf"),
                              QStringLiteral("scale=%1:%2").arg(size.width()).arg(size.height()),
                              picture},
                             picture))
        return {};
    return QImage(picture);
}

DiscInfo readDisc(const QString &path)
{
    DiscInfo info;
    QProcess lsdvd;
    lsdvd.start(QStringLiteral("lsdvd"),
                {QStringLiteral("-v"), QStringLiteral("-c"), QStringLiteral("-Ox"), path});
    if (!lsdvd.waitForFinished(60000) || lsdvd.exitCode() != 0) {
        info.error = QStringLiteral("lsdvd failed: ")
                     + QString::fromLocal8Bit(lsdvd.readAllStandardError()) + lsdvd.errorString();
        return info;
    }
    // lsdvd prints a banner before the document and leaves '&' unescaped in some values.
    QString text = QString::fromUtf8(lsdvd.readAllStandardOutput());
    text = text.mid(std::max<qsizetype>(0, text.indexOf(QLatin1String("<?xml"))));
    text.replace(QRegularExpression(QStringLiteral("&(?!amp;|lt;|gt;|quot;|apos;)")),
                 QStringLiteral("&amp;"));

    QXmlStreamReader xml(text);
    QStringList path_;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QString name = xml.name().toString();
            if (name == QLatin1String("track") && path_.size() == 1)
                info.titles.append(DiscTitle());
            else if (name == QLatin1String("chapter") && !info.titles.isEmpty())
                info.titles.last().chapters.append(DiscChapter());
            path_.append(name);
        } else if (xml.isEndElement()) {
            path_.removeLast();
        } else if (xml.isCharacters() && !xml.isWhitespace()) {
            const QString where = path_.join(QLatin1Char('/'));
            const QString value = xml.text().toString();
            if (where == QLatin1String("lsdvd/title"))
                info.volumeName = value;
            if (info.titles.isEmpty())
                continue;
            DiscTitle &title = info.titles.last();
            if (where == QLatin1String("lsdvd/track/length"))
                title.lengthSeconds = value.toDouble();
            else if (where == QLatin1String("lsdvd/track/format"))
                title.format = value;
            else if (where == QLatin1String("lsdvd/track/aspect"))
                title.aspect = value;
            else if (where == QLatin1String("lsdvd/track/width"))
                title.width = value.toInt();
            else if (where == QLatin1String("lsdvd/track/height"))
                title.height = value.toInt();
            else if (where == QLatin1String("lsdvd/track/chapter/length")
                     && !title.chapters.isEmpty())
                title.chapters.last().lengthSeconds = value.toDouble();
        }
    }
    if (xml.hasError()) {
        info.error = QStringLiteral("cannot read lsdvd's output: ") + xml.errorString();
        return info;
    }
    info.ok = true;
    return info;
}

MenuOnDisc readMenuOnDisc(const QString &disc)
{
    MenuOnDisc found;
    dvd_reader_t *dvd = DVDOpen(QFile::encodeName(disc).constData());
    if (!dvd)
        return found;
    found.opened = true;
    if (ifo_handle_t *vmg = ifoOpen(dvd, 0)) {
        if (vmg->tt_srpt)
            found.titleCount = vmg->tt_srpt->nr_of_srpts;
        ifoClose(vmg);
    }
    if (ifo_handle_t *vts = ifoOpen(dvd, 1)) {
        if (vts->vtsi_mat)
            found.menuVideoFormat = vts->vtsi_mat->vtsm_video_attr.video_format;
        if (vts->pgci_ut) {
            for (int unit = 0; unit < vts->pgci_ut->nr_of_lus; ++unit)
                found.menuProgramChains += vts->pgci_ut->lu[unit].pgcit->nr_of_pgci_srp;
        }
        ifoClose(vts);
    }
    if (dvd_file_t *menuFile = DVDOpenFile(dvd, 1, DVD_READ_MENU_VOBS)) {
        const ssize_t blocks = DVDFileSize(menuFile);
        QByteArray buffer(DVD_VIDEO_LB_LEN, '\0');
        auto *data = reinterpret_cast<unsigned char *>(buffer.data());
        for (ssize_t block = 0; block < blocks; ++block) {
            if (DVDReadBlocks(menuFile, int(block), 1, data) != 1)
                break;
            // A navigation pack: pack header, system header, then private stream 2 holding the
            // presentation control information (sub-stream 0) right after its 6-byte header.
            if (data[38] == 0 && data[39] == 0 && data[40] == 1 && data[41] == 0xbf
                && data[44] == 0) {
                pci_t pci;
                navRead_PCI(&pci, data + 45);
                found.buttonCounts << pci.hli.hl_gi.btn_ns;
                QList<ButtonOnDisc> table;
                for (int i = 0; i < pci.hli.hl_gi.btn_ns && i < 36; ++i) {
                    const btni_t &button = pci.hli.btnit[i];
                    table.append({int(button.x_start),
                                  int(button.y_start),
                                  int(button.x_end),
                                  int(button.y_end),
                                  int(button.up),
                                  int(button.down),
                                  int(button.left),
                                  int(button.right)});
                }
                const auto same = [](const QList<ButtonOnDisc> &a, const QList<ButtonOnDisc> &b) {
                    return std::equal(
                        a.cbegin(),
                        a.cend(),
                        b.cbegin(),
                        b.cend(),
                        [](const auto &x, const auto &y) {
                            return std::tie(x.x0, x.y0, x.x1, x.y1, x.up, x.down, x.left, x.right)
                                   == std::tie(
                                       y.x0, y.y0, y.x1, y.y1, y.up, y.down, y.left, y.right);
                        });
                };
                if (found.buttonTables.isEmpty() || !same(found.buttonTables.last(), table))
                    found.buttonTables.append(table);
            }
        }
        DVDCloseFile(menuFile);
    }
    DVDClose(dvd);
    return found;
}

QString udfVolumeLabel(const QString &image)
{
    dvd_reader_t *dvd = DVDOpen(QFile::encodeName(image).constData());
    if (!dvd)
        return QString();
    char label[33] = {};
    unsigned char volumeSet[128] = {};
    const int read = DVDUDFVolumeInfo(dvd, label, sizeof label, volumeSet, sizeof volumeSet);
    DVDClose(dvd);
    return read == 0 ? QString::fromLatin1(label) : QString();
}

QString isoinfoVolumeId(const QString &image)
{
    QProcess isoinfo;
    isoinfo.start(QStringLiteral("isoinfo"), {QStringLiteral("-d"), QStringLiteral("-i"), image});
    if (!isoinfo.waitForFinished(30000) || isoinfo.exitCode() != 0)
        return QString();
    // The line keeps the id's own bytes, which need not be UTF-8.
    for (const QByteArray &line : isoinfo.readAllStandardOutput().split('\n')) {
        if (line.startsWith("Volume id: "))
            return QString::fromLatin1(line.mid(11));
    }
    return QString();
}

} // namespace testing_support
