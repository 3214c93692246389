#pragma once

#include "wizard/KDCommonWizardFrame.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kalido {

// The options page: the photo display time and "Save project as...". A saved project is also
// entered, once, in the list of saved projects of the per-user settings.
class TKDOptionsWizardFrame : public TKDCommonWizardFrame
{
    Q_OBJECT

public:
    explicit TKDOptionsWizardFrame(QWidget *owner);

    void LoadPage() override;
    // Timeout takes the typed number; text that is not an integer leaves it unchanged.
    void StorePage() override;

    void bnSaveProjectClick();
    // Writes the settings as the project file FileName (".kdp" added when it has no extension)
    // and lists it among the saved projects. False, with a message to the user, when the file
    // could not be written; the list is then left as it was.
    bool SaveProject(const QString &fileName);

    QLineEdit *edTimeout() const { return edTimeout_; }
    QPushButton *bnSaveProject() const { return bnSaveProject_; }

private:
    QLabel *lblTimeout_;
    QLineEdit *edTimeout_;
    QPushButton *bnSaveProject_;
};

} // namespace kalido
