// The editor's settings pages: crop, zoom, effect, flips, turn and colours of the picture, and the
// subtitle file with its encoding. Every getter reads the live engine movie or clip, every setter
// writes it at once and redraws the preview; with no clip the getters answer zero and the setters
// do nothing.

#include "Reelsmith/effects/EffectManager.h"
#include "Reelsmith/media/LMFFMedia.h"
#include "Reelsmith/media/LMSubtitleSource.h"
#include "Reelsmith/movie/LMFFMovie.h"
#include "app/AppExtention/Convert/VCMovie.h"
#include "app/AppExtention/Convert/VideoEditPlayer.h"
#include "app/videoeditor/Controller/COMVideoEditorWindowController.h"
#include "app/videoeditor/Controller/PictureEditRules.h"
#include "app/videoeditor/Controller/SubtitleEncodings.h"
#include "platform/StringTable.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QVBoxLayout>

Q_LOGGING_CATEGORY(lcVideoEditSetting, "discwright.app.videoeditor.setting")

namespace {

std::shared_ptr<LMFFMovie> engineMovie(const MediaDataRef &clip)
{
    return clip ? clip->ffmovie() : nullptr;
}

const char *const kColourNames[5] = {"saturation", "brightness", "contrast", "hue", "sharpness"};

} // namespace

QWidget *COMVideoEditorWindowController::buildPicturePage()
{
    auto *page = new QWidget(this);
    auto *form = new QFormLayout(page);
    const char *cropNames[4] = {"cropRectX", "cropRectY", "cropRectWidth", "cropRectHeight"};
    const char *cropTitles[4] = {"X", "Y", "Width", "Height"};
    for (int i = 0; i < 4; ++i) {
        m_cropFields[i] = new QDoubleSpinBox(page);
        m_cropFields[i]->setObjectName(cropNames[i]);
        m_cropFields[i]->setDecimals(0);
        form->addRow(platform::localizedString(cropTitles[i]), m_cropFields[i]);
        connect(m_cropFields[i], &QDoubleSpinBox::editingFinished, this, [this, i] {
            QRectF rect = cropRect();
            const double v = m_cropFields[i]->value();
            if (i == 0)
                rect.moveLeft(v);
            else if (i == 1)
                rect.moveTop(v);
            else if (i == 2)
                rect.setWidth(v);
            else
                rect.setHeight(v);
            setCropRect(rect);
        });
    }
    m_zoomPopBtn = new QComboBox(page);
    m_zoomPopBtn->setObjectName("zoomTypePopBtn");
    const std::pair<const char *, int> zooms[] = {
        {"Keep Aspect Ratio", 2}, {"Full Screen", 1}, {"16:9", 3}, {"4:3", 4}, {"Fill Width", 6}};
    for (const auto &[title, type] : zooms)
        m_zoomPopBtn->addItem(platform::localizedString(title), type);
    form->addRow(platform::localizedString("Zoom"), m_zoomPopBtn);
    connect(m_zoomPopBtn, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        setZoomType(m_zoomPopBtn->itemData(index).toInt());
    });
    m_effectPopBtn = new QComboBox(page);
    m_effectPopBtn->setObjectName("effectPopBtn");
    m_effectPopBtn->addItem(platform::localizedString("None"), QString());
    for (const QString &name : EffectManager::sharedAllFilterNames())
        m_effectPopBtn->addItem(name, name);
    form->addRow(platform::localizedString("Effect"), m_effectPopBtn);
    connect(m_effectPopBtn, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        setEffectName(m_effectPopBtn->itemData(index).toString());
    });
    const char *colourTitles[5] = {"Saturation", "Brightness", "Contrast", "Hue", "Sharpness"};
    for (int i = 0; i < 5; ++i) {
        m_colourSliders[i] = new QSlider(Qt::Horizontal, page);
        m_colourSliders[i]->setObjectName(kColourNames[i]);
        m_colourSliders[i]->setRange(0, 1000);
        form->addRow(platform::localizedString(colourTitles[i]), m_colourSliders[i]);
        connect(m_colourSliders[i], &QSlider::valueChanged, this, [this, i](int value) {
            if (m_refreshing)
                return;
            setProperty(kColourNames[i], float(value) / 1000.0f);
        });
    }
    auto *turns = new QHBoxLayout;
    const std::pair<const char *, std::function<void()>> buttons[] = {
        {"Rotate Left", [this] { rotateLeft(); }},
        {"Rotate Right", [this] { rotateRight(); }},
        {"Flip Horizontal", [this] { hvFlip(false); }},
        {"Flip Vertical", [this] { hvFlip(true); }},
    };
    for (const auto &[title, action] : buttons) {
        auto *button = new QPushButton(platform::localizedString(title), page);
        button->setObjectName(title);
        connect(button, &QPushButton::clicked, this, action);
        turns->addWidget(button);
    }
    form->addRow(turns);
    auto *resets = new QHBoxLayout;
    const std::pair<const char *, std::function<void()>> resetButtons[] = {
        {"Reset Crop", [this] { resetCrop(); }},
        {"Reset Effect", [this] { resetEffect(); }},
        {"Reset Rotate", [this] { resetRotate(); }},
    };
    for (const auto &[title, action] : resetButtons) {
        auto *button = new QPushButton(platform::localizedString(title), page);
        button->setObjectName(title);
        connect(button, &QPushButton::clicked, this, action);
        resets->addWidget(button);
    }
    form->addRow(resets);
    return page;
}

