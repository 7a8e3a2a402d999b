#include "Platterkit/subpicture/DVDMenuMake.h"

#include "Platterkit/authoring/MenuButtons.h"
#include "Platterkit/render/MenuGeometry.h"
#include "Platterkit/subpicture/DVDMenuImageGenerator.h"
#include "Platterkit/subpicture/MenuButtonNavigation.h"
#include "Platterkit/subpicture/SubpictureLog.h"
#include "Platterkit/subpicture/SubpictureStreamScan.h"
#include "Platterkit/tools/ToolRunner.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <unistd.h>

namespace {

const QStringList &layerNames()
{
    static const QStringList names{QStringLiteral("menu_highlight"),
                                   QStringLiteral("menu_select"),
                                   QStringLiteral("menu_image")};
    return names;
}

// Whole number, then even, both towards zero: 7 -> 6, -3 -> -2.
double evenTowardZero(double value)
{
    const double whole = std::trunc(value);
    return whole - std::fmod(whole, 2.0);
}

// Seconds since 2001-01-01 UTC, the reference date the XML file names count from.
double secondsSinceReferenceDate()
{
    constexpr qint64 referenceDateMSecs = 978307200000LL;
    return double(QDateTime::currentMSecsSinceEpoch() - referenceDateMSecs) / 1000.0;
}

// Position of the page in the project's menus, or -1.
qsizetype pageIndexOf(const DVDMenu &menu, const DVDLibrary &dvd)
{
    const DVDMenuList menus = dvd.menus();
    for (qsizetype i = 0; i < menus.size(); ++i) {
        if (menus[i].get() == &menu)
            return i;
    }
    return -1;
}

void syncFile(const QString &path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadWrite))
        ::fsync(file.handle());
}

} // namespace

void DVDMenuMake::makeMenuDvdPathVideoWork(const DVDMenuRef &menu,
                                           const DVDLibraryRef &dvd,
                                           const QString &path,
                                           const QString &video,
                                           const QString &work)
{
    {
        QMutexLocker locker(&m_lock);
        m_input = video;
    }
    setOutput(path);
    prepare([this, menu, dvd, path, video, work] {
        makeMenuHelperDvdPathVideoWork(menu, dvd, path, video, work);
    });
}

double DVDMenuMake::progress() const
{
    const double written = double(fileSizeForFile(output()));
    return written / double(std::max<qint64>(1000, fileSizeForFile(input())));
}

QString DVDMenuMake::input() const
{
    QMutexLocker locker(&m_lock);
    return m_input;
}

QSize DVDMenuMake::getDVDVideoFormatSize(const DVDLibrary &dvd)
{
    return dvd.dvdVideoSize();
}

QRectF DVDMenuMake::scaleRectMenuSizeFitSize(const QRectF &rect, QSizeF menuSize, QSizeF fitSize)
{
    const double sx = float(fitSize.width() / std::max(1.0, menuSize.width()));
    const double sy = float(fitSize.height() / std::max(1.0, menuSize.height()));
    const QRectF scaled(rect.x() * sx, rect.y() * sy, rect.width() * sx, rect.height() * sy);
    const QRectF integral = Platterkit::render::integralRect(scaled);
    QRectF clipped = integral.intersected(QRectF(QPointF(0, 0), fitSize));
    if (clipped.width() <= 0.0 || clipped.height() <= 0.0)
        clipped = QRectF();
    return QRectF(evenTowardZero(clipped.x()),
                  evenTowardZero(clipped.y()),
                  evenTowardZero(clipped.width()),
                  evenTowardZero(clipped.height()));
}

QList<SpumuxButton> DVDMenuMake::buttonsForMenuDvd(const DVDMenu &menu, const DVDLibrary &dvd)
{
    const qsizetype pageIndex = pageIndexOf(menu, dvd);
    const QSizeF fitSize(getDVDVideoFormatSize(dvd));
    const double height = fitSize.height();
    const DVDMenuItemList items = menu.items();
    QList<SpumuxButton> buttons;
    for (const qsizetype itemIndex : Platterkit::MenuButtons::buttonItemIndexes(menu)) {
        SpumuxButton button;
        button.name = Platterkit::MenuButtons::buttonName(pageIndex, itemIndex);
        button.itemIndex = itemIndex;
        button.rect = scaleRectMenuSizeFitSize(items[itemIndex]->frame(), menu.menuSize(), fitSize);
        // spumux counts rows downwards from the top of the picture.
        button.x0 = button.rect.x();
        button.y0 = height - (button.rect.y() + button.rect.height());
        button.x1 = button.rect.x() + button.rect.width();
        button.y1 = height - button.rect.y();
        buttons.append(button);
    }
    // Left to itself spumux orders the buttons by its own rule, which can leave a button no arrow
    // reaches; every arrow is written out instead.
    QList<QRectF> corners;
    for (const SpumuxButton &button : std::as_const(buttons))
        corners.append(QRectF(QPointF(button.x0, button.y0), QPointF(button.x1, button.y1)));
    const QList<MenuButtonNavigation::Arrows> arrows
        = MenuButtonNavigation::arrowsForButtons(corners);
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        buttons[i].up = buttons[arrows[i].up()].name;
        buttons[i].down = buttons[arrows[i].down()].name;
        buttons[i].left = buttons[arrows[i].left()].name;
        buttons[i].right = buttons[arrows[i].right()].name;
    }
    return buttons;
}

