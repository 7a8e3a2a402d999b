#pragma once

#include "app/AppExtention/Document/DocumentPanelsInterface.h"

#include <QPointer>
#include <QWidget>

/**
 * The document's questions and panels as the user sees them: window-modal message boxes and file
 * dialogs on the main window, with their texts from the string table. A package is a folder; the
 * open panel (PackageOpenDialog) shows it as one file and opens it instead of walking into it.
 *
 * Owned by the document's host on the main window. Main thread only.
 */
class DocumentPanels : public DocumentPanelsInterface
{
public:
    explicit DocumentPanels(QWidget *window);

    SaveChanges askSaveChanges() override;
    QString chooseOpenPath(const QString &extension) override;
    QString chooseSavePath(const QString &suggestedPath, const QString &extension) override;
    bool confirmReplace(const QString &path) override;
    void showAlert(const QString &message, const QString &informative) override;

private:
    QPointer<QWidget> m_window;
};
