#include "wizard/PropertyManager.h"

#include "project/PropertyAccess.h"
#include "wizard/Controls.h"

#include "TestSupport.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <gtest/gtest.h>

namespace kalido {

// Settings with one property of each kind a binding treats differently.
class BindingSettings : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool SubFolders MEMBER subFolders)
    Q_PROPERTY(QString Source MEMBER source)
    Q_PROPERTY(int Timeout MEMBER timeout)
    Q_PROPERTY(TMode Mode MEMBER mode)
    Q_PROPERTY(TParts Parts READ Parts WRITE SetParts)
    Q_PROPERTY(QChar Separator MEMBER separator)

public:
    enum TMode { mFolder, mCD, mList };
    Q_ENUM(TMode)
    enum TPart { pA = 1, pB = 2, pC = 4, pD = 8 };
    Q_DECLARE_FLAGS(TParts, TPart)
    Q_FLAG(TParts)

    TParts Parts() const { return parts; }
    void SetParts(TParts value) { parts = value; }

    bool subFolders = true;
    QString source = QStringLiteral("/home/ann/Pictures");
    int timeout = 3;
    TMode mode = mCD;
    TParts parts = TParts(pB) | pD;
    QChar separator = u';';
};
Q_DECLARE_OPERATORS_FOR_FLAGS(BindingSettings::TParts)

} // namespace kalido

using namespace kalido;

namespace {

TEST(PropertyManagerTable, LooksUpByClassAndKind)
{
    TPropertyManager table;
    EXPECT_EQ(table.GetDefaultProperty("QLineEdit", bkAny), "text");
    EXPECT_EQ(table.GetDefaultProperty("qcheckbox", bkState), "checked") << "class names in any case";
    EXPECT_EQ(table.GetDefaultProperty("kalido::TxRadioGroup", bkAny), "itemIndex");
    EXPECT_EQ(table.GetDefaultProperty("QComboBox", bkAny), "currentText");
    EXPECT_EQ(table.GetDefaultProperty("QComboBox", bkState), "currentText")
        << "kind 0 entries answer every kind";
    EXPECT_EQ(table.GetDefaultProperty("QTextEdit", bkAny), "") << "no entry";

    table.RegisterDefaultProperty("TFancy", "value", bkChar);
    table.RegisterDefaultProperty("TFancy", "state", bkState);
    table.RegisterDefaultProperty("TFancy", "VALUE", bkState); // duplicate text, ignored
    EXPECT_EQ(table.GetDefaultProperty("TFancy", bkState), "state");
    EXPECT_EQ(table.GetDefaultProperty("TFancy", bkChar), "value");
    EXPECT_EQ(table.GetDefaultProperty("TFancy", bkAny), "value")
        << "no match of the kind: first of the class";
}

struct BindingFixture : ::testing::Test
{
    QWidget page;
    BindingSettings settings;
    TPropertyBindings bindings{&page};

