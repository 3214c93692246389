#include "store/XmlIni.h"
#include "store/ProjectList.h"
#include "util/FsName.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace kalido;
using kalido::test::readFile;
using kalido::test::writeFile;

namespace {

const QByteArray Header = "<?xml version=\"1.0\"?>\r\n<!-- created by Tessel XML package -->\r\n";

// A store on a file holding Body (written as is) in a fresh temporary folder.
struct Fixture
{
    explicit Fixture(const QByteArray &body = {})
    {
        file = dir.path() + "/settings.xml";
        if (!body.isNull())
            writeFile(file, body);
        ini = NewXMLIni(file);
    }
    // The bytes a save writes now.
    QByteArray saved()
    {
        EXPECT_TRUE(ini->UpdateFile());
        return readFile(file);
    }
    QString keyPath()
    {
        auto key = ini->GetCurrentNode();
        return key ? key->Path() : QStringLiteral("<none>");
    }

    QTemporaryDir dir;
    QString file;
    std::shared_ptr<IXMLIni> ini;
};

// Runs F and returns the message of the failure it raised; empty when it did not fail.
QString failureOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const EXMLIniFailure &e) {
        return e.message();
    }
    return {};
}

} // namespace

TEST(XmlIni, NewStoreOnMissingFile)
{
    QTemporaryDir dir;
    const QString file = dir.path() + "/Orvane/kalido/desktop.xml";
    auto ini = NewXMLIni(file);
    EXPECT_EQ(ini->GetFileName(), file);
    EXPECT_FALSE(ini->GetReadOnly());
    EXPECT_FALSE(ini->OpenKey("projects", false));
    EXPECT_EQ(ini->GetCurrentNode(), nullptr);
    EXPECT_TRUE(ini->OpenKey("projects", true));
    ASSERT_TRUE(ini->UpdateFile());
    EXPECT_EQ(readFile(file), Header + "  <projects />\r\n");
}

TEST(XmlIni, ValueOperationsNeedAWritableKey)
{
    Fixture f;
    const std::function<void()> ops[] = {
        [&] { f.ini->WriteString("a", "b"); },
        [&] { f.ini->ReadString("a"); },
        [&] { f.ini->WriteInteger("a", 1); },
        [&] { f.ini->ReadInteger("a"); },
        [&] { f.ini->WriteBool("a", true); },
        [&] { f.ini->ReadBool("a"); },
        [&] { f.ini->WriteRect("a", {}); },
        [&] { f.ini->ReadRect("a"); },
        [&] { f.ini->WritePoint("a", {}); },
        [&] { f.ini->ReadPoint("a"); },
        [&] { f.ini->WriteIndex("a", "x,y", 0); },
        [&] { f.ini->EraseKey(); },
        [&] { f.ini->DeleteKey(); },
    };
    // Right after creation the document itself is the current key; after a failed OpenKey none is.
    for (bool afterFailedOpen : {false, true}) {
        if (afterFailedOpen) {
            EXPECT_FALSE(f.ini->OpenKey("missing", false));
        }
        for (size_t i = 0; i < std::size(ops); ++i)
            EXPECT_EQ(failureOf(ops[i]), "Unexpected failure in the settings store")
                << "operation " << i << (afterFailedOpen ? " with no key" : " at the document");
    }
    EXPECT_EQ(failureOf([&] { f.ini->Reserved1(); }), "Unexpected failure in the settings store");
    EXPECT_EQ(failureOf([&] { f.ini->Reserved2(); }), "Unexpected failure in the settings store");
    // Lists may live below the document.
    f.ini->OpenKey("", false);
    f.ini->WriteStrings("recent", "x");
    EXPECT_EQ(f.ini->ReadStrings("recent"), "x");
    EXPECT_EQ(f.ini->ValueCount(), 0);
}