QWidget *COMVideoEditorWindowController::buildSubtitlePage()
{
    auto *page = new QWidget(this);
    auto *form = new QFormLayout(page);
    m_subtitlePathLabel = new QLabel(page);
    m_subtitlePathLabel->setObjectName("subtitlePathLabel");
    auto *load = new QPushButton(platform::localizedString("Load Subtitle"), page);
    load->setObjectName("loadSubtitleButton");
    connect(load, &QPushButton::clicked, this, [this] { subtitleChooseFile(); });
    form->addRow(load, m_subtitlePathLabel);
    m_encodingPopBtn = new QComboBox(page);
    m_encodingPopBtn->setObjectName("subtitleEncodingPopBtn");
    for (const SubtitleEncodings::Entry &entry : SubtitleEncodings::subtitleeEncodings())
        m_encodingPopBtn->addItem(entry.name, QVariant::fromValue<qulonglong>(entry.encoding));
    form->addRow(platform::localizedString("Encoding"), m_encodingPopBtn);
    connect(m_encodingPopBtn, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        setSubtitleEncoding(m_encodingPopBtn->itemData(index).toULongLong());
        subtitleChooseEncoding();
    });
    return page;
}

void COMVideoEditorWindowController::refreshSettingControls()
{
    const QRectF crop = cropRect();
    const QRectF max = maxCropRect();
    const double values[4] = {crop.x(), crop.y(), crop.width(), crop.height()};
    // The maxima keep the crop inside the coded frame.
    const double maxima[4] = {max.right() - crop.width(),
                              max.bottom() - crop.height(),
                              max.right() - crop.x(),
                              max.bottom() - crop.y()};
    for (int i = 0; i < 4; ++i) {
        m_cropFields[i]->setRange(0, std::max(0.0, maxima[i]));
        if (!m_cropFields[i]->hasFocus())
            m_cropFields[i]->setValue(values[i]);
    }
    m_zoomPopBtn->setCurrentIndex(m_zoomPopBtn->findData(zoomType()));
    const int effect = m_effectPopBtn->findData(effectName());
    m_effectPopBtn->setCurrentIndex(effect < 0 ? 0 : effect);
    for (int i = 0; i < 5; ++i)
        m_colourSliders[i]->setValue(qRound(property(kColourNames[i]).toFloat() * 1000.0f));
    m_subtitlePathLabel->setText(QFileInfo(subtitlePath()).fileName());
    m_encodingPopBtn->setCurrentIndex(std::max(
        0, m_encodingPopBtn->findData(QVariant::fromValue<qulonglong>(subtitleEncoding()))));
}

// --- Picture --------------------------------------------------------------------------------------

QRectF COMVideoEditorWindowController::cropRect() const
{
    const auto movie = engineMovie(m_media);
    return movie ? movie->cropRect() : QRectF();
}

void COMVideoEditorWindowController::setCropRect(const QRectF &rect)
{
    if (const auto movie = engineMovie(m_media)) {
        movie->setCropRect(rect);
        flushPlayerImage();
        noteClipChanged();
        emit cropRectChanged();
    }
}

QRectF COMVideoEditorWindowController::maxCropRect() const
{
    const auto movie = engineMovie(m_media);
    return movie ? QRectF(QPointF(0, 0), movie->videoSize()) : QRectF();
}

int COMVideoEditorWindowController::zoomType() const
{
    const auto movie = engineMovie(m_media);
    return movie ? movie->zoomType() : 0;
}

void COMVideoEditorWindowController::setZoomType(int type)
{
    if (const auto movie = engineMovie(m_media)) {
        movie->setZoomType(type);
        flushPlayerImage();
        noteClipChanged();
        emit zoomTypeChanged();
    }
}

// One getter and setter per picture value; the setter writes the movie, redraws the preview and
// tells the project.
#define DW_PICTURE_VALUE(Type, getter, setter, zero)                                               \
    Type COMVideoEditorWindowController::getter() const                                            \
    {                                                                                              \
        const auto movie = engineMovie(m_media);                                                   \
        return movie ? movie->getter() : zero;                                                     \
    }                                                                                              \
    void COMVideoEditorWindowController::setter(Type value)                                        \
    {                                                                                              \
        if (const auto movie = engineMovie(m_media)) {                                             \
            movie->setter(value);                                                                  \
            flushPlayerImage();                                                                    \
            noteClipChanged();                                                                     \
            emit effectChanged();                                                                  \
        }                                                                                          \
    }