    template <class W> W *add(const char *name)
    {
        auto *w = new W(&page);
        w->setObjectName(QLatin1String(name));
        return w;
    }
};

TEST_F(BindingFixture, CheckBoxAndEdit)
{
    auto *cb = add<QCheckBox>("cbSubFolders");
    auto *ed = add<TxButtonEdit>("edFolder");
    bindings.SetBindings({"SubFolders=CBSUBFOLDERS", "Source=edFolder"});

    bindings.LoadBindings(settings);
    EXPECT_TRUE(cb->isChecked());
    EXPECT_EQ(ed->text(), "/home/ann/Pictures");

    cb->setChecked(false);
    ed->setText("  not checked at all ");
    bindings.StoreBindings(settings);
    EXPECT_FALSE(settings.subFolders);
    EXPECT_EQ(settings.source, "  not checked at all ");
}

TEST_F(BindingFixture, EnumerationOverRadioButtons)
{
    QRadioButton *rb[3] = {add<QRadioButton>("rbFolder"), add<QRadioButton>("rbCD"),
                           add<QRadioButton>("rbList")};
    for (auto *b : rb)
        b->setAutoExclusive(false); // the binding alone decides which is on
    bindings.SetBindings({"Mode=rbFolder,rbCD,rbList"});

    bindings.LoadBindings(settings);
    EXPECT_FALSE(rb[0]->isChecked());
    EXPECT_TRUE(rb[1]->isChecked());
    EXPECT_FALSE(rb[2]->isChecked());

    rb[1]->setChecked(false);
    bindings.StoreBindings(settings);
    EXPECT_EQ(settings.mode, BindingSettings::mCD) << "none on: the value stays";

    rb[2]->setChecked(true);
    rb[0]->setChecked(true);
    bindings.StoreBindings(settings);
    EXPECT_EQ(settings.mode, BindingSettings::mFolder) << "the first control that is on";
}

TEST_F(BindingFixture, EnumerationOverOneRadioGroup)
{
    auto *rg = add<TxRadioGroup>("rgMode");
    rg->SetItems({"Folder", "CD", "List"});
    bindings.SetBindings({"Mode=rgMode"});
    bindings.LoadBindings(settings);
    EXPECT_EQ(rg->ItemIndex(), 1);

    rg->SetItemIndex(2);
    bindings.StoreBindings(settings);
    EXPECT_EQ(settings.mode, BindingSettings::mList);

    rg->SetItemIndex(-1);
    bindings.StoreBindings(settings);
    EXPECT_EQ(settings.mode, BindingSettings::mList) << "nothing checked keeps the value";
}

TEST_F(BindingFixture, SetOverFourCheckBoxes)
{
    QCheckBox *cb[4] = {add<QCheckBox>("a"), add<QCheckBox>("b"), add<QCheckBox>("c"), add<QCheckBox>("d")};
    bindings.SetBindings({"Parts=a,b,c,d"});
    bindings.LoadBindings(settings);
    EXPECT_EQ(QList<bool>({cb[0]->isChecked(), cb[1]->isChecked(), cb[2]->isChecked(), cb[3]->isChecked()}),
              QList<bool>({false, true, false, true}));

    cb[0]->setChecked(true);
    cb[3]->setChecked(false);
    bindings.StoreBindings(settings);
    EXPECT_EQ(settings.parts, BindingSettings::TParts(BindingSettings::pA | BindingSettings::pB));
}

TEST_F(BindingFixture, CharacterAndNumber)
{
    auto *sep = add<QLineEdit>("edSep");
    auto *spin = add<QSpinBox>("seTimeout");
    auto *edTimeout = add<QLineEdit>("edTimeout");
    bindings.SetBindings({"Separator=edSep", "Timeout=seTimeout"});
    bindings.LoadBindings(settings);
    EXPECT_EQ(sep->text(), ";");
    EXPECT_EQ(spin->value(), 3);

    sep->setText("");
    spin->setValue(7);
    bindings.StoreBindings(settings);
    EXPECT_EQ(settings.separator, QChar());
    EXPECT_EQ(settings.timeout, 7);

    // A text that is not a number does not reach a number property.
    TPropertyBindings other(&page);
    other.SetBindings({"Timeout=edTimeout"});
    edTimeout->setText("seven");
    EXPECT_THROW(other.StoreBindings(settings), EPropertyError);
    EXPECT_EQ(settings.timeout, 7);
}

TEST_F(BindingFixture, MissingControlsAreSkippedMissingPropertiesFail)
{
    bindings.SetBindings({"Source=edNowhere", "Mode=x,y,z", "Parts=p"});
    bindings.LoadBindings(settings);
    bindings.StoreBindings(settings);
    EXPECT_EQ(settings.source, "/home/ann/Pictures");
    EXPECT_EQ(settings.mode, BindingSettings::mCD);

    bindings.SetBindings({"NoSuchProperty=edNowhere"});
    EXPECT_THROW(bindings.LoadBindings(settings), EPropertyError);
    EXPECT_THROW(bindings.StoreBindings(settings), EPropertyError);
}

TEST_F(BindingFixture, ControlWithoutDefaultProperty)
{
    add<QWidget>("plain");
    bindings.SetBindings({"Source=plain"});
    try {
        bindings.LoadBindings(settings);
        FAIL() << "no error";
    } catch (const EBindingError &e) {
        EXPECT_EQ(e.message(), "Default property for class QWidget not defined");
    }
}

} // namespace

#include "PropertyManagerTest.moc"