TEST(XmlIni, KeyPaths)
{
    Fixture f("<doc><item n=\"1\"/><a><b/></a><item n=\"2\"/><x/><item n=\"3\"/></doc>");
    struct Step
    {
        std::function<bool()> op;
        bool result;
        const char *key;
    } steps[] = {
        {[&] { return f.ini->OpenKey("doc\\a\\b", false); }, true, "Root\\doc\\a\\b"},
        {[&] { return f.ini->OpenKey("\\c\\\\d\\", true); }, true, "Root\\doc\\a\\b\\c\\d"},
        {[&] { return f.ini->OpenKey("\\", false); }, true, "Root\\doc\\a\\b\\c\\d"},
        {[&] { return f.ini->SeekKey("doc\\a\\x\\y"); }, false, "Root\\doc\\a"},
        {[&] { return f.ini->SeekKey("\\b\\c"); }, true, "Root\\doc\\a\\b\\c"},
        {[&] { return f.ini->SeekKey(""); }, true, "Root"},
        {[&] { return f.ini->OpenKey("doc\\item", false, 0); }, true, "Root\\doc\\item"},
        {[&] { return f.ini->OpenKey("DOC\\ITEM", false, 2); }, true, "Root\\doc\\item"},
        {[&] { return f.ini->OpenKey("doc\\item", false, 4); }, false, "<none>"},
        {[&] { return f.ini->OpenKey("doc\\nothing\\item", false); }, false, "<none>"},
        {[&] { return f.ini->OpenKey("", false); }, true, "Root"},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        EXPECT_EQ(steps[i].op(), steps[i].result) << "step " << i;
        EXPECT_EQ(f.keyPath(), steps[i].key) << "step " << i;
    }
    // Index picks the first match after that child position: 0 skips the first item, 2 skips two.
    f.ini->OpenKey("doc\\item", false, 0);
    EXPECT_EQ(f.ini->ReadString("n"), "2");
    f.ini->OpenKey("doc\\item", false, 2);
    EXPECT_EQ(f.ini->ReadString("n"), "3");
    // SeekKey never creates.
    EXPECT_EQ(f.saved(), Header +
                             "  <doc>\r\n    <item n=\"1\" />\r\n    <a>\r\n      <b>\r\n        <c>\r\n"
                             "          <d />\r\n        </c>\r\n      </b>\r\n    </a>\r\n"
                             "    <item n=\"2\" />\r\n    <x />\r\n    <item n=\"3\" />\r\n  </doc>\r\n");
}

TEST(XmlIni, OpenKeyByAttributes)
{
    Fixture f("<projects><project path=\"a\" kind=\"x\"/><project path=\"b\" kind=\"x\"/>"
              "<project path=\"b\" kind=\"y\"/></projects>");
    ASSERT_TRUE(f.ini->OpenKeyByAttributes("projects\\project", "path=b\r\nkind=y", false));
    EXPECT_EQ(f.ini->GetCurrentNode()->Attribute("kind"), "y");
    ASSERT_TRUE(f.ini->OpenKeyByAttributes("projects\\project", "path=b", false));
    EXPECT_EQ(f.ini->GetCurrentNode()->Attribute("kind"), "x");
    EXPECT_FALSE(f.ini->OpenKeyByAttributes("projects\\project", "path=c", false));
    EXPECT_EQ(f.ini->GetCurrentNode(), nullptr);

    // Created keys get the first pair only; missing parents are created too.
    ASSERT_TRUE(f.ini->OpenKeyByAttributes("projects\\project", "path=c\r\nkind=z", true));
    ASSERT_TRUE(f.ini->OpenKeyByAttributes("recent\\list\\entry", "name=n=1", true));
    EXPECT_EQ(f.keyPath(), "Root\\recent\\list\\entry");
    // A relative path creates below the key it started from.
    ASSERT_TRUE(f.ini->OpenKey("recent", false));
    ASSERT_TRUE(f.ini->OpenKeyByAttributes("\\more\\entry", "name=2", true));
    EXPECT_EQ(f.keyPath(), "Root\\recent\\more\\entry");
    EXPECT_EQ(f.saved(),
              Header + "  <projects>\r\n    <project path=\"a\" kind=\"x\" />\r\n"
                       "    <project path=\"b\" kind=\"x\" />\r\n    <project path=\"b\" kind=\"y\" />\r\n"
                       "    <project path=\"c\" />\r\n  </projects>\r\n  <recent>\r\n    <list>\r\n"
                       "      <entry name=\"n\" />\r\n    </list>\r\n    <more>\r\n"
                       "      <entry name=\"2\" />\r\n    </more>\r\n  </recent>\r\n");
}

