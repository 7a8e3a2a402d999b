#include "app/View/MainView/MainWindowView.h"

#include "app/View/MainView/BurnSettingWindow.h"
#include "app/View/MainView/CustomCapacityView.h"
#include "app/View/MainView/CustomQualityWindow.h"
#include "app/View/MenuEditView/CanvasBgView.h"
#include "app/View/MenuEditView/MenuEditBgView.h"
#include "app/View/MenuEditView/MenuMaxYBgView.h"
#include "app/View/MenuEditView/MenuMinYBgView.h"
#include "app/View/MenuEditView/NoMenuView.h"
#include "platform/StringTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPalette>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QString text(const char *key)
{
    return platform::localizedString(QString::fromUtf8(key));
}

} // namespace

MainWindowView::MainWindowView(std::function<void()> willClose,
                               std::function<void()> blockingChanged)
    : m_willClose(std::move(willClose))
    , m_blockingChanged(std::move(blockingChanged))
{
    setObjectName(QStringLiteral("MainWindowController"));
    setDocumentName(text("Untitled"));
    buildWidgets();
    buildMenus();
}

void MainWindowView::setDocumentName(const QString &name)
{
    setWindowTitle(QStringLiteral("%1 - %2[*]").arg(name, QApplication::applicationName()));
}

void MainWindowView::setSourceView(QWidget *view)
{
    m_left->insertWidget(0, view, 1);
}

void MainWindowView::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (m_willClose)
        m_willClose();
}

bool MainWindowView::event(QEvent *event)
{
    if ((event->type() == QEvent::WindowBlocked || event->type() == QEvent::WindowUnblocked)
        && m_blockingChanged)
        m_blockingChanged();
    return QMainWindow::event(event);
}

void MainWindowView::buildWidgets()
{
    m_central = new QWidget(this);
    setCentralWidget(m_central);

    m_addVideoButton = new QPushButton(text("Add Video"), m_central);
    m_addVideoButton->setObjectName(QStringLiteral("addVideoButton"));
    m_burnButton = new QPushButton(text("Burn"), m_central);
    m_burnButton->setObjectName(QStringLiteral("burnButton"));
    buildMenuEditor();
    m_dvdModelPopButton = new QComboBox(m_central);
    m_dvdModelPopButton->setObjectName(QStringLiteral("dvdModelPopButton"));
    m_dvdModelPopButton->addItems({text("DVD5"), text("DVD9")});
    m_qualityMenu = new QMenu(this);
    m_dvdQualityPopBtn = new QPushButton(m_central);
    m_dvdQualityPopBtn->setObjectName(QStringLiteral("dvdQualityPopBtn"));
    m_dvdQualityPopBtn->setMenu(m_qualityMenu);
    m_dvdQualityPopBtn->setMinimumWidth(190);
    m_capacityView = new CustomCapacityView(m_central);
    m_capacityView->setObjectName(QStringLiteral("capacityView"));
    m_capacityLabel = new QLabel(m_central);
    m_capacityLabel->setObjectName(QStringLiteral("capacityLabel"));
    // Room for the longest label, so that it is never cut while the gauge gives way.
    m_capacityLabel->setMinimumWidth(
        m_capacityLabel->fontMetrics().horizontalAdvance(QStringLiteral("88888 MB / 8300 MB on D9"))
        + 4);
    m_tipButton = new QToolButton(m_central);
    m_tipButton->setObjectName(QStringLiteral("tipButton"));
    m_tipButton->setText(QStringLiteral("?"));
    m_tipButton->setToolTip(text("Tips"));

    m_left = new QVBoxLayout;
    auto *leftButtons = new QHBoxLayout;
    leftButtons->addWidget(m_addVideoButton);
    leftButtons->addStretch();
    m_left->addLayout(leftButtons);

    auto *top = new QHBoxLayout;
    top->addLayout(m_left, 2);
    top->addWidget(m_menuEditBg, 3);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_dvdModelPopButton);
    bottom->addWidget(m_dvdQualityPopBtn);
    bottom->addWidget(m_capacityView, 1);
    bottom->addWidget(m_capacityLabel);
    bottom->addWidget(m_tipButton);
    bottom->addSpacing(12);
    bottom->addWidget(m_burnButton);

    auto *layout = new QVBoxLayout(m_central);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);
    resize(900, 520);

    m_customQualityWnd = new CustomQualityWindow(this);
    m_burnSettingWindow = new BurnSettingWindow(this);
}

