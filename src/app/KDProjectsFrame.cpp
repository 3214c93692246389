#include "app/KDProjectsFrame.h"

#include "app/AppDialogs.h"
#include "project/KDProperties.h"
#include "shell/Languages.h"
#include "shell/ProjectData.h"
#include "store/XmlIni.h"
#include "util/Paths.h"
#include "wizard/Controls.h"
#include "wizard/CustomWizard.h"
#include "wizard/ErrorBox.h"

#include <QLabel>
#include <QPixmap>
#include <QRadioButton>

namespace kalido {

namespace {

constexpr int ListHeight = 125;

QFont tahoma(int pixels)
{
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(pixels);
    f.setBold(true);
    return f;
}

void setTextColor(QWidget *w, const QColor &color)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::ButtonText, color);
    w->setPalette(p);
}

void uncheck(QRadioButton *button)
{
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

// The file name without folder and extension.
QString projectCaption(const QString &path)
{
    QString name = path.mid(ExtractFolder(path).size());
    if (const qsizetype dot = name.lastIndexOf(u'.'); dot > 0)
        name.truncate(dot);
    return name;
}

} // namespace

TKDProjectsWizardFrame::TKDProjectsWizardFrame(QWidget *owner) : TKDCommonWizardFrame(owner)
{
    Image()->setPixmap(QPixmap(QStringLiteral(":/images/projects.png")));
    Label1()->setText(QStringLiteral("Select project to run"));

    const QColor buttonColor = QColor::fromRgb(0, 64, 128);
    rbNew_ = new QRadioButton(QStringLiteral("New"), Body());
    rbNew_->setObjectName(QStringLiteral("rbNew"));
    rbNew_->setFont(tahoma(16));
    setTextColor(rbNew_, buttonColor);
    rbNew_->setGeometry(20, 67 - 61, 150, 27);
    rbOpen_ = new QRadioButton(QStringLiteral("Open..."), Body());
    rbOpen_->setObjectName(QStringLiteral("rbOpen"));
    rbOpen_->setFont(tahoma(16));
    setTextColor(rbOpen_, buttonColor);
    rbOpen_->setGeometry(190, 67 - 61, 140, 27);

    rgProjects_ = new TxRadioGroup(Body());
    rgProjects_->setObjectName(QStringLiteral("rgProjects"));
    rgProjects_->setFlat(true);
    // A group box with a style sheet of its own ignores the palette and font handed to its items.
    rgProjects_->setStyleSheet(QStringLiteral("QGroupBox { border: none; margin: 0px; padding: 0px; }"
                                              "QRadioButton { color: rgb(128, 128, 255); font-family: "
                                              "Tahoma; font-size: 13px; font-weight: bold; }"));
    rgProjects_->setGeometry(12, 100 - 61, 306, ListHeight);

    connect(rbNew_, &QRadioButton::clicked, this, [this] { RunGuarded([this] { rbNewClick(); }); });
    connect(rbOpen_, &QRadioButton::clicked, this, [this] { RunGuarded([this] { rbOpenClick(); }); });
    connect(rgProjects_, &TxRadioGroup::Click, this, [this] { RunGuarded([this] { rgProjectsClick(); }); });
}

void TKDProjectsWizardFrame::LoadPage()
{
    TKDCommonWizardFrame::LoadPage();
    QStringList captions;
    paths_.clear();
    TProjectData *env = ProjectData();
    if (env && env->Ini() && env->Ini()->OpenKey(QStringLiteral("projects"), false)) {
        const std::shared_ptr<IXMLNode> list = env->Ini()->GetCurrentNode();
        // Every child counts towards the six, whatever its name.
        const int n = std::min(MaxListed, list->ChildCount());
        for (int i = 0; i < n; ++i) {
            const std::shared_ptr<IXMLNode> entry = list->Child(i);
            if (!entry->NameIs(QStringLiteral("project")))
                continue;
            const QString path = entry->Attribute(QStringLiteral("path"));
            captions << projectCaption(path);
            paths_ << path;
        }
    }
    rgProjects_->setUpdatesEnabled(false);
    rgProjects_->SetItems(captions);
    // Project names are data, not texts of the program.
    for (QRadioButton *button : rgProjects_->findChildren<QRadioButton *>())
        TranslateIgnore(button, "text");
    // The items stack from the top of the box.
    rgProjects_->resize(rgProjects_->width(), std::min(ListHeight, rgProjects_->sizeHint().height()));
    rgProjects_->setUpdatesEnabled(true);
}

void TKDProjectsWizardFrame::rbNewClick()
{
    rgProjects_->SetItemIndex(-1);
    Wizard()->bnNextClick();
}

void TKDProjectsWizardFrame::rbOpenClick()
{
    // "Open..." acts as a push button.
    rgProjects_->SetItemIndex(-1);
    uncheck(rbOpen_);
    const QString file = OpenFileName(this, Translate(QStringLiteral("Open SlideShow")), ProjectFilter());
    if (!file.isEmpty())
        OpenProject(file);
}

void TKDProjectsWizardFrame::rgProjectsClick()
{
    const int index = rgProjects_->ItemIndex();
    uncheck(rbNew_);
    uncheck(rbOpen_);
    if (index >= 0 && index < paths_.size())
        OpenProject(paths_[index]);
}

void TKDProjectsWizardFrame::OpenProject(const QString &fileName)
{
    const std::shared_ptr<IXMLIni> project = NewXMLIni(fileName);
    if (!project->OpenKey(QStringLiteral("project"), false))
        return;
    KDSettings()->LoadFrom(*project);
    Wizard()->bnNextClick();
}

} // namespace kalido
