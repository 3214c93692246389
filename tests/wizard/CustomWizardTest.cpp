#include "wizard/CustomWizard.h"

#include "project/KDProperties.h"
#include "shell/Languages.h"
#include "wizard/ErrorBox.h"
#include "wizard/KDCommonWizardFrame.h"
#include "wizard/Skin.h"
#include "wizard/WizardBox.h"
#include "wizard/WizardManager.h"
#include "xml/XmlNode.h"

#include "TestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace kalido;

namespace {

// A page with a folder edit and a sub-folder box bound to the settings; it counts its loads.
class TestPage : public TKDCommonWizardFrame
{
public:
    explicit TestPage(QWidget *owner) : TKDCommonWizardFrame(owner)
    {
        edFolder = new QLineEdit(Body());
        edFolder->setObjectName("edFolder");
        edFolder->setGeometry(10, 10, 200, 22);
        cbSubFolders = new QCheckBox("Include sub-folders", Body());
        cbSubFolders->setObjectName("cbSubFolders");
        cbSubFolders->setGeometry(10, 40, 200, 22);
        Label1()->setText("Description");
    }

    void InitPage() override
    {
        descriptionAtInit = Label1()->text();
        try {
            Wizard();
        } catch (const EInvalidCast &) {
            wizardAtInit = false;
        }
        SetBindings({"PhotoSource=edFolder", "MusicSubFolders=cbSubFolders"});
    }

    void LoadPage() override
    {
        ++loads;
        TKDCommonWizardFrame::LoadPage();
    }

    QLineEdit *edFolder;
    QCheckBox *cbSubFolders;
    int loads = 0;
    QString descriptionAtInit;
    bool wizardAtInit = true;
};

// A page whose binding names a property the settings do not have.
class BrokenPage : public TCommonWizardFrame
{
public:
    explicit BrokenPage(QWidget *owner) : TCommonWizardFrame(owner)
    {
        auto *ed = new QLineEdit(Body());
        ed->setObjectName("edFolder");
    }
    void InitPage() override { SetBindings({"NoSuchProperty=edFolder"}); }
    void LoadPage() override {}
};

struct WizardFixture : ::testing::Test
{
    TKDProperties settings;
    std::unique_ptr<TxmlNode> doc;
    std::unique_ptr<TCustomWizard> wizard;
    QStringList errors;

    static void SetUpTestSuite()
    {
        RegisterPage<TestPage>("Test");
        RegisterPage<BrokenPage>("Broken");
    }

    void SetUp() override
    {
        SetErrorHandler([this](const QString &m) { errors << m; });
        UseLanguage("en"); // whatever the environment asks for
        settings.SetPhotoSource("/photos");
        settings.SetMusicSubFolders(false);
    }

    void TearDown() override { SetErrorHandler({}); }

    void run(const QByteArray &xml)
    {
        doc = LoadXmlBytes(xml);
        wizard = std::make_unique<TCustomWizard>();
        wizard->SetDefinition(doc.get());
        EXPECT_TRUE(wizard->Execute(&settings));
    }

    TestPage *page() const { return dynamic_cast<TestPage *>(wizard->CurrentFrame()); }
    QString current() const
    {
        return wizard->CurrentFrame() ? wizard->CurrentFrame()->PageElement()->Attribute("caption")
                                      : QString();
    }
    QStringList steps() const
    {
        QStringList list;
        for (const auto &item : wizard->StepBox()->Pages())
            list << item.Caption;
        return list;
    }
    void next() { QTest::mouseClick(wizard->bnNext(), Qt::LeftButton); }
    void back() { QTest::mouseClick(wizard->bnBack(), Qt::LeftButton); }
    void clickRow(int row)
    {
        QTest::mouseClick(wizard->StepBox(), Qt::LeftButton, {}, QPoint(60, 16 + 32 * row + 10));
    }
};

const QByteArray fourSteps = R"(<wizard caption="[converter] Show">
  <page class="Test" caption="One"/>
  <page class="Test" caption="Two"/>
  <page class="Test" caption="Three"/>
  <page class="Test" caption="Four"/>
</wizard>)";

TEST_F(WizardFixture, SingleStep)
{
    run(R"(<wizard><page class="test" caption="Only"/></wizard>)");
    EXPECT_EQ(current(), "Only");
    EXPECT_FALSE(wizard->bnNext()->isEnabled());
    EXPECT_TRUE(wizard->bnFinish()->isDefault());
    EXPECT_FALSE(wizard->bnBack()->isEnabled());
    EXPECT_EQ(page()->loads, 1);
    EXPECT_EQ(page()->edFolder->text(), "/photos");
    EXPECT_EQ(wizard->focusWidget(), page()->edFolder) << "the first control in tab order";
}

TEST_F(WizardFixture, CaptionAndLayout)
{
    run(fourSteps);
    EXPECT_EQ(wizard->windowTitle(), " Show");
    EXPECT_EQ(wizard->pnLeft()->width(), 149);
    EXPECT_EQ(wizard->pnBottom()->height(), 38);
    EXPECT_TRUE(wizard->pg()->tabBar()->isHidden());
    EXPECT_EQ(wizard->bnNext()->geometry(), QRect(84, 5, 75, 25));
    EXPECT_TRUE(wizard->bnFinish()->font().bold());
}

