#pragma once

// The quality and capacity row of the main window: the quality menu (the fixed rates and the
// custom item), the custom quality sheet with its slider and field, the disc type and the
// capacity gauge with its label. It changes the project's rate and disc type through the project
// and redraws the gauge whenever the project says something the estimate reads has changed.
//
// Owned by the main window controller; the widgets belong to the main window's view. Main thread.

#include <QObject>

class EditingProject;
class MainWindowView;

class QualityCapacityController : public QObject
{
    Q_OBJECT
public:
    QualityCapacityController(EditingProject &project, MainWindowView &view);

    // The menu again, from the selected tag and the custom rate; the button shows the selection.
    void initQualityPopBtn();
    // The project's own rate: its tag (custom for a rate outside the table) and the custom
    // item's rate; then the menu and the gauge. After a project was opened or made new.
    void loadFromProject();
    void chooseExistQualityAction(int tag);
    void chooseCustomQualityAction();
    void customQualitySliderAction(int value);
    void customQualityFieldAction();
    void finishCustomQualityWindow();
    // The disc type of the combo box goes to the project.
    void dvdModelChangedAction();
    // The estimate again: the gauge, its label and the custom sheet's size text.
    void changeCapacityValue();

    qint64 customDvdBitrate() const { return m_customDvdBitrate; }
    QString customDvdWndSizeString() const { return m_customDvdWndSizeString; }
    qint64 totalUsedSpace() const { return m_totalUsedSpace; }
    int selectedQualityTag() const { return m_selectedQualityTag; }
    // How often the gauge was recomputed.
    int gaugeRefreshCount() const { return m_gaugeRefreshes; }
    // Bytes added to every estimate from now on: tests take a disc past its type with a few
    // seconds of video instead of hours. Zero in the program.
    void setAddedBytes(qint64 bytes)
    {
        m_addedBytes = bytes;
        changeCapacityValue();
    }

signals:
    // The custom sheet was opened: the window's commands go while it is up.
    void sheetOpened();

private:
    void showDiscType();

    EditingProject &m_project;
    MainWindowView &m_view;
    qint64 m_totalUsedSpace = 0;
    qint64 m_addedBytes = 0;
    qint64 m_customDvdBitrate = 0;
    QString m_customDvdWndSizeString;
    int m_selectedQualityTag = 0;
    int m_gaugeRefreshes = 0;
};