TEST(XmlIni, TypedValues)
{
    Fixture f(
        "<k t1=\"TRUE\" t2=\"1\" t3=\"yes\" t4=\"true1\" e=\"\" i1=\"12\" i2=\" -7\" i3=\"$1F\" i4=\"0x10\""
        " i5=\"12a\" i6=\"99999999999\" r1=\"(5, 6, 7, 8)\" r2=\"5,6\" r3=\"x,2,3,4\" r4=\"{1,2,3}\""
        " r5=\"[1,2,3,4,5]\" p1=\"[10,20]\" p2=\"[a,5]\" p3=\"7\"/>");
    ASSERT_TRUE(f.ini->OpenKey("k", false));
    struct BoolCase
    {
        const char *name;
        bool def, result;
    } bools[] = {
        {"t1", false, true}, {"t2", false, true},    {"t3", true, false},      {"t4", true, false},
        {"e", true, true},   {"absent", true, true}, {"absent", false, false},
    };
    for (const auto &c : bools)
        EXPECT_EQ(f.ini->ReadBool(c.name, c.def), c.result) << c.name;

    struct IntCase
    {
        const char *name;
        int result;
    } ints[] = {{"i1", 12}, {"i2", -7}, {"i3", 31}, {"i4", 16},
                {"i5", 5},  {"i6", 5},  {"e", 5},   {"absent", 5}};
    for (const auto &c : ints)
        EXPECT_EQ(f.ini->ReadInteger(c.name, 5), c.result) << c.name;

    const IniRect d{-1, -2, -3, -4};
    struct RectCase
    {
        const char *name;
        IniRect result;
    } rects[] = {
        {"r1", {5, 6, 7, 8}},   {"r2", {5, -2, -3, -4}}, {"r3", {-1, 2, 3, 4}},
        {"r4", {1, 2, -3, -4}}, {"r5", {1, 2, 3, -4}},   {"absent", d},
    };
    for (const auto &c : rects)
        EXPECT_EQ(f.ini->ReadRect(c.name, d), c.result) << c.name;

    struct PointCase
    {
        const char *name;
        QPoint result;
    } points[] = {{"p1", {10, 20}}, {"p2", {-1, 5}}, {"p3", {7, -2}}, {"absent", {-1, -2}}};
    for (const auto &c : points)
        EXPECT_EQ(f.ini->ReadPoint(c.name, {-1, -2}), c.result) << c.name;

    EXPECT_EQ(f.ini->ReadString("absent", "dflt"), "dflt");
    EXPECT_EQ(f.ini->ReadString("e", "dflt"), "dflt");
    EXPECT_EQ(f.ini->ReadIndex("absent", "Photo,Music", 1), 1);

    ASSERT_TRUE(f.ini->OpenKey("w", true));
    f.ini->WriteBool("b", true);
    f.ini->WriteBool("c", false);
    f.ini->WriteInteger("i", -42);
    f.ini->WriteRect("r", {1, 2, 3, 4});
    f.ini->WritePoint("p", {10, 20});
    f.ini->WriteIndex("x", "Photo,Music;Cd", 2);
    f.ini->WriteString("s", "one");
    f.ini->WriteString("S", "two");
    EXPECT_EQ(f.ini->ValueCount(), 7);
    EXPECT_EQ(f.ini->ReadIndex("x", "Photo,Music;Cd", 0), 2);
    EXPECT_TRUE(
        f.saved().endsWith("  <w b=\"True\" c=\"False\" i=\"-42\" r=\"[1,2,3,4]\" p=\"[10,20]\" x=\"Cd\""
                           " s=\"two\" />\r\n"));
}

TEST(XmlIni, StringLists)
{
    Fixture f;
    ASSERT_TRUE(f.ini->OpenKey("k", true));
    f.ini->WriteStrings("recent", "one\r\ntwo\nthree\rfour\r\nfive\r\n", 2);
    EXPECT_EQ(f.ini->ReadStrings("recent"), "one\r\ntwo\r\nthree");
    f.ini->WriteStrings("all", "\r\n a & b \r\n<c>\r\n\r\n", 0);
    EXPECT_EQ(f.ini->ReadStrings("ALL"), "a & b \r\n<c>");
    EXPECT_EQ(f.ini->ReadStrings("none"), "");
    EXPECT_EQ(f.saved(), Header +
                             "  <k>\r\n    <recent>\r\n      <Item>one</Item>\r\n      <Item>two</Item>\r\n"
                             "      <Item>three</Item>\r\n    </recent>\r\n    <all>\r\n      <Item />\r\n"
                             "      <Item> a &amp; b </Item>\r\n      <Item>&lt;c&gt;</Item>\r\n"
                             "      <Item />\r\n    </all>\r\n  </k>\r\n");
    // Writing again replaces the items.
    f.ini->WriteStrings("recent", "x");
    EXPECT_EQ(f.ini->ReadStrings("recent"), "x");
    auto reread = NewXMLIni(f.file);
    reread->OpenKey("k", false);
    EXPECT_EQ(reread->ReadStrings("all"), "a & b\r\n<c>");
}

