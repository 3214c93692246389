#include "app/KDOptionsFrame.h"

#include "app/AppDialogs.h"
#include "project/KDProperties.h"
#include "shell/Languages.h"
#include "shell/ProjectData.h"
#include "store/ProjectList.h"
#include "store/XmlIni.h"
#include "util/Paths.h"
#include "wizard/ErrorBox.h"

#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

namespace kalido {

TKDOptionsWizardFrame::TKDOptionsWizardFrame(QWidget *owner) : TKDCommonWizardFrame(owner)
{
    Image()->setPixmap(QPixmap(QStringLiteral(":/images/options.png")));
    Label1()->setText(QStringLiteral("Setup the slideshow options"));

    lblTimeout_ = new QLabel(QStringLiteral("Photo display time:"), Body());
    lblTimeout_->setObjectName(QStringLiteral("lblTimeout"));
    lblTimeout_->setGeometry(16, 80 - 61, 172, 16);
    edTimeout_ = new QLineEdit(Body());
    edTimeout_->setObjectName(QStringLiteral("edTimeout"));
    edTimeout_->setGeometry(192, 77 - 61, 80, 22);

    auto *bvl1 = new QFrame(Body());
    bvl1->setObjectName(QStringLiteral("bvl1"));
    bvl1->setFrameShape(QFrame::HLine);
    bvl1->setFrameShadow(QFrame::Sunken);
    bvl1->setGeometry(16, 120 - 61, 302, 2);

    bnSaveProject_ = new QPushButton(QStringLiteral("Save project as..."), Body());
    bnSaveProject_->setObjectName(QStringLiteral("bnSaveProject"));
    bnSaveProject_->setGeometry(16, 144 - 61, 220, 25);
    bnSaveProject_->setAutoDefault(false);
    connect(bnSaveProject_, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { bnSaveProjectClick(); }); });
}

void TKDOptionsWizardFrame::LoadPage()
{
    TKDCommonWizardFrame::LoadPage();
    edTimeout_->setText(QString::number(KDSettings()->Timeout()));
}

void TKDOptionsWizardFrame::StorePage()
{
    TKDCommonWizardFrame::StorePage();
    bool ok = false;
    const int value = edTimeout_->text().trimmed().toInt(&ok, 10);
    if (ok)
        KDSettings()->SetTimeout(value);
}

void TKDOptionsWizardFrame::bnSaveProjectClick()
{
    // The dialog's title names the file type and stays as written.
    const QString chosen = SaveFileName(this, QStringLiteral("Save SlideShow as..."), ProjectFilter());
    if (chosen.isEmpty())
        return;
    StorePage();
    SaveProject(chosen);
}

bool TKDOptionsWizardFrame::SaveProject(const QString &fileName)
{
    const QString path = ForceExt(fileName, QStringLiteral(".kdp"));
    TKDProperties *settings = KDSettings();
    {
        const std::shared_ptr<IXMLIni> project = NewXMLIni(path);
        if (project->OpenKey(QStringLiteral("project"), true))
            settings->SaveTo(*project);
        if (!project->UpdateFile()) {
            // Listing a project that is not on disk would offer the user a file that does not exist.
            ShowMessage(this, Translate(QStringLiteral("The project could not be saved to %1")).arg(path),
                        true);
            return false;
        }
    }
    TProjectData *env = ProjectData();
    if (!env || !env->Ini())
        return true;
    const int before = SavedProjects(*env->Ini()).size();
    const bool listWritten = RememberProject(*env->Ini(), path);
    if (SavedProjects(*env->Ini()).size() != before)
        settings->ReloadProjectCount();
    if (!listWritten)
        ShowMessage(this,
                    Translate(QStringLiteral("The project was saved, but the list of saved projects "
                                             "could not be written to %1"))
                        .arg(env->Ini()->GetFileName()),
                    true);
    return true;
}

} // namespace kalido
