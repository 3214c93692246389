#pragma once

#include <QDialog>
#include <QImage>
#include <QList>
#include <QPointer>
#include <memory>

class QFrame;
class QPushButton;
class QTabWidget;

namespace kalido {

class TCommonWizardFrame;
class TCustomProperties;
class TCustomWizard;
class TxWizardBox;
class TxmlNode;

// The tab sheet that hosts one page frame in the wizard's page area.
class TWizardTabItem : public QWidget
{
    Q_OBJECT

public:
    explicit TWizardTabItem(TCustomWizard *wizard, QWidget *parent = nullptr);
    TCustomWizard *Wizard() const { return wizard_; }
    TCommonWizardFrame *Frame() const { return frame_; }
    void SetFrame(TCommonWizardFrame *frame) { frame_ = frame; }

private:
    TCustomWizard *wizard_;
    TCommonWizardFrame *frame_ = nullptr;
};

// The pages left by Next or jumped over in the step list.
class TPageHistory
{
public:
    void Push(TxmlNode *page) { pages_.append(page); }
    // The last page pushed; null when empty.
    TxmlNode *Pop() { return pages_.isEmpty() ? nullptr : pages_.takeLast(); }
    bool HasItems() const { return !pages_.isEmpty(); }
    void Clear() { pages_.clear(); }
    const QList<TxmlNode *> &Pages() const { return pages_; }

private:
    QList<TxmlNode *> pages_;
};

// The wizard window: the step list on the left, the page area (a tab control without visible
// tabs) and the buttons Back, Next, Start! and Cancel at the bottom. The steps come from the
// "wizard" element of the application definition; each page's frame is made through the page
// registry the first time the page is shown and gets the one settings object of the run.
//
// Handlers that react to the user (buttons, step clicks) show errors in the error box and leave
// the wizard where it was; the operations themselves throw.
class TCustomWizard : public QDialog
{
    Q_OBJECT

public:
    enum TWizardButton { wbBack, wbNext, wbFinish, wbCancel };

    explicit TCustomWizard(QWidget *parent = nullptr);
    ~TCustomWizard() override;

    // The definition's first "wizard" element becomes the wizard element (none when Root has none).
    void SetDefinition(TxmlNode *root);
    TxmlNode *WizardElement() const { return wizardElement_; }

    // Runs the wizard on Settings (not owned). False when there is no wizard element. When another
    // window is the application's main window the wizard runs modally and the result is whether it
    // closed with Start!; otherwise it becomes the main window, is shown and true is returned.
    bool Execute(TCustomProperties *settings);

    // Makes the page active, creating its frame when needed, then refreshes the steps.
    void ShowPage(TxmlNode *pageElement);
    TWizardTabItem *CreatePage(TxmlNode *pageElement);
    // Rebuilds the step list and selects the active page in it; "Pages not defined" when empty
    // and no page is active yet.
    void RefreshSteps();
    void StoreCurrentPage();

    TWizardTabItem *CurrentItem() const;
    TCommonWizardFrame *CurrentFrame() const;
    TCustomProperties *Settings() const { return settings_; }
    bool Started() const { return started_; }
    const TPageHistory &History() const { return history_; }

    void SetButtonState(TWizardButton button, bool enabled);
    // Copies Rect of the page background to the painter at Origin.
    void PaintPageBackground(QPainter &painter, const QRect &rect, const QPoint &origin);

    // Navigation; these throw on errors (the buttons show them instead).
    virtual void bnNextClick();
    virtual void bnBackClick();
    virtual void bnFinishClick();
    void StepBoxChange();

    QPushButton *bnBack() const { return bnBack_; }
    QPushButton *bnNext() const { return bnNext_; }
    QPushButton *bnFinish() const { return bnFinish_; }
    QPushButton *bnCancel() const { return bnCancel_; }
    TxWizardBox *StepBox() const { return stepBox_; }
    QTabWidget *pg() const { return pg_; }
    QWidget *pnLeft() const { return pnLeft_; }
    QWidget *pnBottom() const { return pnBottom_; }

protected:
    // Called last after every change of the active page.
    virtual void PageChanged() {}
    virtual void UpdateButtons();
    virtual TxmlNode *GetNextPage();
    // Appends the steps of the wizard element whose conditions hold to the step list.
    virtual void FillSteps();
    virtual QString GetCaption();

    // The active page changed: load it, update the buttons, focus it.
    void pgChange();

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void paintBackground();
    void guardedMove(void (TCustomWizard::*move)());

    TCustomProperties *settings_ = nullptr;
    bool started_ = false;
    bool pgConnected_ = false;
    TPageHistory history_;
    TxmlNode *wizardElement_ = nullptr;
    QImage background_;

    QWidget *pnBottom_;
    QFrame *bevel1_;
    QWidget *pnButtons_;
    QPushButton *bnBack_;
    QPushButton *bnNext_;
    QPushButton *bnFinish_;
    QPushButton *bnCancel_;
    QWidget *pnLeft_;
    QTabWidget *pg_;
    TxWizardBox *stepBox_;
};

// The application's main window, if one has been chosen; a wizard executed while another window
// holds this place runs modally.
QWidget *ApplicationMainWindow();
void SetApplicationMainWindow(QWidget *window);

} // namespace kalido
