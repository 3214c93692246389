#include "wizard/WizardManager.h"

#include "project/KDProperties.h"
#include "xml/XmlNode.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace kalido;

namespace {

class PageA : public TCommonWizardFrame
{
public:
    using TCommonWizardFrame::TCommonWizardFrame;
};

class PageB : public TCommonWizardFrame
{
public:
    using TCommonWizardFrame::TCommonWizardFrame;
};

TEST(WizardManager, FirstRegistrationWinsAndNamesMatchInAnyCase)
{
    TWizardManager manager;
    manager.RegisterPage(
        TFrameClass{"PageA", [](QWidget *o) -> TCommonWizardFrame * { return new PageA(o); }}, "Options");
    manager.RegisterPage(
        TFrameClass{"PageB", [](QWidget *o) -> TCommonWizardFrame * { return new PageB(o); }}, "Options");
    EXPECT_EQ(manager.FindPageClass("options").ClassName, "PageA");

    RegisterClass(
        TFrameClass{"TNamedFrame", [](QWidget *o) -> TCommonWizardFrame * { return new PageB(o); }});
    EXPECT_EQ(manager.FindPageClass("tnamedframe").ClassName, "TNamedFrame") << "the named classes next";
    UnregisterClasses();

    try {
        manager.FindPageClass("Nowhere");
        FAIL();
    } catch (const EClassNotFound &e) {
        EXPECT_EQ(e.message(), "Class Nowhere not found");
    }
}

struct ConditionRow
{
    const char *condition;
    bool holds;
};

TEST(Conditions, Table)
{
    TKDProperties settings;
    settings.SetNoGUI(false);
    settings.SetPhotoSource("/home/ann/Photos");
    settings.SetMusicSubFolders(true);
    settings.SetMusicSourceMode(TKDProperties::msmCD);
    const ConditionRow rows[] = {
        {"NoGUI=False", true},
        {"nogui=false", true},
        {"NoGUI==False", true},
        {"NoGUI>False", true}, // every operator but "<>" is equality
        {"NoGUI=>False", true},
        {"NoGUI=True", false},
        {"NoGUI<>True", true},
        {"NoGUI<>False", false},
        {"NoGUI = False", false}, // the name carries a space: no such property
        {"Missing=x", false},
        {"Missing<>x", false}, // a missing property never holds, even inverted
        {"MusicSubFolders=True", true},
        {"PhotoSource<>/home/ann/Other", true},
        {"PhotoSource=/HOME/ANN/PHOTOS", true},
        {"MusicSourceMode=msmCD", true},
        {"Timeout=3", true},
        {"Timeout=3=ignored", true}, // further words are ignored
        {"JournalFileName", true},   // no value: the empty text
        {"NoGUI", false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(ConditionHolds(QString::fromLatin1(row.condition), settings), row.holds) << row.condition;
}

QStringList captions(const QList<TWizardStep> &steps)
{
    QStringList list;
    for (const auto &s : steps)
        list << s.Caption;
    return list;
}

TEST(CollectSteps, NestedCategoriesAndConditions)
{
    auto doc = LoadXmlBytes(R"(<?xml version="1.0"?>
<!-- definition -->
<wizard caption="ignored here" if="NoGUI=True">
  <page class="SelectProject" caption="Project"/>
  <category if="PhotoSubFolders=True">
    <category>
      <!-- comment -->
      <category if="Timeout=3">
        <page class="Deep" caption="Deep" if="NoGUI=False"/>
      </category>
    </category>
    <page class="Other" caption="Shallow" if="Missing&lt;&gt;x"/>
  </category>
  <other><page class="Hidden" caption="Hidden"/></other>
  <page class="Options" caption="[tr]"/>
</wizard>
<wizard><page class="Second" caption="Second"/></wizard>)");
    TKDProperties settings;
    TxmlNode *wizard = doc->FindChild("wizard");
    auto tr = [](const QString &s) { return s == "[tr]" ? QStringLiteral("translated") : s; };

    QList<TWizardStep> steps = CollectSteps(wizard, settings, tr);
    EXPECT_EQ(captions(steps), QStringList({"Project", "Deep", "translated"}));
    EXPECT_EQ(steps[1].Page->Attribute("class"), "Deep");

    settings.SetTimeout(4);
    EXPECT_EQ(captions(CollectSteps(wizard, settings, tr)), QStringList({"Project", "translated"}));
    settings.SetTimeout(3);
    settings.SetPhotoSubFolders(false);
    EXPECT_EQ(captions(CollectSteps(wizard, settings, tr)), QStringList({"Project", "translated"}));
    EXPECT_TRUE(CollectSteps(nullptr, settings, tr).isEmpty());
}

TEST(CollectSteps, DeepNestingDoesNotExhaustTheStack)
{
    QByteArray xml = "<wizard>";
    for (int i = 0; i < 20000; ++i)
        xml += "<category>";
    xml += "<page caption=\"bottom\"/>";
    for (int i = 0; i < 20000; ++i)
        xml += "</category>";
    xml += "</wizard>";
    auto doc = LoadXmlBytes(xml);
    TKDProperties settings;
    EXPECT_EQ(captions(CollectSteps(doc->FindChild("wizard"), settings, {})), QStringList({"bottom"}));
}

TEST(ParseHeight, DecimalOrZero)
{
    EXPECT_EQ(ParseHeight("420"), 420);
    EXPECT_EQ(ParseHeight("abc"), 0);
    EXPECT_EQ(ParseHeight("12px"), 0);
    EXPECT_EQ(ParseHeight("-5"), 0);
    EXPECT_EQ(ParseHeight("99999999999"), 0);
}

} // namespace
