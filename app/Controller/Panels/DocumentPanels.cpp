#include "app/Controller/Panels/DocumentPanels.h"

#include "app/AppExtention/Function/AlertMessage.h"
#include "app/Controller/Panels/PackageOpenDialog.h"
#include "platform/StringTable.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString text(const char *key)
{
    return platform::localizedString(QString::fromUtf8(key));
}

} // namespace

DocumentPanels::DocumentPanels(QWidget *window)
    : m_window(window)
{}

DocumentPanelsInterface::SaveChanges DocumentPanels::askSaveChanges()
{
    QMessageBox box(QMessageBox::Warning,
                    QApplication::applicationName(),
                    text("Do you want to save the changes you made in the Document?"),
                    QMessageBox::NoButton,
                    m_window);
    box.setObjectName(QStringLiteral("saveAlert"));
    box.setWindowModality(Qt::WindowModal);
    QPushButton *save = box.addButton(text("Save"), QMessageBox::AcceptRole);
    QPushButton *dontSave = box.addButton(text("Don't Save"), QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(text("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return SaveChanges::Save;
    if (box.clickedButton() == dontSave)
        return SaveChanges::DontSave;
    return SaveChanges::Cancel;
}

QString DocumentPanels::chooseOpenPath(const QString &extension)
{
    PackageOpenDialog dialog(m_window, text("Open"), extension);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QString chosen = dialog.chosenPath();
    if (chosen.isEmpty())
        return {};
    const QString path = QFileInfo(chosen).canonicalFilePath();
    if (!path.endsWith(QLatin1Char('.') + extension)) {
        showAlert(QStringLiteral("The project could not be opened."), chosen);
        return {};
    }
    return path;
}

QString DocumentPanels::chooseSavePath(const QString &suggestedPath, const QString &extension)
{
    // The document asks about replacing a package itself: the dialog's own question treats a
    // package as a folder and would not ask.
    return QFileDialog::getSaveFileName(m_window,
                                        text("Save"),
                                        suggestedPath,
                                        QStringLiteral("*.%1").arg(extension),
                                        nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

bool DocumentPanels::confirmReplace(const QString &path)
{
    QMessageBox box(QMessageBox::Warning,
                    QApplication::applicationName(),
                    platform::localizedString(
                        QStringLiteral("\"%@\" already exists. Do you want to replace it?"),
                        {QFileInfo(path).fileName()}),
                    QMessageBox::NoButton,
                    m_window);
    box.setObjectName(QStringLiteral("replaceAlert"));
    box.setWindowModality(Qt::WindowModal);
    QPushButton *replace = box.addButton(text("Replace"), QMessageBox::AcceptRole);
    box.setEscapeButton(box.addButton(text("Cancel"), QMessageBox::RejectRole));
    box.exec();
    return box.clickedButton() == replace;
}

void DocumentPanels::showAlert(const QString &message, const QString &informative)
{
    AlertMessage{message, {}, {}, {}, informative}.log();
    QMessageBox box(QMessageBox::Warning,
                    QApplication::applicationName(),
                    platform::localizedString(message),
                    QMessageBox::NoButton,
                    m_window);
    box.setObjectName(QStringLiteral("documentAlert"));
    box.setWindowModality(Qt::WindowModal);
    box.setDetailedText(informative);
    box.setDefaultButton(box.addButton(text("OK"), QMessageBox::AcceptRole));
    box.exec();
}
