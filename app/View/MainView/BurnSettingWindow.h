#pragma once

// The production settings sheet: the output kind (disc, DVD folder, ".dvdmedia" folder, ISO
// image) as a matrix of radio buttons whose ids are the kinds' tags, the disc name, the TV
// standard (0 NTSC, 1 PAL), and either the disc options (device, its status, copies) or the
// output folder. Widgets only; the main window controller reads and writes them. Main thread.

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class BurnSettingWindow : public QDialog
{
    Q_OBJECT
public:
    explicit BurnSettingWindow(QWidget *parent);

    QButtonGroup *burnType() const { return m_burnType; }
    QButtonGroup *tvStandardType() const { return m_tvStandardType; }
    QLineEdit *dvdNameField() const { return m_dvdNameField; }
    QGroupBox *dvdOptionBox() const { return m_dvdOptionBox; }
    QWidget *dvdOptionView() const { return m_dvdOptionView; }
    QWidget *chooseFolderView() const { return m_chooseFolderView; }
    QLabel *selectedDirLabel() const { return m_selectedDirLabel; }
    QPushButton *chooseFolderButton() const { return m_chooseFolderButton; }
    QComboBox *devicePopButton() const { return m_devicePopButton; }
    QLabel *statusLabel() const { return m_statusLabel; }
    QLineEdit *burnDVDNumberTextField() const { return m_burnDVDNumberTextField; }
    QPushButton *startButton() const { return m_startButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }

private:
    QButtonGroup *m_burnType = nullptr;
    QButtonGroup *m_tvStandardType = nullptr;
    QLineEdit *m_dvdNameField = nullptr;
    QGroupBox *m_dvdOptionBox = nullptr;
    QWidget *m_dvdOptionView = nullptr;
    QWidget *m_chooseFolderView = nullptr;
    QLabel *m_selectedDirLabel = nullptr;
    QPushButton *m_chooseFolderButton = nullptr;
    QComboBox *m_devicePopButton = nullptr;
    QLabel *m_statusLabel = nullptr;
    QLineEdit *m_burnDVDNumberTextField = nullptr;
    QPushButton *m_startButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
};
