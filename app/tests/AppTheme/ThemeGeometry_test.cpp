// The image-drawn controls: where the slider's track and knob go, which picture each control shows
// in which state, the text colours; and the style drawing each control in each state, saved as
// screenshots for a person to look at.

#include "app/AppTheme/ThemeArt.h"
#include "app/AppTheme/ThemeGeometry.h"
#include "app/AppTheme/TransparentControlStyle.h"
#include "app/AppTheme/WindowThemeExtention.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QPushButton>
#include <QSlider>
#include <gtest/gtest.h>

using namespace AppTheme::ThemeGeometry;

namespace {

QApplication &application()
{
    static int argc = 1;
    static char name[] = "app_theme_test";
    static char *argv[] = {name, nullptr};
    static QApplication *app = new QApplication(argc, argv);
    return *app;
}

TEST(ThemeGeometry, NearestRoundsHalvesAwayFromZero)
{
    EXPECT_EQ(nearest(2.5f), 3.0f);
    EXPECT_EQ(nearest(-2.5f), -3.0f);
    EXPECT_EQ(nearest(2.49f), 2.0f);
    EXPECT_EQ(nearest(1.0f), 1.0f);
}

TEST(ThemeGeometry, SliderTrackAndKnob)
{
    struct Row
    {
        const char *name;
        bool ticks;
        QRectF bar;
        QPointF knobImage;
    };
    const Row rows[] = {
        {"plain", false, QRectF(2, 8, 95, 5), QPointF(40, 3)},
        {"with tick marks", true, QRectF(2, 7, 96, 5), QPointF(41, 4)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(sliderBarRect(QRectF(0, 0, 100, 21), 5, row.ticks), row.bar);
        EXPECT_EQ(sliderKnobImageOrigin(QRectF(40, 0, 15, 21), QSizeF(13, 13), row.ticks),
                  row.knobImage);
    }
    EXPECT_EQ(sliderBarRect(QRectF(0, 0, 100, 4), 5, false), QRectF(2, 0, 95, 5))
        << "a bar lower than the picture is not moved down";
    EXPECT_EQ(sliderKnobRect(QRectF(40, 0, 15, 21), true), QRectF(40, 2, 15, 23));
    EXPECT_EQ(sliderKnobRect(QRectF(40, 0, 15, 21), false), QRectF(40, 0, 15, 21));
    EXPECT_EQ(sliderTrackOpacity(true), 0.75);
    EXPECT_EQ(sliderTrackOpacity(false), 0.2);
}

TEST(ThemeGeometry, PicturesByState)
{
    EXPECT_EQ(sliderKnobImageName(true, true), "TransparentSliderTriangleThumbP.tiff");
    EXPECT_EQ(sliderKnobImageName(false, false), "TransparentSliderThumbN.tiff");
    EXPECT_EQ(checkboxImageName(true, true), "TransparentCheckboxOnP");
    EXPECT_EQ(checkboxImageName(true, false), "TransparentCheckboxOnN");
    EXPECT_EQ(checkboxImageName(false, false), "TransparentCheckboxOffN");
    EXPECT_EQ(checkboxImageName(false, true), "TransparentCheckboxOffP");
    EXPECT_EQ(popUpImageName("Right", false, true), "TransparentPopUpPullDownRightN");
    EXPECT_EQ(popUpImageName("Right", true, false), "TransparentPopUpRightP");
    EXPECT_EQ(popUpImageName("Left", true, true), "TransparentPopUpLeftP");
    EXPECT_EQ(buttonImageName("Fill", false), "TransparentButtonFillN");
    EXPECT_EQ(buttonBezelY(QRectF(0, 10, 80, 30), 22), 13.0);
    for (const QString name : {"TransparentButtonLeftN",
                               "TransparentButtonFillP",
                               "TransparentPopUpPullDownRightN",
                               "TransparentCheckboxOnP",
                               "TransparentSliderTrackFill.tiff",
                               "TransparentSliderThumbN.tiff",
                               "preview_action_play",
                               "player_progress_point"})
        EXPECT_FALSE(AppTheme::ThemeArt::imageNamed(name).isNull()) << name.toStdString();
}

TEST(ThemeGeometry, InteriorColours)
{
    EXPECT_NEAR(interiorColor(Control::Checkbox, true).alphaF(), 0.95f, 0.005f);
    EXPECT_EQ(interiorColor(Control::Checkbox, false), QColor::fromRgbF(0.6f, 0.6f, 0.6f));
    EXPECT_EQ(interiorColor(Control::PopUp, true), QColor(Qt::white));
    EXPECT_FLOAT_EQ(interiorColor(Control::PopUp, false).alphaF(), 0.6f);
    EXPECT_EQ(interiorColor(Control::Button, false), QColor::fromRgbF(0.6f, 0.6f, 0.6f));
}

// Every control in every state, drawn by the style, for a person to look at; and a disabled
// slider's track is fainter than an enabled one's.
TEST(TransparentControlStyle, DrawsEachControlInEachState)
{
    application();
    TransparentControlStyle style;
    QWidget panel;
    panel.setStyle(&style);
    panel.setStyleSheet(QString());
    panel.setAutoFillBackground(true);
    QPalette palette = panel.palette();
    palette.setColor(QPalette::Window, QColor(30, 30, 30));
    panel.setPalette(palette);
    auto *grid = new QGridLayout(&panel);
    QList<QSlider *> sliders;
    for (int row = 0; row < 2; ++row) {
        const bool enabled = row == 0;
        auto *slider = new QSlider(Qt::Horizontal);
        slider->setStyle(&style);
        slider->setValue(40);
        slider->setEnabled(enabled);
        slider->setFixedSize(100, 21);
        sliders.append(slider);
        auto *ticks = new QSlider(Qt::Horizontal);
        ticks->setStyle(&style);
        ticks->setTickPosition(QSlider::TicksBelow);
        ticks->setTickInterval(20);
        ticks->setValue(60);
        ticks->setEnabled(enabled);
        ticks->setFixedSize(120, 24);
        auto *on = new QCheckBox(QStringLiteral("On"));
        on->setStyle(&style);
        on->setChecked(true);
        on->setEnabled(enabled);
        auto *off = new QCheckBox(QStringLiteral("Off"));
        off->setStyle(&style);
        off->setEnabled(enabled);
        auto *popUp = new QComboBox;
        popUp->setStyle(&style);
        popUp->addItems({QStringLiteral("DVD5"), QStringLiteral("DVD9")});
        popUp->setEnabled(enabled);
        auto *button = new QPushButton(QStringLiteral("Burn"));
        button->setStyle(&style);
        button->setEnabled(enabled);
        auto *pressed = new QPushButton(QStringLiteral("Pressed"));
        pressed->setStyle(&style);
        pressed->setDown(true);
        pressed->setEnabled(enabled);
        const QList<QWidget *> widgets{slider, ticks, on, off, popUp, button, pressed};
        for (int column = 0; column < widgets.size(); ++column)
            grid->addWidget(widgets[column], row, column);
    }
    panel.resize(760, 90);
    panel.show();
    QApplication::processEvents();
    const QImage shot = panel.grab().toImage();
    QDir().mkpath(QStringLiteral("/tmp/shots/preview"));
    shot.save(QStringLiteral("/tmp/shots/preview/controls.png"));

    const auto trackPixel = [&](QSlider *slider) {
        const QImage image = slider->grab().toImage();
        // The track's middle row, left of the knob.
        return image.pixelColor(10, 10);
    };
    const QColor enabled = trackPixel(sliders[0]);
    const QColor disabled = trackPixel(sliders[1]);
    EXPECT_GT(enabled.lightness(), disabled.lightness() + 40)
        << "enabled " << enabled.name().toStdString() << ", disabled "
        << disabled.name().toStdString();
}

TEST(WindowThemeExtention, WithoutAnX11ConnectionNothingIsSet)
{
    application();
    QWidget window;
    EXPECT_FALSE(WindowThemeExtention::changeTitleBarTheme(&window))
        << "the offscreen platform has no X11 connection";
}

} // namespace