void MainWindowView::buildMenuEditor()
{
    m_menuEditBg = new MenuEditBgView(m_central);
    auto *topBar = new MenuMaxYBgView(m_menuEditBg);
    m_previousPageButton = new QToolButton(topBar);
    m_previousPageButton->setObjectName(QStringLiteral("previousPageButton"));
    m_previousPageButton->setToolTip(text("Previous Page"));
    m_previousPageButton->setAutoRaise(true);
    m_previousPageButton->setIconSize(QSize(24, 24));
    m_noMenuCheckBox = new QCheckBox(text("No Menu"), topBar);
    m_noMenuCheckBox->setObjectName(QStringLiteral("noMenuCheckBox"));
    // Light text on the dark bar.
    QPalette barText = m_noMenuCheckBox->palette();
    barText.setColor(QPalette::WindowText, QColor(220, 220, 220));
    m_noMenuCheckBox->setPalette(barText);
    auto *topLayout = new QHBoxLayout(topBar);
    topLayout->setContentsMargins(6, 3, 6, 3);
    topLayout->addWidget(m_previousPageButton);
    topLayout->addStretch();
    topLayout->addWidget(m_noMenuCheckBox);

    // The cover lies over the canvas in the same cell.
    auto *canvasArea = new QWidget(m_menuEditBg);
    auto *stack = new QGridLayout(canvasArea);
    stack->setContentsMargins(0, 0, 0, 0);
    m_canvas = new CanvasBgView(canvasArea);
    m_noMenuView = new NoMenuView(canvasArea);
    m_noMenuView->hide();
    stack->addWidget(m_canvas, 0, 0);
    stack->addWidget(m_noMenuView, 0, 0);

    auto *bottomBar = new MenuMinYBgView(m_menuEditBg);
    bottomBar->setFixedHeight(8);
    auto *layout = new QVBoxLayout(m_menuEditBg);
    layout->setContentsMargins(1, 0, 0, 1);
    layout->setSpacing(0);
    layout->addWidget(topBar);
    layout->addWidget(canvasArea, 1);
    layout->addWidget(bottomBar);
}

QAction *MainWindowView::addAction(QMenu *menu,
                                   const QString &name,
                                   const QString &title,
                                   const QKeySequence &shortcut)
{
    QAction *action = menu->addAction(title);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    m_actions.insert(name, action);
    return action;
}

void MainWindowView::buildMenus()
{
    QMenuBar *bar = menuBar();
    // The application menu's About and Quit take their titles and handlers from AppDelegate.
    QMenu *application = bar->addMenu(QApplication::applicationName());
    application->setObjectName(QStringLiteral("applicationMenu"));
    addAction(application, "orderFrontStandardAboutPanel:", text("About"));
    application->addSeparator();
    addAction(application, "terminate:", text("Quit"), QKeySequence::Quit);

    QMenu *file = bar->addMenu(text("File"));
    addAction(file, "newDocument:", text("New"), QKeySequence::New);
    addAction(file, "openDocument:", text("Open..."), QKeySequence::Open);
    file->addSeparator();
    addAction(file, "saveDocument:", text("Save"), QKeySequence::Save);
    addAction(file, "saveDocumentAs:", text("Save As..."), QKeySequence::SaveAs);
    addAction(file, "revertDocumentToSaved:", text("Revert to Saved"));
    file->addSeparator();
    addAction(file, "addVideoAction:", text("Add Video..."), QKeySequence(Qt::CTRL | Qt::Key_I));

    QMenu *edit = bar->addMenu(text("Edit"));
    addAction(edit, "delete:", text("Delete"), QKeySequence::Delete);
    addAction(edit, "openVideoChapterWindowMAction:", text("Chapters..."));
    addAction(edit, "editAction:", text("Edit Video"));
    addAction(edit, "backToMainMenuAction:", text("Back to Previous Menu"));

    QMenu *help = bar->addMenu(text("Help"));
    help->setObjectName(QStringLiteral("helpMenu"));
    addAction(help, "discwrightHelp:", text("Discwright Help"), QKeySequence::HelpContents);
}
