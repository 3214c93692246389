#include "app/KDSelectFrames.h"

#include "app/AppDialogs.h"
#include "files/FileList.h"
#include "project/KDProperties.h"
#include "services/MessageBus.h"
#include "shell/Languages.h"
#include "shell/ProjectData.h"
#include "util/Paths.h"
#include "wizard/Controls.h"
#include "wizard/CustomWizard.h"
#include "wizard/ErrorBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

namespace kalido {

namespace {

// Controls sit below the page header, which is 61 pixels high.
constexpr int HeaderHeight = 61;

QRect at(int left, int top, int width, int height)
{
    return QRect(left, top - HeaderHeight, width, height);
}

bool acceptsDrop(const QMimeData *data, Qt::DropActions actions)
{
    return data && data->hasUrls() && (actions & (Qt::CopyAction | Qt::MoveAction | Qt::LinkAction));
}

void setEditColor(QWidget *edit, const QColor &color)
{
    QPalette p = edit->palette();
    p.setColor(QPalette::Base, color);
    edit->setPalette(p);
}

TKDSelectMusicWizardFrame::TDriveLister &driveLister()
{
    static TKDSelectMusicWizardFrame::TDriveLister lister;
    return lister;
}

} // namespace

// ---- Common select page -----------------------------------------------------------------------

TKDCommonSelectWizardFrame::TKDCommonSelectWizardFrame(QWidget *owner) : TKDCommonWizardFrame(owner)
{
    lblFolder_ = new QLabel(QStringLiteral("Select folder:"), Body());
    lblFolder_->setObjectName(QStringLiteral("lblFolder"));
    lblFolder_->setGeometry(at(12, 92, 306, 16));

    edFolder_ = new TxButtonEdit(Body());
    edFolder_->setObjectName(QStringLiteral("edFolder"));
    edFolder_->setGeometry(at(12, 111, 306, 22));
    // Drops on the edit belong to the page, not to the edit's own text drop.
    edFolder_->setAcceptDrops(false);
    connect(edFolder_, &TxButtonEdit::ButtonClick, this,
            [this] { RunGuarded([this] { edFolderSubEditButton0Click(); }); });

    cbSubFolders_ = new QCheckBox(QStringLiteral("Include subfolders"), Body());
    cbSubFolders_->setObjectName(QStringLiteral("cbSubFolders"));
    cbSubFolders_->setGeometry(at(32, 144, 286, 18));

    // The drop target covers the whole page.
    setAcceptDrops(true);
}

bool TKDCommonSelectWizardFrame::DroppedMode() const
{
    return !cbSubFolders_->isEnabled();
}

void TKDCommonSelectWizardFrame::LoadPage()
{
    disconnect(changeHandler_);
    if (GetFileList().Count() == 0) {
        TKDCommonWizardFrame::LoadPage();
        setEditColor(edFolder_, palette().color(QPalette::Base));
        cbSubFolders_->setEnabled(true);
        return;
    }
    edFolder_->setText(Translate(QStringLiteral("%1 files dropped")).arg(GetFileList().Count()));
    setEditColor(edFolder_, QColor::fromRgb(DroppedColor));
    cbSubFolders_->setEnabled(false);
    // Connected after the text is set, so that setting it does not count as the user's change.
    changeHandler_ = connect(edFolder_, &QLineEdit::textChanged, this, [this] { edFolderChange(); });
}

void TKDCommonSelectWizardFrame::edFolderChange()
{
    setEditColor(edFolder_, palette().color(QPalette::Base));
    cbSubFolders_->setEnabled(true);
    disconnect(changeHandler_);
}

void TKDCommonSelectWizardFrame::StorePage()
{
    if (!cbSubFolders_->isEnabled())
        return; // dropped mode: the dropped list stays and the folder settings keep their values
    GetFileList().Clear();
    TKDCommonWizardFrame::StorePage();
}

void TKDCommonSelectWizardFrame::edFolderSubEditButton0Click()
{
    const QString folder = BrowseFolder(this, Translate(QStringLiteral("Select folder")), edFolder_->text());
    if (!folder.isEmpty())
        edFolder_->setText(QDir::toNativeSeparators(folder));
}

void TKDCommonSelectWizardFrame::DropTargetDrop(const QStringList &items)
{
    const int before = GetFileList().Count();
    AddDroppedItems(items);
    if (GetFileList().Count() == 0 || GetFileList().Count() == before) {
        // Nothing suitable: the page stays as it was.
        ShowMessage(this, Translate(QStringLiteral("Can not find suitable files")));
        return;
    }
    cbSubFolders_->setEnabled(false);
    TCustomWizard *wizard = Wizard();
    if (wizard->bnNext()->isEnabled())
        wizard->bnNextClick();
    else
        LoadPage();
}

void TKDCommonSelectWizardFrame::dragEnterEvent(QDragEnterEvent *event)
{
    if (acceptsDrop(event->mimeData(), event->possibleActions()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TKDCommonSelectWizardFrame::dragMoveEvent(QDragMoveEvent *event)
{
    if (acceptsDrop(event->mimeData(), event->possibleActions()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TKDCommonSelectWizardFrame::dropEvent(QDropEvent *event)
{
    if (!acceptsDrop(event->mimeData(), event->possibleActions())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    const QStringList items = DroppedPaths(*event->mimeData());
    RunGuarded([this, &items] { DropTargetDrop(items); });
}

// ---- Photo page -------------------------------------------------------------------------------

TKDSelectPhotoWizardFrame::TKDSelectPhotoWizardFrame(QWidget *owner) : TKDCommonSelectWizardFrame(owner)
{
    Image()->setPixmap(QPixmap(QStringLiteral(":/images/photos.png")));
    Label1()->setText(QStringLiteral("Select folder with photos\nor drag photos from explorer here"));
}

void TKDSelectPhotoWizardFrame::InitPage()
{
    SetBindings({QStringLiteral("PhotoSource=edFolder"), QStringLiteral("PhotoSubFolders=cbSubFolders")});
}

void TKDSelectPhotoWizardFrame::AddDroppedItems(const QStringList &items)
{
    TKDProperties *settings = KDSettings();
    settings->AddDroppedItems(settings->PhotoFiles(), settings->PhotoExtensions(), {}, items);
}

TFileList &TKDSelectPhotoWizardFrame::GetFileList()
{
    return KDSettings()->PhotoFiles();
}

// ---- Music page -------------------------------------------------------------------------------

void TKDSelectMusicWizardFrame::SetDriveLister(TDriveLister lister)
{
    driveLister() = std::move(lister);
}

TKDSelectMusicWizardFrame::TKDSelectMusicWizardFrame(QWidget *owner) : TKDCommonSelectWizardFrame(owner)
{
    Image()->setPixmap(QPixmap(QStringLiteral(":/images/music.png")));
    Label1()->setText(QStringLiteral("Select music source\nor drag music from explorer here"));

    rbFolder_ = new QRadioButton(Body());
    rbFolder_->setObjectName(QStringLiteral("rbFolder"));
    rbFolder_->setGeometry(at(12, 86, 18, 18));
    lblFolder()->setGeometry(at(32, 88, 286, 16));
    edFolder()->setGeometry(at(32, 111, 286, 22));
    cbSubFolders()->setGeometry(at(52, 140, 266, 18));

    rbCD_ = new QRadioButton(QStringLiteral("Use music from CD"), Body());
    rbCD_->setObjectName(QStringLiteral("rbCD"));
    rbCD_->setGeometry(at(12, 176, 306, 20));
    lblDrive_ = new QLabel(QStringLiteral("Drive:"), Body());
    lblDrive_->setObjectName(QStringLiteral("lblDrive"));
    lblDrive_->setGeometry(at(32, 207, 70, 16));
    cbDrive_ = new QComboBox(Body());
    cbDrive_->setObjectName(QStringLiteral("cbDrive"));
    cbDrive_->setGeometry(at(104, 203, 214, 22));
    cbDrive_->setAcceptDrops(false);

    // Entering the folder edit or ticking the box picks the folder; entering the drive list, the CD.
    edFolder()->installEventFilter(this);
    cbDrive_->installEventFilter(this);
    connect(cbSubFolders(), &QCheckBox::clicked, this, [this] { rbFolder_->setChecked(true); });

    if ((bus_ = MessageBus()))
        bus_->Subscribe(QStringList{QStringLiteral("device.arrival"), QStringLiteral("device.remove")},
                        TMessageEvent(this, &TKDSelectMusicWizardFrame::DeviceChanged));
}

TKDSelectMusicWizardFrame::~TKDSelectMusicWizardFrame()
{
    // The bus holds no reference to the page: end the subscription before the page goes.
    if (bus_ && MessageBus() == bus_)
        bus_->UnsubscribeAll(this);
}

bool TKDSelectMusicWizardFrame::eventFilter(QObject *watched, QEvent *event)
{
    // Only the user's own moves count: the focus the wizard hands the page must not pick a choice.
    bool entered = event->type() == QEvent::MouseButtonPress;
    if (event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        entered = reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
                  reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
    }
    if (entered) {
        if (watched == edFolder())
            rbFolder_->setChecked(true);
        else if (watched == cbDrive_ && cbDrive_->isEnabled())
            rbCD_->setChecked(true);
    }
    return TKDCommonSelectWizardFrame::eventFilter(watched, event);
}

void TKDSelectMusicWizardFrame::InitPage()
{
    SetBindings({QStringLiteral("MusicSource=edFolder"), QStringLiteral("MusicSubFolders=cbSubFolders")});
    RefreshDrives();
}

void TKDSelectMusicWizardFrame::DeviceChanged(IMessageBus &, const QString &, const QVariant &)
{
    RefreshDrives();
}

void TKDSelectMusicWizardFrame::RefreshDrives()
{
    const QList<cd::CdDrive> drives = driveLister() ? driveLister()() : cd::ListDrives();
    cbDrive_->setUpdatesEnabled(false);
    cbDrive_->clear();
    for (const cd::CdDrive &drive : drives)
        cbDrive_->addItem(drive.displayName, drive.device);
    cbDrive_->setUpdatesEnabled(true);
    const bool any = cbDrive_->count() > 0;
    cbDrive_->setEnabled(any);
    rbCD_->setEnabled(any);
    lblDrive_->setEnabled(any);
    if (rbCD_->isChecked())
        rbFolder_->setChecked(true);
    if (any)
        cbDrive_->setCurrentIndex(0);
}

void TKDSelectMusicWizardFrame::selectNone()
{
    rbFolder_->setAutoExclusive(false);
    rbCD_->setAutoExclusive(false);
    rbFolder_->setChecked(false);
    rbCD_->setChecked(false);
    rbFolder_->setAutoExclusive(true);
    rbCD_->setAutoExclusive(true);
}

void TKDSelectMusicWizardFrame::LoadPage()
{
    TKDCommonSelectWizardFrame::LoadPage();
    const TMusicSourceMode mode = KDSettings()->MusicSourceMode();
    if (mode == TKDProperties::msmFolder || !rbCD_->isEnabled())
        rbFolder_->setChecked(true);
    else if (mode == TKDProperties::msmCD)
        rbCD_->setChecked(true);
    else
        selectNone();
}

void TKDSelectMusicWizardFrame::StorePage()
{
    TKDCommonSelectWizardFrame::StorePage();
    TKDProperties *settings = KDSettings();
    // Without a drive to take (the drives went away while neither choice was selected) the
    // folder is the only source left.
    if (rbFolder_->isChecked() || cbDrive_->currentIndex() < 0) {
        settings->SetMusicSourceMode(TKDProperties::msmFolder);
        return;
    }
    settings->SetMusicSourceMode(TKDProperties::msmCD);
    settings->SetMusicSource(IncludeSlash(cbDrive_->currentData().toString()));
}

void TKDSelectMusicWizardFrame::FocusPage()
{
    if (rbFolder_->isChecked())
        edFolder()->setFocus(Qt::OtherFocusReason);
    else if (rbCD_->isChecked())
        cbDrive_->setFocus(Qt::OtherFocusReason);
}

void TKDSelectMusicWizardFrame::AddDroppedItems(const QStringList &items)
{
    TKDProperties *settings = KDSettings();
    settings->AddDroppedItems(settings->MusicFiles(), settings->MusicExtensions(), {}, items);
}

TFileList &TKDSelectMusicWizardFrame::GetFileList()
{
    return KDSettings()->MusicFiles();
}

} // namespace kalido
