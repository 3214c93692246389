#include "app/Startup.h"

#include "app/KDOptionsFrame.h"
#include "app/KDProjectsFrame.h"
#include "app/KDSelectFrames.h"
#include "app/MainWizardForm.h"
#include "player/MusicPlayer.h"
#include "project/CustomProperties.h"
#include "project/KDProperties.h"
#include "shell/Languages.h"
#include "shell/ProjectData.h"
#include "util/AppPaths.h"
#include "wizard/ErrorBox.h"
#include "wizard/PropertyManager.h"
#include "wizard/WizardManager.h"

#include <QIcon>
#include <QPointer>

namespace kalido {

TKalidoApplication::TKalidoApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool DeliverGuarded(const std::function<bool()> &deliver)
{
    try {
        return deliver();
    } catch (const std::exception &e) {
        ShowErrorMessage(ErrorMessage(e));
    } catch (...) {
        ShowErrorMessage(QStringLiteral("Unknown error"));
    }
    return false;
}

bool TKalidoApplication::notify(QObject *receiver, QEvent *event)
{
    return DeliverGuarded([&] { return QApplication::notify(receiver, event); });
}

void RegisterKalidoPages()
{
    RegisterPage<TKDSelectPhotoWizardFrame>(QStringLiteral("SelectPhoto"));
    RegisterPage<TKDSelectMusicWizardFrame>(QStringLiteral("SelectMusic"));
    RegisterPage<TKDOptionsWizardFrame>(QStringLiteral("Options"));
    RegisterPage<TKDProjectsWizardFrame>(QStringLiteral("SelectProject"));
}

void StartModules()
{
    CreatePropertyManager();
    // The translation engine picks the language the environment asks for.
    GetCurrentLanguage();
    CreateWizardManager();
    InitPaths();
    RegisterKDProperties();
    CreateLanguagesEx();
    RegisterKalidoPages();
    TMusicPlayer::Install();
}

void StopModules()
{
    FreeLanguages();
    DoneCustomProperties();
    FreeProjectData();
    ClearPaths();
    FreeWizardManager();
    FreePropertyManager();
}

int RunKalido(int argc, char **argv)
{
    StartModules();
    int rc = 0;
    {
        TKalidoApplication app(argc, argv);
        // Windows' error mode has no counterpart here: a drive without a disc shows nothing anyway.
        QApplication::setApplicationName(QStringLiteral("Kalido"));
        QApplication::setApplicationDisplayName(QStringLiteral("Kalido"));
        QApplication::setDesktopFileName(QStringLiteral("kalido"));
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/kalido.png")));
        QApplication::setQuitOnLastWindowClosed(false);

        bool envReady = false;
        try {
            new TProjectData(&app);
            envReady = true;
        } catch (const std::exception &e) {
            ShowErrorMessage(ErrorMessage(e));
            rc = 1;
        }
        if (envReady) {
            QPointer<TMainWizardForm> window = new TMainWizardForm;
            QObject::connect(window, &TMainWizardForm::Terminated, &app, &QCoreApplication::quit,
                             Qt::QueuedConnection);
            rc = app.exec();
            delete window.data();
        }
        // The environment's module destroys it before the application object goes.
        FreeProjectData();
        StopModules();
    }
    return rc;
}

} // namespace kalido
