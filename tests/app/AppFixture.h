// Shared set-up of the program's tests: the modules started as the program starts them, an
// environment object on a temporary per-user folder, the shipped definition, recorded messages
// and dialog answers given by the test.
#pragma once

#include "app/AppDialogs.h"
#include "app/KDOptionsFrame.h"
#include "app/KDProjectsFrame.h"
#include "app/KDSelectFrames.h"
#include "app/MainWizardForm.h"
#include "app/Startup.h"
#include "files/FileList.h"
#include "player/MusicPlayer.h"
#include "player/PhotoView.h"
#include "player/PreviewForm.h"
#include "project/KDProperties.h"
#include "shell/Languages.h"
#include "shell/ProjectData.h"
#include "store/ProjectList.h"
#include "store/XmlIni.h"
#include "util/FsName.h"
#include "wizard/Controls.h"
#include "wizard/ErrorBox.h"
#include "wizard/PropertyManager.h"
#include "wizard/WizardBox.h"
#include "wizard/WizardManager.h"
#include "xml/XmlNode.h"

#include "TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

namespace kalido::test {

class AppFixture : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        CreatePropertyManager();
        CreateWizardManager();
        RegisterKDProperties();
        CreateLanguagesEx();
        RegisterKalidoPages();
        TMusicPlayer::Install();
    }

    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        SetErrorHandler([this](const QString &m) { errors << m; });
        AppDialogs().Message = [this](QWidget *, const QString &text, bool) { messages << text; };
        AppDialogs().SaveFile = [this](QWidget *, const QString &title, const QString &) {
            dialogTitles << title;
            return saveAnswer;
        };
        AppDialogs().OpenFile = [this](QWidget *, const QString &title, const QString &) {
            dialogTitles << title;
            return openAnswer;
        };
        AppDialogs().BrowseFolder = [this](QWidget *, const QString &title, const QString &) {
            dialogTitles << title;
            return browseAnswer;
        };
        TKDSelectMusicWizardFrame::SetDriveLister([this] { return drives; });
        TPreviewForm::SetMusicFactory([](TPreviewForm &) -> std::unique_ptr<TPreviewMusic> {
            audio::AudioPlayer::Options o;
            o.sink = "fakesink sync=true";
            return std::make_unique<TMusicPlayer>(o);
        });
        TMainWizardForm::SetPlayerHook([this](TPreviewForm &form) { watchShow(form); });
    }

    void TearDown() override
    {
        delete window.data();
        env.reset();
        TMainWizardForm::SetPlayerHook({});
        TPreviewForm::SetMusicFactory({});
        TKDSelectMusicWizardFrame::SetDriveLister({});
        ResetAppDialogs();
        SetErrorHandler({});
    }

    QString path(const QString &name) const { return tmp.filePath(name); }
    QString userDir() const { return path("user/"); }
    QString desktopXml() const { return userDir() + "desktop.xml"; }

    // The environment on the shipped definition (or on DefinitionFile, the embedded one left out).
    void startEnv(const QString &definitionFile = QString(), const QString &user = QString())
    {
        TProjectDataSources sources;
        sources.userDir = user.isEmpty() ? userDir() : user;
        if (definitionFile.isEmpty()) {
            sources.definitionFile = path("XML/Kalido.xml");
        } else {
            sources.definitionFile = definitionFile;
            sources.resourceFolder = path("no-resources");
        }
        env = std::make_unique<TProjectData>(sources);
    }

    void open(const QString &definitionFile = QString())
    {
        if (!env)
            startEnv(definitionFile);
        window = new TMainWizardForm;
        QObject::connect(window, &TMainWizardForm::Terminated, [this] { ++terminated; });
    }

    TKDProperties &settings() const { return *qobject_cast<TKDProperties *>(window->SettingsObject()); }
    QString page() const
    {
        return window && window->CurrentFrame() ? window->CurrentFrame()->PageElement()->Attribute("class")
                                                : QString();
    }
    template <class T> T *frame() const { return dynamic_cast<T *>(window->CurrentFrame()); }
    QStringList steps() const
    {
        QStringList list;
        for (const auto &item : window->StepBox()->Pages())
            list << item.Caption;
        return list;
    }

    void click(QAbstractButton *button)
    {
        ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString();
        // Radio buttons and check boxes react on their box and label only.
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    void next() { click(window->bnNext()); }
    void back() { click(window->bnBack()); }
    void start() { click(window->bnFinish()); }

    void typeInto(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    // A drop of these paths on the page, as the desktop delivers it.
    void drop(QWidget *target, const QStringList &paths, Qt::DropActions actions = Qt::CopyAction)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &p : paths)
            urls << QUrl::fromLocalFile(p);
        data.setUrls(urls);
        // The application hands a drop to the widget that accepted the drag's entry.
        QDragEnterEvent enter(QPoint(20, 20), actions, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &enter);
        QDropEvent event(QPointF(20, 20), actions, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &event);
    }

    // Count photos, each JPEG of a different colour, in Folder.
    QStringList makePhotos(const QString &folder, int count)
    {
        QStringList files;
        QDir().mkpath(folder);
        for (int i = 0; i < count; ++i) {
            QImage image(64, 48, QImage::Format_RGB32);
            image.fill(QColor::fromHsv((i * 37) % 360, 200, 220));
            const QString file = QStringLiteral("%1/photo%2.jpg").arg(folder).arg(i, 2, 10, QChar('0'));
            EXPECT_TRUE(image.save(file, "JPEG"));
            files << file;
        }
        return files;
    }

    // Count one-second tracks made with sox in Folder.
    void makeTracks(const QString &folder, int count)
    {
        QDir().mkpath(folder);
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(runShell(QStringLiteral("sox -n -r 44100 -c 2 '%1/track%2.ogg' synth 1 sine %3")
                                   .arg(folder)
                                   .arg(i)
                                   .arg(300 + 100 * i)),
                      0);
    }

    // A BIN/CUE image of Tracks one-second audio tracks; its path stands for a drive.
    QString makeDisc(int tracks)
    {
        QByteArray bin;
        QByteArray cue = "FILE \"disc.bin\" BINARY\n";
        for (int t = 0; t < tracks; ++t) {
            cue += QStringLiteral("TRACK %1 AUDIO\nINDEX 01 00:%2:00\n")
                       .arg(t + 1, 2, 10, QChar('0'))
                       .arg(t, 2, 10, QChar('0'))
                       .toLatin1();
            bin += QByteArray(75 * 2352, char(t * 16));
        }
        writeFile(path("cd/disc.bin"), bin);
        writeFile(path("cd/disc.cue"), cue);
        return path("cd/disc.cue");
    }

    // Paces a running show: each photo stays PhotoMs, and the show is watched.
    void watchShow(TPreviewForm &form)
    {
        ++shows;
        QObject::connect(form.View(), &TPhotoView::LoadFinished, &form, [this, &form](int index) {
            if (index < 0)
                return;
            ++photosShown;
            displayTimes << form.ImageTimer()->interval();
            form.ImageTimer()->start(photoMs);
        });
        if (auto *music = dynamic_cast<TMusicPlayer *>(form.Music()))
            QObject::connect(music, &TMusicPlayer::TrackStarted, &form,
                             [this](int i) { tracksStarted << i; });
    }

    QTemporaryDir tmp;
    std::unique_ptr<TProjectData> env;
    QPointer<TMainWizardForm> window;
    QStringList errors;
    QStringList messages;
    QStringList dialogTitles;
    QString saveAnswer;
    QString openAnswer;
    QString browseAnswer;
    QList<cd::CdDrive> drives;
    int terminated = 0;
    int shows = 0;
    int photosShown = 0;
    int photoMs = 30;
    QList<int> displayTimes;
    QList<int> tracksStarted;
};

} // namespace kalido::test