DW_PICTURE_VALUE(bool, hflip, setHflip, false)
DW_PICTURE_VALUE(bool, vflip, setVflip, false)
DW_PICTURE_VALUE(float, rotate, setRotate, 0.0f)
DW_PICTURE_VALUE(float, saturation, setSaturation, 0.0f)
DW_PICTURE_VALUE(float, brightness, setBrightness, 0.0f)
DW_PICTURE_VALUE(float, contrast, setContrast, 0.0f)
DW_PICTURE_VALUE(float, hue, setHue, 0.0f)
DW_PICTURE_VALUE(float, sharpness, setSharpness, 0.0f)
#undef DW_PICTURE_VALUE

QString COMVideoEditorWindowController::effectName() const
{
    const auto movie = engineMovie(m_media);
    return movie ? movie->effectName() : QString();
}

void COMVideoEditorWindowController::setEffectName(const QString &name)
{
    if (const auto movie = engineMovie(m_media)) {
        movie->setEffectName(name);
        flushPlayerImage();
        noteClipChanged();
        emit effectChanged();
    }
}

void COMVideoEditorWindowController::rotateLeft()
{
    setRotate(PictureEditRules::rotateQuarter(rotate(), true));
}

void COMVideoEditorWindowController::rotateRight()
{
    setRotate(PictureEditRules::rotateQuarter(rotate(), false));
}

void COMVideoEditorWindowController::hvFlip(bool vertical)
{
    if (PictureEditRules::flipTogglesVflip(rotate(), vertical))
        setVflip(!vflip());
    else
        setHflip(!hflip());
}

void COMVideoEditorWindowController::resetCrop()
{
    setCropRect(maxCropRect());
    setZoomType(2);
}

void COMVideoEditorWindowController::resetEffect()
{
    setEffectName(QString());
    setSaturation(0.5f);
    setBrightness(0.5f);
    setContrast(0.25f);
    setHue(0.5f);
    setSharpness(0.5f);
}

void COMVideoEditorWindowController::resetRotate()
{
    setHflip(false);
    setVflip(false);
    setRotate(0.0f);
}

void COMVideoEditorWindowController::flushMovieAttribute()
{
    emit cropRectChanged();
    emit zoomTypeChanged();
    emit effectChanged();
    emit subtitleChanged();
}

// --- Subtitles ------------------------------------------------------------------------------------

QString COMVideoEditorWindowController::subtitlePath() const
{
    const auto movie = vcMovie();
    return movie ? movie->subtitlePath() : QString();
}

quint64 COMVideoEditorWindowController::subtitleEncoding() const
{
    const auto movie = vcMovie();
    return movie ? movie->subtitleEncoding() : 0;
}

void COMVideoEditorWindowController::setSubtitleEncoding(quint64 encoding)
{
    if (const auto movie = vcMovie()) {
        movie->setSubtitleEncoding(encoding);
        noteClipChanged();
        emit subtitleChanged();
    }
}

bool COMVideoEditorWindowController::openSubtitlePath(const QString &path)
{
    const auto clip = vcMovie();
    const auto movie = engineMovie(m_media);
    if (!clip || !movie || path.isEmpty())
        return false;
    QFile file(path);
    std::optional<QString> text;
    if (file.open(QIODevice::ReadOnly))
        text = SubtitleEncodings::readSubtitleText(file.readAll(), clip->subtitleEncoding());
    // The new text must open as subtitles before it replaces the old ones: a probe movie reads
    // it from a UTF-8 copy with the file's extension.
    bool opens = false;
    if (text) {
        QTemporaryDir probeDir;
        const QString probePath
            = probeDir.filePath("open-Subtitle-Path." + QFileInfo(path).suffix());
        QFile probe(probePath);
        if (probeDir.isValid() && probe.open(QIODevice::WriteOnly)) {
            probe.write(text->toUtf8());
            probe.close();
            // The movie outlives nothing that points at it: the media goes first.
            LMFFMovie probeMovie;
            auto media = LMFFMedia::mediaWithSource(LMSubtitleSource::mediaWithPath(probePath));
            probeMovie.setSubtitle(media);
            opens = bool(probeMovie.subtitle());
            probeMovie.setSubtitle(nullptr);
        }
    }
    qCDebug(lcVideoEditSetting, "subtitle %d", opens ? 1 : 0);
    if (!opens) {
        showAlert(platform::localizedString(
            "The subtitle file \"%@\" could not be read. The earlier subtitle is kept.",
            {QFileInfo(path).fileName()}));
        emit subtitleChanged();
        return false;
    }
    clip->setSubtitlePath(path);
    clip->setSubtitleContent(*text);
    movie->setSubtitle(nullptr);
    clip->openSubtitleContentIfNeeded();
    if (!movie->hasSubtitle())
        clip->setSubtitleContent(QString());
    flushPlayerImage();
    noteClipChanged();
    emit subtitleChanged();
    return true;
}

void COMVideoEditorWindowController::subtitleChooseFile()
{
    if (!m_chooseSubtitleFile)
        return;
    const QString path = m_chooseSubtitleFile(this);
    if (!path.isEmpty())
        openSubtitlePath(path);
    emit subtitleChanged();
}

void COMVideoEditorWindowController::subtitleChooseEncoding()
{
    if (!subtitlePath().isEmpty())
        openSubtitlePath(subtitlePath());
}