TEST(XmlIni, ValuesSurviveASaveAndALoad)
{
    const QString values[] = {
        "a &amp; b",    "quote\" lt< gt> amp&",
        "&#32;x",       "Zoë, Łódź, Жук, 東京",
        "C:\\Photos\\", FsDecode("/home/u/caf\xe9/\xff.kdp"),
    };
    Fixture f;
    ASSERT_TRUE(f.ini->OpenKey("k", true));
    for (int i = 0; i < int(std::size(values)); ++i)
        f.ini->WriteString(QStringLiteral("v%1").arg(i), values[i]);
    for (int i = 0; i < int(std::size(values)); ++i)
        EXPECT_EQ(f.ini->ReadString(QStringLiteral("v%1").arg(i)), values[i]) << "before saving, value " << i;
    ASSERT_TRUE(f.ini->UpdateFile());
    auto reread = NewXMLIni(f.file);
    ASSERT_TRUE(reread->OpenKey("k", false));
    for (int i = 0; i < int(std::size(values)); ++i)
        EXPECT_EQ(reread->ReadString(QStringLiteral("v%1").arg(i)), values[i])
            << "after loading, value " << i;
}

TEST(XmlIni, ReadOnlyAndFileNames)
{
    Fixture f("<a x=\"1\"/>");
    const QByteArray before = readFile(f.file);
    f.ini->SetReadOnly(true);
    EXPECT_TRUE(f.ini->GetReadOnly());
    ASSERT_TRUE(f.ini->OpenKey("a", false));
    f.ini->WriteString("x", "2");
    EXPECT_FALSE(f.ini->UpdateFile());
    f.ini->Flush();
    EXPECT_EQ(readFile(f.file), before);

    // Another name saves the current file first (when writable), then reads the new one.
    f.ini->SetReadOnly(false);
    const QString other = f.dir.path() + "/other.xml";
    writeFile(other, "<b/>");
    f.ini->SetFileName(other);
    EXPECT_EQ(readFile(f.file), Header + "  <a x=\"2\" />\r\n");
    EXPECT_EQ(f.ini->GetFileName(), other);
    EXPECT_EQ(f.keyPath(), "Root");
    EXPECT_TRUE(f.ini->SeekKey("b"));
    EXPECT_TRUE(f.ini->CheckDocument());
    f.ini->TestFile();
}

TEST(XmlIni, UnreadableFileIsNeverOverwritten)
{
    QTemporaryDir dir;
    // A folder stands for a file that exists and cannot be read.
    const QString blocked = dir.path() + "/blocked.xml";
    writeFile(blocked + "/inside", "data");
    EXPECT_THROW(NewXMLIni(blocked), EXMLIniFailure);

    auto ini = NewXMLIni(dir.path() + "/good.xml");
    ini->OpenKey("a", true);
    EXPECT_THROW(ini->SetFileName(blocked), EXMLIniFailure);
    EXPECT_EQ(ini->GetFileName(), blocked);
    EXPECT_THROW(ini->OpenKey("a", true), EXMLIniFailure);
    EXPECT_FALSE(ini->UpdateFile());
    EXPECT_THROW(ini->TestFile(), EXMLIniFailure);
    EXPECT_EQ(readFile(blocked + "/inside"), QByteArray("data"));
    // The good file was saved on the way out.
    EXPECT_EQ(readFile(dir.path() + "/good.xml"), Header + "  <a />\r\n");
}

