#pragma once

#include "platform/cd/CdAudio.h"
#include "wizard/KDCommonWizardFrame.h"

#include <QList>
#include <QMetaObject>
#include <functional>

class QCheckBox;
class QComboBox;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QLabel;
class QRadioButton;

namespace kalido {

class IMessageBus;
class TFileList;
class TxButtonEdit;

// Base of the two source pages: a folder with an "Include subfolders" box, or files dropped on
// the page. With an empty file list the page is in folder mode and leaving it stores the folder
// and empties the list; with dropped files it shows how many, tinted, and stores nothing.
class TKDCommonSelectWizardFrame : public TKDCommonWizardFrame
{
    Q_OBJECT

public:
    // The folder edit's tint in dropped mode.
    static constexpr QRgb DroppedColor = 0xFFE4F1FE;

    explicit TKDCommonSelectWizardFrame(QWidget *owner);

    void LoadPage() override;
    void StorePage() override;

    // Appends the matching files of dropped paths to the page's list.
    virtual void AddDroppedItems(const QStringList &items) = 0;
    virtual TFileList &GetFileList() = 0;

    // A drop of these paths on the page, as the drop target delivers it.
    void DropTargetDrop(const QStringList &items);

    bool DroppedMode() const;

    QLabel *lblFolder() const { return lblFolder_; }
    TxButtonEdit *edFolder() const { return edFolder_; }
    QCheckBox *cbSubFolders() const { return cbSubFolders_; }

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

    void edFolderSubEditButton0Click();
    void edFolderChange();

private:
    QLabel *lblFolder_;
    TxButtonEdit *edFolder_;
    QCheckBox *cbSubFolders_;
    QMetaObject::Connection changeHandler_;
};

class TKDSelectPhotoWizardFrame : public TKDCommonSelectWizardFrame
{
    Q_OBJECT

public:
    explicit TKDSelectPhotoWizardFrame(QWidget *owner);

    void InitPage() override;
    void AddDroppedItems(const QStringList &items) override;
    TFileList &GetFileList() override;
};

class TKDSelectMusicWizardFrame : public TKDCommonSelectWizardFrame
{
    Q_OBJECT

public:
    // Where the page learns which CD drives exist; cd::ListDrives by default.
    using TDriveLister = std::function<QList<cd::CdDrive>()>;
    static void SetDriveLister(TDriveLister lister);

    explicit TKDSelectMusicWizardFrame(QWidget *owner);
    ~TKDSelectMusicWizardFrame() override;

    void InitPage() override;
    void LoadPage() override;
    void StorePage() override;
    void FocusPage() override;
    void AddDroppedItems(const QStringList &items) override;
    TFileList &GetFileList() override;

    // Fills the drive list anew; the folder choice is selected again if the CD choice was.
    void RefreshDrives();
    void DeviceChanged(IMessageBus &sender, const QString &topic, const QVariant &data);

    QRadioButton *rbFolder() const { return rbFolder_; }
    QRadioButton *rbCD() const { return rbCD_; }
    QComboBox *cbDrive() const { return cbDrive_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void selectNone();

    QRadioButton *rbFolder_;
    QRadioButton *rbCD_;
    QLabel *lblDrive_;
    QComboBox *cbDrive_;
    IMessageBus *bus_ = nullptr;
};

} // namespace kalido
