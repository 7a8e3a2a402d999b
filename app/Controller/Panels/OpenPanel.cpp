#include "app/Controller/Panels/OpenPanel.h"

#include "platform/MainThread.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

class FileDialogOpenPanel : public OpenPanel
{
public:
    QStringList chooseFiles(QWidget *parent, const QString &title) override
    {
        return QFileDialog::getOpenFileNames(parent, title);
    }

    QString chooseDirectory(QWidget *parent,
                            const QString &title,
                            const QString &prompt,
                            const QString &startFolder) override
    {
        QFileDialog dialog(parent, title, startFolder);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        dialog.setLabelText(QFileDialog::Accept, prompt);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return QFileInfo(dialog.selectedFiles().first()).canonicalFilePath();
    }
};

std::shared_ptr<OpenPanel> &installedPanel()
{
    static std::shared_ptr<OpenPanel> panel;
    return panel;
}

} // namespace

OpenPanel &OpenPanel::shared()
{
    DW_ASSERT_MAIN_THREAD();
    if (!installedPanel())
        installedPanel() = std::make_shared<FileDialogOpenPanel>();
    return *installedPanel();
}

void OpenPanel::install(std::shared_ptr<OpenPanel> panel)
{
    installedPanel() = std::move(panel);
}
