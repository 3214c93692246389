#pragma once

#include "project/CustomProperties.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace kalido {

class TWideStringHash;

// The slideshow's settings: where the photos and the music come from, how long each photo
// stays, and the photo and music lists that drops fill and the player walks.
class TKDProperties : public TCustomProperties
{
    Q_OBJECT
    Q_PROPERTY(int ProjectCount READ ProjectCount)
    Q_PROPERTY(QString PhotoSource READ PhotoSource WRITE SetPhotoSource)
    Q_PROPERTY(bool PhotoSubFolders READ PhotoSubFolders WRITE SetPhotoSubFolders)
    Q_PROPERTY(QString MusicSource READ MusicSource WRITE SetMusicSource)
    Q_PROPERTY(bool MusicSubFolders READ MusicSubFolders WRITE SetMusicSubFolders)
    Q_PROPERTY(TMusicSourceMode MusicSourceMode READ MusicSourceMode WRITE SetMusicSourceMode)
    Q_PROPERTY(int Timeout READ Timeout WRITE SetTimeout)

public:
    // Where the music comes from. msmWMP has no meaning of its own; it is kept so that project
    // files that carry it load and save unchanged.
    enum TMusicSourceMode { msmFolder, msmCD, msmWMP };
    Q_ENUM(TMusicSourceMode)

    // Called before a dropped folder is scanned; setting abort stops the rest of that folder.
    using TDropFolderEvent = std::function<void(const QString &folder, bool &abort)>;
    // Hands out the per-user settings store that holds the "projects" list.
    using TStoreProvider = std::function<std::shared_ptr<IXMLIni>()>;

    explicit TKDProperties(QObject *parent = nullptr);
    ~TKDProperties() override;

    // The number of saved projects, read on first access and cached until ReloadProjectCount.
    int ProjectCount() const;
    const QString &PhotoSource() const { return photoSource_; }
    void SetPhotoSource(const QString &value) { photoSource_ = value; }
    bool PhotoSubFolders() const { return photoSubFolders_; }
    void SetPhotoSubFolders(bool value) { photoSubFolders_ = value; }
    const QString &MusicSource() const { return musicSource_; }
    void SetMusicSource(const QString &value) { musicSource_ = value; }
    bool MusicSubFolders() const { return musicSubFolders_; }
    void SetMusicSubFolders(bool value) { musicSubFolders_ = value; }
    TMusicSourceMode MusicSourceMode() const { return musicSourceMode_; }
    void SetMusicSourceMode(TMusicSourceMode value) { musicSourceMode_ = value; }
    // Photo display time in seconds.
    int Timeout() const { return timeout_; }
    void SetTimeout(int value) { timeout_ = value; }

    TFileList &MusicFiles() { return *musicFiles_; }
    TFileList &PhotoFiles() { return *photoFiles_; }
    // ".jpg", ".jpeg", ".tif", ".tiff"; made on first use.
    TWideStringHash &PhotoExtensions();
    // ".wma", ".mp3", ".ogg", ".cda"; made on first use.
    TWideStringHash &MusicExtensions();

    // Re-reads the number of children of the "projects" key of the per-user settings.
    void ReloadProjectCount();
    // Where ReloadProjectCount finds the per-user settings. Without a provider it is the
    // environment object's "desktop.xml" store; no store at all counts 0 projects.
    void SetStoreProvider(TStoreProvider provider) { storeProvider_ = std::move(provider); }

    // Adds the files of dropped items (full file-system paths, in drop order; empty for items
    // that are not files) whose extension is in extensions. Folders are scanned to every depth,
    // each at most once per drop; links are taken by their targets. Ends with MakeRelative over
    // the whole list, so entries of an earlier drop and the new ones share one BasePath.
    void AddDroppedItems(TFileList &list, const TWideStringHash &extensions, const TDropFolderEvent &onFolder,
                         const QStringList &items);

protected:
    // One dropped item; true when a file was added. Only valid inside AddDroppedItems.
    bool AddDroppedItem(TFileList &list, const TWideStringHash &extensions, const TDropFolderEvent &onFolder,
                        const QString &path);
    // Scans folder (ending in the delimiter) and everything below it into list.
    void ScanDroppedFolder(TFileList &list, const TWideStringHash &extensions,
                           const TDropFolderEvent &onFolder, const QString &folder);

private:
    QString photoSource_;
    bool photoSubFolders_ = true;
    bool musicSubFolders_ = false;
    QString musicSource_;
    int timeout_ = 3;
    std::unique_ptr<TFileList> musicFiles_;
    std::unique_ptr<TFileList> photoFiles_;
    std::unique_ptr<TWideStringHash> photoExtensions_;
    std::unique_ptr<TWideStringHash> musicExtensions_;
    mutable int projectCount_ = 0;
    mutable bool projectCountLoaded_ = false;
    // Canonical paths of the folders scanned so far; exists only during AddDroppedItems.
    std::optional<QSet<QString>> dropVisited_;
    TMusicSourceMode musicSourceMode_ = msmFolder;
    TStoreProvider storeProvider_;
};

using TMusicSourceMode = TKDProperties::TMusicSourceMode;

// Start-up step of the slideshow settings: makes TKDProperties the PropertiesClass.
void RegisterKDProperties();

} // namespace kalido