TEST_F(WizardFixture, NextBackAndTheLastStep)
{
    run(fourSteps);
    EXPECT_FALSE(wizard->bnBack()->isEnabled());
    EXPECT_EQ(SkinButtonTextColor(TSkinState::Disabled),
              wizard->bnBack()->palette().color(QPalette::ButtonText));
    next();
    next();
    next();
    EXPECT_EQ(current(), "Four");
    EXPECT_FALSE(wizard->bnNext()->isEnabled());
    EXPECT_TRUE(wizard->bnFinish()->isDefault());
    EXPECT_TRUE(wizard->bnBack()->isEnabled());

    QTest::keyClick(wizard.get(), Qt::Key_Return);
    EXPECT_EQ(wizard->result(), QDialog::Accepted) << "Enter presses Start!";
}

TEST_F(WizardFixture, NextStoresTheLeftPageAndBackDropsIt)
{
    run(fourSteps);
    page()->edFolder->setText("/typed");
    next();
    EXPECT_EQ(settings.PhotoSource(), "/typed");
    TestPage *two = page();
    EXPECT_EQ(two->edFolder->text(), "/typed");
    two->edFolder->setText("/dropped");
    back();
    EXPECT_EQ(current(), "One");
    EXPECT_EQ(settings.PhotoSource(), "/typed") << "the page left by Back is not stored";
    next();
    EXPECT_EQ(two->loads, 2);
    EXPECT_EQ(two->edFolder->text(), "/typed") << "reloaded from the settings";
}

TEST_F(WizardFixture, ShowingTheActivePageAgainDoesNotReloadIt)
{
    run(fourSteps);
    wizard->ShowPage(wizard->CurrentFrame()->PageElement());
    EXPECT_EQ(page()->loads, 1);
    EXPECT_EQ(wizard->pg()->count(), 1);
}

TEST_F(WizardFixture, StepJumpsAndHistory)
{
    run(fourSteps);
    clickRow(3);
    EXPECT_EQ(current(), "Four");
    back();
    EXPECT_EQ(current(), "Three");
    back();
    EXPECT_EQ(current(), "Two");
    back();
    EXPECT_EQ(current(), "One");
    EXPECT_FALSE(wizard->bnBack()->isEnabled());

    clickRow(2);
    clickRow(0);
    EXPECT_EQ(current(), "One");
    EXPECT_FALSE(wizard->bnBack()->isEnabled()) << "after a jump to the first step";
}

TEST_F(WizardFixture, StepThatStartsToHoldIsListedAfterTheMove)
{
    run(R"(<wizard>
  <page class="Test" caption="One"/>
  <page class="Test" caption="Extra" if="MusicSubFolders=True"/>
  <page class="Test" caption="Two"/>
</wizard>)");
    EXPECT_EQ(steps(), QStringList({"One", "Two"}));
    page()->cbSubFolders->setChecked(true);
    next();
    EXPECT_EQ(current(), "Two") << "chosen from the list as it was when One was entered";
    EXPECT_EQ(steps(), QStringList({"One", "Extra", "Two"}));
    clickRow(1);
    EXPECT_EQ(current(), "Extra");
}

TEST_F(WizardFixture, UnknownPageClassShowsTheErrorAndStays)
{
    run(R"(<wizard><page class="Test" caption="One"/><page class="Nowhere" caption="Bad"/></wizard>)");
    next();
    EXPECT_EQ(errors, QStringList({"Class Nowhere not found"}));
    EXPECT_EQ(current(), "One");
    EXPECT_EQ(wizard->StepBox()->ItemIndex(), 0);
    EXPECT_FALSE(wizard->bnBack()->isEnabled()) << "the page it stayed on is not on the way back";

    clickRow(1);
    EXPECT_EQ(errors.size(), 2);
    EXPECT_EQ(current(), "One");
    EXPECT_EQ(wizard->StepBox()->ItemIndex(), 0);
}

TEST_F(WizardFixture, StartThatCannotStoreShowsTheErrorAndStaysOpen)
{
    run(R"(<wizard><page class="Broken" caption="Only"/></wizard>)");
    QTest::mouseClick(wizard->bnFinish(), Qt::LeftButton);
    EXPECT_EQ(errors, QStringList({"Unknown property: NoSuchProperty"}));
    EXPECT_NE(wizard->result(), QDialog::Accepted);
    EXPECT_TRUE(wizard->isVisible());
}

TEST_F(WizardFixture, RunsModallyWhenAnotherWindowIsTheMainWindow)
{
    QWidget mainWindow;
    SetApplicationMainWindow(&mainWindow);
    doc = LoadXmlBytes(fourSteps);
    TCustomWizard modal;
    modal.SetDefinition(doc.get());
    QTimer::singleShot(0, &modal, [&] {
        EXPECT_TRUE(modal.isVisible());
        modal.findChild<TestPage *>()->edFolder->setText("/chosen");
        modal.bnFinish()->click();
    });
    EXPECT_TRUE(modal.Execute(&settings));
    EXPECT_EQ(settings.PhotoSource(), "/chosen");

    QTimer::singleShot(0, &modal, [&] { modal.bnCancel()->click(); });
    EXPECT_FALSE(modal.Execute(&settings));
    SetApplicationMainWindow(nullptr);
}

