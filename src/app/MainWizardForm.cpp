#include "app/MainWizardForm.h"

#include "files/FileList.h"
#include "platform/devices/VolumeWatcher.h"
#include "player/PhotoView.h"
#include "player/PreviewForm.h"
#include "project/CustomProperties.h"
#include "project/KDProperties.h"
#include "shell/Languages.h"
#include "shell/ProjectData.h"
#include "wizard/CommonWizardFrame.h"
#include "wizard/ErrorBox.h"
#include "wizard/Skin.h"
#include "wizard/WizardBox.h"
#include "xml/XmlNode.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QMenu>
#include <QPainter>
#include <QTabWidget>
#include <QToolButton>

namespace kalido {

namespace {

std::function<void(TPreviewForm &)> &playerHook()
{
    static std::function<void(TPreviewForm &)> hook;
    return hook;
}

// A small globe for the language button.
QIcon globeIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(21, 66, 139), 2.5));
    p.setBrush(QColor(196, 221, 255));
    p.drawEllipse(QRectF(3, 3, 26, 26));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(10, 3, 12, 26));
    p.drawLine(QPointF(3, 16), QPointF(29, 16));
    p.drawLine(QPointF(16, 3), QPointF(16, 29));
    return QIcon(pixmap);
}

} // namespace

TMainWizardForm::TMainWizardForm(QWidget *parent) : TCustomWizard(parent)
{
    setObjectName(QStringLiteral("MainWizardForm"));
    // A system menu and minimise, but no maximise and no help button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/images/kalido.png")));

    bnLanguage_ = new QToolButton(pnBottom());
    bnLanguage_->setObjectName(QStringLiteral("bnLanguage"));
    bnLanguage_->setGeometry(6, 10, 24, 22);
    bnLanguage_->setIcon(globeIcon());
    bnLanguage_->setIconSize(QSize(16, 16));
    bnLanguage_->setAutoRaise(true);
    bnLanguage_->setToolTip(QStringLiteral("Language"));
    bnLanguage_->setPopupMode(QToolButton::InstantPopup);
    bnLanguage_->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0; }"));
    languageMenu_ = new QMenu(bnLanguage_);
    languageMenu_->setObjectName(QStringLiteral("pmLanguages"));
    bnLanguage_->setMenu(languageMenu_);
    TranslateComponent(bnLanguage_);

    watcher_ = new TVolumeWatcher(this);
    if (IMessageBus *bus = MessageBus())
        ForwardVolumesToBus(*watcher_, *bus);

    bool ok = false;
    try {
        FormCreate();
        ok = true;
    } catch (const std::exception &e) {
        ShowErrorMessage(ErrorMessage(e));
    }
    if (!ok || !isVisible()) {
        // The window opens without pages; Cancel still ends the program.
        if (!ApplicationMainWindow())
            SetApplicationMainWindow(this);
        show();
    }
}

TMainWizardForm::~TMainWizardForm()
{
    // The pages go before the settings object they work on.
    while (pg()->count() > 0)
        delete pg()->widget(0);
    settingsObject_.reset();
}

void TMainWizardForm::FormCreate()
{
    setFixedSize(ClientWidth, ClientHeight);
    SelectSkin(QString::fromLatin1(DefaultSkinName));
    TProjectData *env = ProjectData();
    definition_ = env ? env->Definition() : nullptr;
    if (!PropertiesClass())
        throw Exception(QStringLiteral("Properties Class does not assigned"));
    settingsObject_ = PropertiesClass().Create();
    BuildLanguageMenu();
    setWindowTitle(Translate(QStringLiteral("Kalido")));
    SetDefinition(definition_);
    if (!Execute(settingsObject_.get()))
        throw Exception(QStringLiteral("Pages not defined"));
}

void TMainWizardForm::SetPlayerHook(std::function<void(TPreviewForm &)> hook)
{
    playerHook() = std::move(hook);
}

void TMainWizardForm::bnCancelClick()
{
    if (released_)
        return;
    released_ = true;
    hide();
    deleteLater();
    emit Terminated();
}

void TMainWizardForm::reject()
{
    bnCancelClick();
}

void TMainWizardForm::closeEvent(QCloseEvent *event)
{
    event->accept();
    bnCancelClick();
}

void TMainWizardForm::bnFinishClick()
{
    StoreCurrentPage();
    auto *settings = qobject_cast<TKDProperties *>(Settings());
    if (!settings)
        throw EInvalidCast(QStringLiteral("Invalid class typecast"));
    const bool photosFromFolder = settings->PhotoFiles().Count() == 0;
    const bool musicFromFolder = settings->MusicFiles().Count() == 0;

    auto *player = new TPreviewForm();
    lastShown_ = false;
    try {
        if (playerHook())
            playerHook()(*player);
        player->Run(settings);
    } catch (...) {
        player->deleteLater();
        throw;
    }
    lastShown_ = player->Shown();
    player->deleteLater();
    if (lastShown_) {
        close();
        return;
    }
    // The player filled the lists by scanning the folders; keeping its findings would turn the
    // source pages into dropped mode.
    if (photosFromFolder)
        settings->PhotoFiles().Clear();
    if (musicFromFolder)
        settings->MusicFiles().Clear();
    showSourcePageAgain();
}

void TMainWizardForm::showSourcePageAgain()
{
    // No photo could be shown: the photo source page lets the user pick another folder.
    const auto &steps = StepBox()->Pages();
    int target = -1;
    for (int i = 0; i < steps.size(); ++i) {
        if (!steps[i].Page)
            continue;
        if (target < 0)
            target = i;
        if (steps[i].Page->Attribute("class").compare(QStringLiteral("SelectPhoto"), Qt::CaseInsensitive) ==
            0) {
            target = i;
            break;
        }
    }
    if (target < 0)
        return;
    StepBox()->SetItemIndex(target);
    StepBoxChange();
}

void TMainWizardForm::BuildLanguageMenu()
{
    // The menu may be rebuilt from one of its own items' handlers: old items go later.
    for (QAction *old : languageMenu_->actions()) {
        languageMenu_->removeAction(old);
        old->deleteLater();
    }
    if (languageGroup_)
        languageGroup_->deleteLater();
    languageGroup_ = new QActionGroup(languageMenu_);
    languageGroup_->setExclusive(true);

    const QString current = GetCurrentLanguage();
    const TGTLanguageList &list = LanguageList();
    bool ticked = false;
    for (int i = 0; i < list.Count(); ++i) {
        auto *item = new QAction(list.Name(i), languageGroup_);
        TranslateIgnore(item, "text");
        item->setCheckable(true);
        item->setData(i);
        if (list.Code(i) == current) {
            item->setChecked(true);
            ticked = true;
        }
        connect(item, &QAction::triggered, this,
                [this, i] { RunGuarded([this, i] { SwitchLanguage(LanguageList().Code(i)); }); });
        languageMenu_->addAction(item);
    }
    if (!ticked && !languageMenu_->actions().isEmpty())
        languageMenu_->actions().first()->setChecked(true);
}

void TMainWizardForm::SwitchLanguage(const QString &code)
{
    if (code.compare(GetCurrentLanguage(), Qt::CaseInsensitive) == 0)
        return;
    UseLanguage(code);
    // The window and every page made so far, which live inside it.
    RetranslateComponent(this);
    if (CurrentItem())
        RefreshSteps();
    BuildLanguageMenu();
}

} // namespace kalido
