#pragma once

#include "wizard/CustomWizard.h"

#include <QPointer>
#include <functional>
#include <memory>

class QActionGroup;
class QMenu;
class QToolButton;

namespace kalido {

class TPreviewForm;
class TVolumeWatcher;

// The program's main window: the wizard over the application definition, with a fixed size,
// the language menu, the volume notifications passed on to the bus, and "Start!" running the
// slideshow. Closing it in any way ends the program.
class TMainWizardForm : public TCustomWizard
{
    Q_OBJECT

public:
    // Fixed client size of the window.
    static constexpr int ClientWidth = 492;
    static constexpr int ClientHeight = 331;

    explicit TMainWizardForm(QWidget *parent = nullptr);
    ~TMainWizardForm() override;

    // The slideshow settings of this run (owned); null when creation failed.
    TCustomProperties *SettingsObject() const { return settingsObject_.get(); }

    void bnCancelClick();
    void bnFinishClick() override;

    void BuildLanguageMenu();
    void SwitchLanguage(const QString &code);

    QToolButton *bnLanguage() const { return bnLanguage_; }
    QMenu *LanguageMenu() const { return languageMenu_; }
    TVolumeWatcher *VolumeWatcher() const { return watcher_; }

    // Called with each player window before it runs (tests speed the show up through it).
    static void SetPlayerHook(std::function<void(TPreviewForm &)> hook);
    // Whether the last show displayed a photo.
    bool LastShowShown() const { return lastShown_; }

signals:
    // The window was released; the application should end.
    void Terminated();

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void showSourcePageAgain();

    std::unique_ptr<TCustomProperties> settingsObject_;
    TxmlNode *definition_ = nullptr;
    QToolButton *bnLanguage_ = nullptr;
    QMenu *languageMenu_ = nullptr;
    QPointer<QActionGroup> languageGroup_;
    TVolumeWatcher *watcher_ = nullptr;
    bool released_ = false;
    bool lastShown_ = false;
};

} // namespace kalido
