#pragma once

// The main window's widgets and menu bar, built once and laid out: the title list's place, the
// menu editor (canvas, cover and bars), the add and burn buttons, the disc type, quality and gauge row, the tip button, and
// the two sheets (custom quality, burn settings). It paints and passes input on; its controller
// connects the widgets and the named commands and decides what they do.
//
// Closing it quits the application, after its controller was told. A sheet or modal window that
// comes or goes (blocking or freeing the window) is reported, so that the commands are checked
// again and the menus never offer what the window cannot do. Main thread.

#include <QHash>
#include <QKeySequence>
#include <QMainWindow>
#include <functional>

class BurnSettingWindow;
class CustomCapacityView;
class CustomQualityWindow;
class CanvasBgView;
class MenuEditBgView;
class NoMenuView;
class QCheckBox;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QToolButton;

class MainWindowView : public QMainWindow
{
public:
    MainWindowView(std::function<void()> willClose, std::function<void()> blockingChanged);

    // The title list's view goes to the upper left, above the add button.
    void setSourceView(QWidget *view);
    // Sets the title "<name> - <application>" with the edited mark's place.
    void setDocumentName(const QString &name);

    QWidget *central() const { return m_central; }
    // The menu editor: the canvas, its no-menu cover, the previous-page button and the no-menu
    // check box of its top bar.
    MenuEditBgView *menuEditBgView() const { return m_menuEditBg; }
    CanvasBgView *canvasBgView() const { return m_canvas; }
    NoMenuView *noMenuView() const { return m_noMenuView; }
    QToolButton *previousPageButton() const { return m_previousPageButton; }
    QCheckBox *noMenuCheckBox() const { return m_noMenuCheckBox; }
    CustomCapacityView *capacityView() const { return m_capacityView; }
    QLabel *capacityLabel() const { return m_capacityLabel; }
    QComboBox *dvdModelPopButton() const { return m_dvdModelPopButton; }
    QPushButton *dvdQualityPopBtn() const { return m_dvdQualityPopBtn; }
    QMenu *qualityMenu() const { return m_qualityMenu; }
    CustomQualityWindow *customQualityWnd() const { return m_customQualityWnd; }
    BurnSettingWindow *burnSettingWindow() const { return m_burnSettingWindow; }
    QPushButton *addVideoButton() const { return m_addVideoButton; }
    QPushButton *burnButton() const { return m_burnButton; }
    QToolButton *tipButton() const { return m_tipButton; }
    // The menu-bar command of an action name ("addVideoAction:", "delete:", ...); null if none.
    QAction *menuAction(const QString &name) const { return m_actions.value(name); }
    QHash<QString, QAction *> menuActions() const { return m_actions; }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    void buildWidgets();
    void buildMenus();
    void buildMenuEditor();
    QAction *addAction(QMenu *menu,
                       const QString &name,
                       const QString &title,
                       const QKeySequence &shortcut = {});

    std::function<void()> m_willClose;
    std::function<void()> m_blockingChanged;
    QWidget *m_central = nullptr;
    class QVBoxLayout *m_left = nullptr;
    MenuEditBgView *m_menuEditBg = nullptr;
    CanvasBgView *m_canvas = nullptr;
    NoMenuView *m_noMenuView = nullptr;
    QToolButton *m_previousPageButton = nullptr;
    QCheckBox *m_noMenuCheckBox = nullptr;
    CustomCapacityView *m_capacityView = nullptr;
    QLabel *m_capacityLabel = nullptr;
    QComboBox *m_dvdModelPopButton = nullptr;
    QPushButton *m_dvdQualityPopBtn = nullptr;
    QMenu *m_qualityMenu = nullptr;
    CustomQualityWindow *m_customQualityWnd = nullptr;
    BurnSettingWindow *m_burnSettingWindow = nullptr;
    QPushButton *m_addVideoButton = nullptr;
    QPushButton *m_burnButton = nullptr;
    QToolButton *m_tipButton = nullptr;
    QHash<QString, QAction *> m_actions;
};