TEST(XmlIni, EraseDeleteAndRenewKeys)
{
    Fixture f("<s><window left=\"1\"><pos x=\"1\"/></window><other/><backup old=\"1\"><c/></backup></s>");
    auto renewed = f.ini->RenewKey("s\\window", "s\\backup");
    ASSERT_NE(renewed, nullptr);
    EXPECT_EQ(renewed->GetName(), "window");
    EXPECT_EQ(f.keyPath(), "Root\\s\\window");
    EXPECT_EQ(f.ini->ValueCount(), 0);
    // The old content keeps its place under the second name; an empty key follows at the end.
    EXPECT_EQ(f.saved(), Header +
                             "  <s>\r\n    <backup left=\"1\" >\r\n      <pos x=\"1\" />\r\n    </backup>\r\n"
                             "    <other />\r\n    <window />\r\n  </s>\r\n");

    // A key renewed into one of its ancestors would destroy itself: refused, nothing changes.
    EXPECT_THROW(f.ini->RenewKey("s\\backup\\pos", "s"), EXMLIniFailure);
    EXPECT_THROW(f.ini->RenewKey("", "s"), EXMLIniFailure);
    EXPECT_TRUE(f.saved().contains("<pos x=\"1\" />"));

    ASSERT_TRUE(f.ini->OpenKey("s\\backup", false));
    f.ini->EraseKey();
    EXPECT_EQ(f.keyPath(), "Root\\s\\backup");
    ASSERT_TRUE(f.ini->OpenKey("s\\other", false));
    f.ini->DeleteKey();
    EXPECT_EQ(f.ini->GetCurrentNode(), nullptr);
    EXPECT_THROW(f.ini->WriteString("a", "b"), EXMLIniFailure);
    EXPECT_EQ(f.saved(), Header + "  <s>\r\n    <backup />\r\n    <window />\r\n  </s>\r\n");
}

TEST(XmlIni, CurrentAndRootNodes)
{
    Fixture f("<a><b/></a>");
    auto root = f.ini->GetRootNode();
    auto b = root->FindChild("a")->FindChild("b");
    f.ini->SetCurrentNode(b);
    EXPECT_EQ(f.keyPath(), "Root\\a\\b");
    EXPECT_EQ(f.ini->GetCurrentXmlNode(), NodeOf(b));
    EXPECT_EQ(NodeOf(f.ini->GetKeyNode()), NodeOf(b));
    f.ini->SetCurrentNode(nullptr);
    EXPECT_EQ(f.ini->GetCurrentNode(), nullptr);
    f.ini->SetCurrentXmlNode(NodeOf(b));
    EXPECT_EQ(f.keyPath(), "Root\\a\\b");

    // Nodes of another document are not keys of this one, and the document node stays.
    Fixture other("<x/>");
    EXPECT_THROW(f.ini->SetCurrentNode(other.ini->GetRootNode()->FindChild("x")), EXMLIniFailure);
    EXPECT_THROW(f.ini->SetRootNode(other.ini->GetRootNode()), EXMLIniFailure);
    EXPECT_THROW(f.ini->SetRootNode(nullptr), EXMLIniFailure);
    f.ini->SetRootNode(root);
    EXPECT_EQ(f.keyPath(), "Root\\a\\b");
}

TEST(ProjectList, DesktopFileWithTwoProjects)
{
    QTemporaryDir dir;
    const QString file = dir.path() + "/Orvane/kalido/desktop.xml";
    auto ini = NewXMLIni(file);
    EXPECT_EQ(SavedProjects(*ini), QStringList());
    ASSERT_TRUE(RememberProject(*ini, "/home/u/Trips/Rome & Ostia.kdp"));
    ASSERT_TRUE(RememberProject(*ini, "/home/u/garden.kdp"));
    const QByteArray twoProjects = Header + "  <projects>\r\n"
                                            "    <project path=\"/home/u/Trips/Rome &amp; Ostia.kdp\" />\r\n"
                                            "    <project path=\"/home/u/garden.kdp\" />\r\n"
                                            "  </projects>\r\n";
    EXPECT_EQ(readFile(file), twoProjects);

    // The same project again adds nothing and does not write: a change made on disk meanwhile stays.
    writeFile(file, twoProjects + "\r\n");
    ASSERT_TRUE(RememberProject(*ini, "/home/u/garden.kdp"));
    EXPECT_EQ(readFile(file), twoProjects + "\r\n");

    // The same project under another letter case or "&" spelling stays one entry, as first saved.
    ASSERT_TRUE(RememberProject(*ini, "/HOME/U/Garden.KDP"));
    ASSERT_TRUE(RememberProject(*ini, "/home/u/Trips/Rome  Ostia.kdp"));
    ASSERT_TRUE(RememberProject(*ini, "/home/u/other.kdp"));
    auto reread = NewXMLIni(file);
    EXPECT_EQ(SavedProjects(*reread),
              QStringList({"/home/u/Trips/Rome & Ostia.kdp", "/home/u/garden.kdp", "/home/u/other.kdp"}));
}
