#include "app/View/SourceView/DVDTitleView.h"

#include "app/AppExtention/Convert/MediaData.h"
#include "app/AppExtention/Function/CommonFunction.h"
#include "platform/StringTable.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

DVDTitleView::DVDTitleView(const DVDTitleDataRef &data, QWidget *parent)
    : SourceRowView(parent)
    , m_data(data)
    , m_expand(new QToolButton(this))
{
    setObjectName(QStringLiteral("DVDTitleView"));
    m_expand->setObjectName(QStringLiteral("expandButton"));
    m_expand->setAutoRaise(true);
    // The clip button sits centred in the row's height.
    m_expand->setGeometry(5, 21, 28, 28);
    connect(m_expand, &QToolButton::clicked, this, [this] { emit expandClicked(this); });
    initTitleControls();
}

QString DVDTitleView::titleTimeString(const DVDTitleData &title)
{
    qint64 us = 0;
    for (const VCMovieRef &movie : title.vcMovieList())
        us += movie->trimDuration();
    return CommonFunction::timeStrFromSecond(double(us) / 1e6);
}

QString DVDTitleView::expandImageName() const
{
    const auto title = data();
    const qsizetype clips = title ? title->mediaArray().size() : 0;
    if (clips == 1)
        return QStringLiteral("edit");
    return clips >= 2 && title->isExpand() ? QStringLiteral("expand_on")
                                           : QStringLiteral("expand_off");
}

void DVDTitleView::initTitleControls()
{
    const auto title = data();
    setTexts(title ? title->name() : QString(),
             title ? titleTimeString(*title) : CommonFunction::timeStrFromSecond(0));
    const bool oneClip = title && title->mediaArray().size() == 1;
    m_expand->setToolTip(platform::localizedString(oneClip ? "Edit" : "Expand"));
    m_expand->setProperty("imageName", expandImageName());
    m_expand->setText(oneClip ? QStringLiteral("✎") : (title && title->isExpand() ? "▾" : "▸"));
    update();
}

void DVDTitleView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // The thumbnail's frame, right of the clip button.
    const QRect thumb(40, 5, 80, 60);
    paintRow(painter, thumb, 13, true);
}

void DVDTitleView::mousePressEvent(QMouseEvent *event)
{
    emit pressed(this, event->position().toPoint());
    // The list starts a drag from the press; let it see the press too.
    event->ignore();
}

void DVDTitleView::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    emit doubleClicked(this);
}
