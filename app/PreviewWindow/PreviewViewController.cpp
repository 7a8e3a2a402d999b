#include "app/PreviewWindow/PreviewViewController.h"

#include "app/AppExtention/Function/CommonFunction.h"
#include "app/AppTheme/ThemeArt.h"
#include "app/PreviewWindow/PreviewDisplayView.h"
#include "app/PreviewWindow/PreviewProgressView.h"
#include "app/PreviewWindow/PreviousProgressBarBgView.h"
#include "app/production/DVDPlayer.h"
#include "platform/MainThread.h"
#include "platform/StringTable.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QString text(const char *key)
{
    return platform::localizedString(QString::fromUtf8(key));
}

constexpr double kSecondUs = 1000000.0;

} // namespace

PreviewViewController::PreviewViewController(DiscSource discSource, QWidget *parent)
    : QObject(parent)
    , m_discSource(std::move(discSource))
    , m_player(std::make_unique<DVDPlayer>())
{
    DW_ASSERT_MAIN_THREAD();
    m_player->setDelegate(this);
    m_player->setIsPreview(true);

    m_view = new QWidget(parent);
    m_view->setObjectName(QStringLiteral("previewView"));
    m_displayView = new PreviewDisplayView(m_view);
    m_displayView->setPlayer(m_player.get());
    auto *controls = new PreviousProgressBarBgView(m_view);
    m_progressView = new PreviewProgressView(controls);
    m_progressView->setDelegate(this);
    const auto button = [&](const char *name, const char *tip) {
        auto *b = new QPushButton(controls);
        b->setObjectName(QString::fromUtf8(name));
        b->setToolTip(text(tip));
        b->setFlat(true);
        b->setIconSize(QSize(24, 24));
        return b;
    };
    m_backwardButton = button("backwardButton", "Previous");
    m_backwardButton->setIcon(
        QPixmap::fromImage(AppTheme::ThemeArt::imageNamed("preview_action_previous")));
    m_playButton = button("playButton", "Play");
    m_forwardButton = button("forwardButton", "Next");
    m_forwardButton->setIcon(
        QPixmap::fromImage(AppTheme::ThemeArt::imageNamed("preview_action_next")));
    m_menuButton = button("menuButton", "Menu");
    m_menuButton->setText(text("Menu"));
    m_timeLabel = new QLabel(controls);
    m_timeLabel->setObjectName(QStringLiteral("timeLabel"));
    m_timeLabel->setStyleSheet(QStringLiteral("color: rgb(230, 230, 230);"));

    auto *row = new QHBoxLayout(controls);
    row->setContentsMargins(8, 4, 8, 4);
    row->addWidget(m_backwardButton);
    row->addWidget(m_playButton);
    row->addWidget(m_forwardButton);
    row->addWidget(m_progressView, 1);
    row->addWidget(m_timeLabel);
    row->addWidget(m_menuButton);
    auto *column = new QVBoxLayout(m_view);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_displayView, 1);
    column->addWidget(controls);

    connect(m_playButton, &QPushButton::clicked, this, [this] { playPauseAction(); });
    connect(m_backwardButton, &QPushButton::clicked, this, [this] { backwardAction(); });
    connect(m_forwardButton, &QPushButton::clicked, this, [this] { forwardAction(); });
    connect(m_menuButton, &QPushButton::clicked, this, [this] { openMenuAction(); });
    flushPlayerProgress();
}

PreviewViewController::~PreviewViewController()
{
    m_player->setDelegate(nullptr);
    m_displayView->setPlayer(nullptr);
    m_player->pause();
    m_player->clearPlayer();
}

void PreviewViewController::updatePlayerMovie()
{
    DW_ASSERT_MAIN_THREAD(return );
    m_player->clearPlayer();
    m_player->setDvd(m_discSource ? m_discSource() : nullptr);
    m_player->playDVDItem(nullptr);
}

void PreviewViewController::readyToPlay()
{
    m_player->stop();
    updatePlayerMovie();
    seek(0);
    refreshButtons();
    flushPlayerProgress();
}

void PreviewViewController::play()
{
    readyToPlay();
    m_player->play();
}

void PreviewViewController::stop()
{
    m_player->stop();
    seek(0);
    refreshButtons();
}

void PreviewViewController::clearPlayer()
{
    m_player->stop();
    m_player->seek(0);
    m_progressView->setCurrentTime(0);
    m_player->clearPlayer();
    refreshButtons();
    flushPlayerProgress();
}

void PreviewViewController::seek(int64_t timeUs)
{
    m_player->seek(timeUs);
    flushPlayerProgress();
}

void PreviewViewController::playPauseAction()
{
    if (m_player->isPlay())
        m_player->pause();
    else
        m_player->play();
    flushPlayerProgress();
}

void PreviewViewController::backwardAction()
{
    m_player->playPrevious();
    refreshButtons();
}

void PreviewViewController::forwardAction()
{
    m_player->playNext();
    refreshButtons();
}

void PreviewViewController::openMenuAction()
{
    m_player->playMenu();
    flushPlayerProgress();
}

void PreviewViewController::imageDidFlushInPlayer(LMMoviePlayer *)
{
    flushPlayerProgress();
}

void PreviewViewController::flushPlayerProgress()
{
    DW_ASSERT_MAIN_THREAD(return );
    const int64_t duration = m_player->duration();
    m_progressView->setDuration(duration);
    m_progressView->setCurrentTime(std::min(m_player->currentTime(), duration));
    m_progressView->update();
    m_timeLabel->setText(playTimeString());
    const bool playing = m_player->isPlay();
    m_playButton->setIcon(QPixmap::fromImage(AppTheme::ThemeArt::imageNamed(playPauseImageName())));
    m_playButton->setToolTip(playing ? text("Pause") : text("Play"));
    refreshButtons();
    m_displayView->update();
}

QString PreviewViewController::playTimeString() const
{
    return QStringLiteral("%1/%2").arg(
        CommonFunction::timeStrFromSecond(double(m_progressView->currentTime()) / kSecondUs),
        CommonFunction::timeStrFromSecond(double(m_progressView->duration()) / kSecondUs));
}

QString PreviewViewController::playPauseImageName() const
{
    return m_player->isPlay() ? QStringLiteral("preview_action_pause")
                              : QStringLiteral("preview_action_play");
}

void PreviewViewController::refreshButtons()
{
    m_playButton->setEnabled(playButtonEnable());
    m_backwardButton->setEnabled(backwardButtonEnable());
    m_forwardButton->setEnabled(forwardButtonEnable());
    m_menuButton->setEnabled(menuButtonEnable());
}