TEST_F(WizardFixture, NoPagesAndNoDefinition)
{
    run(R"(<wizard><page class="Test" caption="Never" if="NoGUI=True"/></wizard>)");
    EXPECT_EQ(errors, QStringList({"Pages not defined"}));
    EXPECT_EQ(wizard->CurrentFrame(), nullptr);
    EXPECT_FALSE(wizard->bnNext()->isEnabled());

    auto empty = LoadXmlBytes("<other/>");
    TCustomWizard bare;
    bare.SetDefinition(empty.get());
    EXPECT_FALSE(bare.Execute(&settings));
    EXPECT_EQ(bare.pg()->count(), 0);
}

TEST_F(WizardFixture, FrameIsTranslatedBeforeInitPageAndHasNoWizardThen)
{
    run(fourSteps);
    EXPECT_FALSE(page()->wizardAtInit);
    EXPECT_EQ(page()->descriptionAtInit, "Description");
    EXPECT_EQ(page()->Wizard(), wizard.get());
    EXPECT_EQ(page()->KDSettings(), &settings);

    TestPage loose(nullptr);
    EXPECT_THROW(loose.Settings(), EInvalidCast);
}

TEST_F(WizardFixture, GroupedStepsPicture)
{
    run(R"(<wizard caption="Kalido" height="360">
  <page class="Test" caption="Project"/>
  <page class="Test" caption="Photos\Folder"/>
  <page class="Test" caption="Photos\Options"/>
  <page class="Test" caption="Music"/>
</wizard>)");
    EXPECT_EQ(wizard->height(), 360);
    SelectSkin(QLatin1String(DefaultSkinName));
    next();
    EXPECT_EQ(current(), "Photos\\Folder");
    next();
    EXPECT_EQ(current(), "Photos\\Options") << "Next steps over the group header";
    wizard->resize(560, 360);
    QCoreApplication::processEvents();
    const QString dir = qEnvironmentVariable("KALIDO_GRAB_DIR", QDir::tempPath());
    EXPECT_TRUE(wizard->grab().save(dir + "/wizard-grouped-steps.png"));
    QStringList rows;
    for (const auto &row : wizard->StepBox()->DrawnRows())
        rows << row.Text;
    EXPECT_EQ(rows, QStringList({"Project", "Photos", "Folder", "Options", "Music"}));
    qApp->setStyleSheet({});
}

// Catalogues made from .po text in a temporary folder.
void writeCatalogue(const QString &root, const QString &lang, const QString &domain,
                    const QByteArray &entries)
{
    const QString dir = root + "/" + lang + "/LC_MESSAGES";
    QDir().mkpath(dir);
    const QString po = dir + "/" + domain + ".po";
    test::writeFile(po, "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n" + entries);
    ASSERT_EQ(test::runShell("msgfmt --check-format -o '" + dir + "/" + domain + ".mo' '" + po + "'"), 0);
}

TEST_F(WizardFixture, LanguageSwitchRetranslatesTheWindowAndItsFrames)
{
    QTemporaryDir tmp;
    writeCatalogue(tmp.path(), "de", "default",
                   "msgid \"&Next >>\"\nmsgstr \"&Weiter >>\"\n\n"
                   "msgid \"Description\"\nmsgstr \"Beschreibung\"\n\n"
                   "msgid \"One\"\nmsgstr \"Eins\"\n");
    writeCatalogue(tmp.path(), "fr", "default",
                   "msgid \"&Next >>\"\nmsgstr \"&Suivant >>\"\n\n"
                   "msgid \"Description\"\nmsgstr \"Description FR\"\n");
    SetMessagesPaths({tmp.path()});
    UseLanguage("de");
    run(fourSteps);
    EXPECT_EQ(wizard->bnNext()->text(), "&Weiter >>");
    EXPECT_EQ(page()->Label1()->text(), "Beschreibung");
    EXPECT_EQ(steps().first(), "Eins");

    UseLanguage("fr");
    RetranslateComponent(wizard.get());
    wizard->RefreshSteps();
    EXPECT_EQ(wizard->bnNext()->text(), "&Suivant >>");
    EXPECT_EQ(page()->Label1()->text(), "Description FR");
    EXPECT_EQ(wizard->bnBack()->text(), "<< &Back") << "no French text: the English one";
    EXPECT_EQ(steps().first(), "One");
    EXPECT_EQ(wizard->windowTitle(), " Show") << "the caption from the definition is not translated";

    UseLanguage("en");
    RetranslateComponent(wizard.get());
    EXPECT_EQ(wizard->bnNext()->text(), "&Next >>");
    SetMessagesPaths({});
}

} // namespace
