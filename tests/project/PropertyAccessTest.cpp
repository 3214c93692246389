#include "project/PropertyAccess.h"

#include "TestSupport.h"

#include <QObject>
#include <gtest/gtest.h>

using namespace kalido;

namespace {

class Base : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int Count READ Count WRITE SetCount)
    Q_PROPERTY(bool Flag READ Flag WRITE SetFlag)
    Q_PROPERTY(int Fixed READ Fixed)

public:
    int Count() const { return count_; }
    void SetCount(int v) { count_ = v; }
    bool Flag() const { return flag_; }
    void SetFlag(bool v) { flag_ = v; }
    int Fixed() const { return 7; }

private:
    int count_ = 0;
    bool flag_ = false;
};

class Derived : public Base
{
    Q_OBJECT
    Q_PROPERTY(TMode Mode READ Mode WRITE SetMode)
    Q_PROPERTY(TOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(QByteArray Code READ Code WRITE SetCode)
    Q_PROPERTY(QObject *Child READ Child WRITE SetChild)
    Q_PROPERTY(qint64 Big READ Big WRITE SetBig)
    Q_PROPERTY(uint Small READ Small WRITE SetSmall)

public:
    enum TMode : int { mAlpha, mBeta, mGamma };
    Q_ENUM(TMode)
    enum Option { oRed = 1, oGreen = 2, oBlue = 4, oAll = 7 };
    Q_DECLARE_FLAGS(TOptions, Option)
    Q_FLAG(TOptions)

    TMode Mode() const { return mode_; }
    void SetMode(TMode v) { mode_ = v; }
    TOptions Options() const { return options_; }
    void SetOptions(TOptions v) { options_ = v; }
    QString Name() const { return name_; }
    void SetName(const QString &v) { name_ = v; }
    QByteArray Code() const { return code_; }
    void SetCode(const QByteArray &v) { code_ = v; }
    QObject *Child() const { return child_; }
    void SetChild(QObject *v) { child_ = v; }
    qint64 Big() const { return big_; }
    void SetBig(qint64 v) { big_ = v; }
    uint Small() const { return small_; }
    void SetSmall(uint v) { small_ = v; }

private:
    TMode mode_ = mAlpha;
    TOptions options_;
    QString name_;
    QByteArray code_;
    QObject *child_ = nullptr;
    qint64 big_ = 0;
    uint small_ = 0;
};

} // namespace

TEST(PropertyAccess, ListsPublishedPropertiesAncestorsFirstWithKinds)
{
    const QList<TPropInfo> props = PublishedProperties(Derived::staticMetaObject);
    struct Expected
    {
        const char *name;
        TPropKind kind;
        bool writable;
    };
    const Expected expected[] = {
        {"Count", TPropKind::Integer, true},   {"Flag", TPropKind::Boolean, true},
        {"Fixed", TPropKind::Integer, false},  {"Mode", TPropKind::Enumeration, true},
        {"Options", TPropKind::Set, true},     {"Name", TPropKind::String, true},
        {"Code", TPropKind::AnsiString, true}, {"Child", TPropKind::Object, true},
        {"Big", TPropKind::Integer, true},     {"Small", TPropKind::Integer, true},
    };
    ASSERT_EQ(props.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(props[i].name, QByteArray(expected[i].name));
        EXPECT_EQ(props[i].kind, expected[i].kind);
        EXPECT_EQ(props[i].writable, expected[i].writable);
    }
    EXPECT_TRUE(HasPublishedProperty(Derived::staticMetaObject, "mode"));
    EXPECT_FALSE(HasPublishedProperty(Derived::staticMetaObject, "objectName"));
    EXPECT_FALSE(HasPublishedProperty(Base::staticMetaObject, "Mode"));
}

TEST(PropertyAccess, WritesAndReadsTextForms)
{
    struct Case
    {
        const char *prop;
        QString in;
        QString out;
    };
    const Case cases[] = {
        {"Count", "42", "42"},
        {"Count", "-2147483648", "-2147483648"},
        {"Count", "+5", "5"},
        {"Flag", "TRUE", "True"},
        {"Flag", "false", "False"},
        {"Mode", "MGAMMA", "mGamma"},
        {"Options", "oRed,oBlue", "oRed,oBlue"},
        {"Options", "[ oblue , ogreen ]", "oGreen,oBlue"},
        {"Options", "", ""},
        {"Name", "  spaced  ", "  spaced  "},
        {"Code", QString::fromUtf8("caf\u00e9 \u20ac"), QString::fromUtf8("caf\u00e9 \u20ac")},
        {"Big", "-9223372036854775808", "-9223372036854775808"},
        {"Small", "4294967295", "4294967295"},
    };
    Derived d;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.prop) + " <- " + c.in.toStdString());
        SetPropText(d, c.prop, c.in);
        EXPECT_EQ(GetPropText(d, c.prop), c.out);
    }
    EXPECT_EQ(d.Code(), QByteArray("caf\xe9 \x80"));
    EXPECT_EQ(GetPropText(d, "fixed"), QStringLiteral("7"));
}

TEST(PropertyAccess, RejectsTextsThatDoNotConvertAndKeepsTheValue)
{
    struct Case
    {
        const char *prop;
        QString in;
        QString message; // empty: any message
    };
    const Case cases[] = {
        {"Flag", "no", "Invalid property element: no"},
        {"Flag", "1", "Invalid property element: 1"},
        {"Mode", "mDelta", "Invalid property element: mDelta"},
        {"Mode", "1", "Invalid property element: 1"},
        {"Options", "oRed,oPurple", "Invalid property element: oPurple"},
        {"Options", "oAll", "Invalid property element: oAll"},
        {"Count", "3.7", "'3.7' is not a valid integer value"},
        {"Count", "", ""},
        {"Count", " 5", ""},
        {"Count", "0x10", ""},
        {"Count", "-", ""},
        {"Count", "2147483648", ""},
        {"Big", "9223372036854775808", ""},
        {"Small", "-1", ""},
        {"Fixed", "1", "Property Fixed is read-only"},
        {"Child", "x", ""},
        {"Nothing", "1", "Unknown property: Nothing"},
    };
    Derived d;
    d.SetCount(9);
    d.SetFlag(true);
    d.SetMode(Derived::mBeta);
    d.SetOptions(Derived::oGreen);
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.prop) + " <- " + c.in.toStdString());
        try {
            SetPropText(d, c.prop, c.in);
            ADD_FAILURE() << "no error";
        } catch (const EPropertyError &e) {
            if (!c.message.isEmpty()) {
                EXPECT_EQ(e.message(), c.message);
            }
        }
    }
    EXPECT_EQ(d.Count(), 9);
    EXPECT_TRUE(d.Flag());
    EXPECT_EQ(d.Mode(), Derived::mBeta);
    EXPECT_EQ(d.Options(), Derived::TOptions(Derived::oGreen));
    EXPECT_EQ(d.Big(), 0);
    EXPECT_EQ(d.Small(), 0u);
    EXPECT_TRUE(d.dynamicPropertyNames().isEmpty());
}

TEST(PropertyAccess, OutOfRangeEnumerationReadsAsItsNumber)
{
    Derived d;
    d.SetMode(static_cast<Derived::TMode>(9));
    EXPECT_EQ(GetPropText(d, "Mode"), QStringLiteral("9"));
    EXPECT_THROW(GetPropText(d, "Missing"), EPropertyError);
}

#include "PropertyAccessTest.moc"