QString DVDMenuMake::xmlConfigForMenuDvd(const DVDMenu &menu, const DVDLibrary &dvd)
{
    QString xml = QStringLiteral(
        "<subpictures><stream><spu start=\"00:00:00.00\" highlight=\"menu_highlight.png\" "
        "select=\"menu_select.png\" image=\"menu_image.png\" force=\"yes\" >\n");
    for (const SpumuxButton &button : buttonsForMenuDvd(menu, dvd)) {
        xml += QString::asprintf("<button name=\"%s\" x0=\"%.0f\" y0=\"%.0f\" x1=\"%.0f\" "
                                 "y1=\"%.0f\" up=\"%s\" down=\"%s\" left=\"%s\" right=\"%s\" />\n",
                                 qPrintable(button.name),
                                 button.x0,
                                 button.y0,
                                 button.x1,
                                 button.y1,
                                 qPrintable(button.up),
                                 qPrintable(button.down),
                                 qPrintable(button.left),
                                 qPrintable(button.right));
    }
    xml += QStringLiteral("</spu></stream></subpictures>");
    return xml;
}

QString DVDMenuMake::checkMenuDvd(const DVDMenu &menu, const DVDLibrary &dvd)
{
    const qsizetype pageIndex = pageIndexOf(menu, dvd);
    if (pageIndex < 0)
        return QStringLiteral("The menu page \"%1\" is not part of the disc.").arg(menu.name());
    const qsizetype count = Platterkit::MenuButtons::buttonCount(menu);
    if (count > maximumButtonsPerPage) {
        return QStringLiteral("Menu page %1 has %2 buttons, but a DVD menu page can hold at most "
                              "%3. Remove some buttons or titles from that page.")
            .arg(pageIndex + 1)
            .arg(count)
            .arg(maximumButtonsPerPage);
    }
    return {};
}

QString
DVDMenuMake::spumuxFailure(int exitStatus, const QString &errorOutput, const QString &outputPath)
{
    if (exitStatus != 0)
        return QStringLiteral("spumux exited with status %1.").arg(exitStatus);
    // spumux reports some fatal problems (a layer with too many colours among them) only in its
    // messages and still exits with 0, having added nothing.
    const QStringList lines = errorOutput.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.trimmed().startsWith(QLatin1String("ERR:")))
            return QStringLiteral("spumux failed: %1").arg(line.trimmed());
    }
    static const QRegularExpression nothingAdded(QStringLiteral("(^|\\s)0 subtitles added"));
    if (nothingAdded.match(errorOutput).hasMatch())
        return QStringLiteral("spumux added no subpicture to the menu.");
    if (!Platterkit::programStreamHasSubpicture(outputPath))
        return QStringLiteral("spumux wrote no subpicture stream into the menu.");
    return {};
}

bool DVDMenuMake::makeMenuHelperDvdPathVideoWork(const DVDMenuRef &menu,
                                                 const DVDLibraryRef &dvd,
                                                 const QString &path,
                                                 const QString &video,
                                                 const QString &work)
{
    setSucceeded(false);
    // error is what the user is told; detail (the command line, how it ended and the tool's last
    // messages) goes to the log with it.
    auto fail = [&](const QString &error, const QString &detail = QString()) {
        ToolStep::fail(error);
        qCWarning(Platterkit::lcSubpicture).noquote() << "menu" << path << ":" << error << detail;
        // A stream without its buttons must not reach dvdauthor as if it were a finished menu.
        QFile::remove(path);
        return false;
    };
    if (!menu || !dvd)
        return fail(QStringLiteral("No menu page or project to make the menu from."));
    // dvdauthor would refuse such a page only later, with a message nobody can act on.
    const QString unusable = checkMenuDvd(*menu, *dvd);
    if (!unusable.isEmpty())
        return fail(unusable);

    const QDir workDir(work);
    const QString xmlPath
        = workDir.filePath(QString::asprintf("menu%f.xml", secondsSinceReferenceDate()));
    QStringList temporaryFiles{xmlPath};
    for (const QString &layer : layerNames())
        temporaryFiles.append(workDir.filePath(layer + QStringLiteral(".png")));
    auto removeTemporaryFiles = [&] {
        for (const QString &file : temporaryFiles)
            QFile::remove(file);
    };

    QFile::remove(xmlPath);
    QSaveFile xmlFile(xmlPath);
    if (!xmlFile.open(QIODevice::WriteOnly)
        || xmlFile.write(xmlConfigForMenuDvd(*menu, *dvd).toUtf8()) < 0 || !xmlFile.commit()) {
        removeTemporaryFiles();
        return fail(QStringLiteral("Cannot write the spumux file %1: %2")
                        .arg(xmlPath, xmlFile.errorString()));
    }

    const DVDMenuImageGenerator generator(menu, dvd);
    for (const QString &layer : layerNames()) {
        if (!generator.generatorImageForNameToPath(
                layer, workDir.filePath(layer + QStringLiteral(".png")))) {
            removeTemporaryFiles();
            return fail(generator.lastError());
        }
    }

    const auto process = Platterkit::ToolRunner::taskCurrentArguments(
        dvd->format(), QStringLiteral("spumux"), work, {xmlPath});
    process->setStandardInputPath(video);
    process->setStandardOutputPath(path);
    control().run(process);
    syncFile(path);
    removeTemporaryFiles();

    if (control().isCancelled())
        return fail(QStringLiteral("Making the menu was cancelled."));
    if (process->state() == Platterkit::ToolProcess::State::NotLaunched
        || process->state() == Platterkit::ToolProcess::State::FailedToStart)
        return fail(QStringLiteral("Cannot run spumux: %1").arg(process->lastError()));
    const QString failure
        = process->state() == Platterkit::ToolProcess::State::Exited
              ? spumuxFailure(process->terminationStatus(), process->standardErrorTail(), path)
              : QStringLiteral("spumux was stopped by signal %1.")
                    .arg(process->terminationStatus());
    if (!failure.isEmpty())
        return fail(failure, process->failureDescription());
    setSucceeded(true);
    return true;
}
