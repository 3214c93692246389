#pragma once

#include "wizard/KDCommonWizardFrame.h"

#include <QStringList>

class QRadioButton;

namespace kalido {

class TxRadioGroup;

// The projects page: a new project, a project file opened from disk, or one of the first six
// saved projects. Opening a project loads it into the settings and moves on at once.
class TKDProjectsWizardFrame : public TKDCommonWizardFrame
{
    Q_OBJECT

public:
    // How many saved projects the page offers.
    static constexpr int MaxListed = 6;

    explicit TKDProjectsWizardFrame(QWidget *owner);

    // Rebuilds the list from the saved projects.
    void LoadPage() override;

    void rbNewClick();
    void rbOpenClick();
    void rgProjectsClick();
    // Loads the project file into the settings and presses Next; a file without a project
    // changes nothing.
    void OpenProject(const QString &fileName);

    QRadioButton *rbNew() const { return rbNew_; }
    QRadioButton *rbOpen() const { return rbOpen_; }
    TxRadioGroup *rgProjects() const { return rgProjects_; }
    // The path behind each listed project, in list order.
    const QStringList &ProjectPaths() const { return paths_; }

private:
    QRadioButton *rbNew_;
    QRadioButton *rbOpen_;
    TxRadioGroup *rgProjects_;
    QStringList paths_;
};

} // namespace kalido
