#include "HelpDocument.h"

#include <QFileInfo>
#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>

namespace resourcegen {

namespace {

struct Section
{
    const char *title;
    const char *body;
};

// One section per stage of the work, in the order a person meets them.
const Section kSections[] = {
    {"Discwright Help",
     "Discwright turns your video files into a DVD-Video disc with an interactive menu. "
     "You work in five stages from the main window: collect titles, edit them, design the menu, "
     "preview the disc and produce it."},
    {"1. Collect titles",
     "Choose File > Add Video, or drop video files on the title list. Each file becomes a title; "
     "a title can hold several clips that play one after the other."},
    {"2. Edit titles",
     "The video editor trims a clip into segments with fades, crops, rotates, adjusts colour, "
     "sets volume and audio track, and adds subtitles and a watermark. The chapter editor places "
     "chapter markers by hand or at fixed intervals."},
    {"3. Design the menu",
     "Menu pages come from the template library. Drag titles onto the menu area to place them; "
     "pages are added when there are more titles than one page holds. Choose the background, "
     "music, buttons and text of each page."},
    {"4. Preview",
     "Preview plays the disc as a set-top player would: the menus with their highlights, then "
     "the titles and chapters."},
    {"5. Produce",
     "Pick the disc type and the quality; the gauge shows how much of the disc the project fills. "
     "Burn opens the production settings: burn one or more discs, or write a DVD folder, a "
     ".dvdmedia folder or an ISO image. The disc name must stay under 32 bytes, and the output "
     "disk needs more than two and a half times the estimated size free."},
};

} // namespace

QString helpDocumentFileName()
{
    return QStringLiteral("Discwright Help.pdf");
}

bool writeHelpDocument(const QString &path, QString *error)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(72);
    writer.setTitle(QStringLiteral("Discwright Help"));
    writer.setCreator(QStringLiteral("Discwright"));
    QPainter painter;
    if (!painter.begin(&writer)) {
        *error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    const QRect page = painter.viewport().adjusted(56, 56, -56, -56);
    QFont heading;
    heading.setPixelSize(20);
    heading.setBold(true);
    QFont text;
    text.setPixelSize(12);
    int y = page.top();
    for (const Section &section : kSections) {
        painter.setFont(heading);
        const QRect headingBox(page.left(), y, page.width(), 30);
        painter.drawText(
            headingBox, Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(section.title));
        y += 36;
        painter.setFont(text);
        const QString body = QString::fromUtf8(section.body);
        const QRect bodyBox = painter.boundingRect(
            QRect(page.left(), y, page.width(), page.bottom() - y), Qt::TextWordWrap, body);
        if (bodyBox.bottom() > page.bottom()) {
            writer.newPage();
            y = page.top();
        }
        painter.drawText(
            QRect(page.left(), y, page.width(), bodyBox.height()), Qt::TextWordWrap, body);
        y += bodyBox.height() + 24;
    }
    painter.end();
    if (QFileInfo(path).size() <= 0) {
        *error = QStringLiteral("%1 came out empty").arg(path);
        return false;
    }
    return true;
}

} // namespace resourcegen
