#pragma once

// The custom quality sheet: a slider and a field for the video bit rate (1000 to 7000 kbps, at
// most four digits typed), the estimate of the project at that rate, and OK. Widgets only; the
// main window controller reads and writes them. Main thread.

#include <QDialog>

class CustomDigitFomatter;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

class CustomQualityWindow : public QDialog
{
    Q_OBJECT
public:
    explicit CustomQualityWindow(QWidget *parent);

    QSlider *slider() const { return m_slider; }
    QLineEdit *field() const { return m_field; }
    CustomDigitFomatter *formatter() const { return m_formatter; }
    QLabel *sizeLabel() const { return m_sizeLabel; }
    QPushButton *okButton() const { return m_ok; }

private:
    QSlider *m_slider = nullptr;
    QLineEdit *m_field = nullptr;
    CustomDigitFomatter *m_formatter = nullptr;
    QLabel *m_sizeLabel = nullptr;
    QPushButton *m_ok = nullptr;
};
