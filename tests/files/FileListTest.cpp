#include "files/FileList.h"

#include "TestSupport.h"
#include "util/Errors.h"

#include <gtest/gtest.h>

using namespace kalido;

namespace {

QStringList entries(const TFileList &list)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i)
        out << list.Strings(i);
    return out;
}

QStringList fullNames(const TFileList &list)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i)
        out << list.FullName(i);
    return out;
}

TEST(FileList, MakeRelativeFindsTheSharedFolder)
{
    struct Row
    {
        const char *name;
        QStringList in;
        QString base;
        QStringList out;
    } rows[] = {
        {"one entry", {"/a/b.jpg"}, "/a/", {"b.jpg"}},
        {"shared partial name cut to the delimiter",
         {"/Photos/Holiday/a.jpg", "/Photos/Hol/b.jpg", "/Photos/Holy.jpg"},
         "/Photos/",
         {"Holiday/a.jpg", "Hol/b.jpg", "Holy.jpg"}},
        {"different roots", {"C:\\a\\x.jpg", "D:\\a\\y.jpg"}, "", {"C:\\a\\x.jpg", "D:\\a\\y.jpg"}},
        {"Windows delimiters",
         {"C:\\Photos\\2008\\a.jpg", "C:\\Photos\\2009\\b.jpg"},
         "C:\\Photos\\",
         {"2008\\a.jpg", "2009\\b.jpg"}},
        // Linux names differ by case: Photos and photos are two folders.
        {"case matters", {"/m/Photos/a.jpg", "/m/photos/b.jpg"}, "/m/", {"Photos/a.jpg", "photos/b.jpg"}},
        {"only the root shared", {"/a/x.jpg", "/b/y.jpg"}, "/", {"a/x.jpg", "b/y.jpg"}},
        {"no folder in the first entry", {"x.jpg", "/a/y.jpg"}, "", {"x.jpg", "/a/y.jpg"}},
        {"a folder entry equal to the base", {"/p/", "/p/x.jpg"}, "/p/", {"", "x.jpg"}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        TFileList list;
        for (const QString &e : r.in)
            list.Add(e);
        list.MakeRelative();
        EXPECT_EQ(list.BasePath(), r.base);
        EXPECT_EQ(entries(list), r.out);
        EXPECT_EQ(fullNames(list), r.in);
        list.MakeRelative(); // a second call changes nothing
        EXPECT_EQ(entries(list), r.out);
    }
}

TEST(FileList, EntriesAddedAfterMakeRelativeAreRelativeUntilClear)
{
    TFileList list;
    list.Add(QStringLiteral("/a/b.jpg"));
    list.MakeRelative();
    list.Add(QStringLiteral("c/d.jpg"));
    EXPECT_EQ(list.FullName(1), QStringLiteral("/a/c/d.jpg"));

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.BasePath(), QString());
    list.Add(QStringLiteral("/x/y.jpg"));
    EXPECT_EQ(list.FullName(0), QStringLiteral("/x/y.jpg"));
}

TEST(FileList, ClearHandsEveryObjectToOnDeleteObjectInOrder)
{
    StoredObject one, two;
    QList<StoredObject *> seen;
    {
        TFileList list;
        list.AddObject(QStringLiteral("/a"), &one);
        list.Add(QStringLiteral("/b"));
        list.AddObject(QStringLiteral("/c"), &two);
        EXPECT_EQ(list.Objects(2), &two);
        list.OnDeleteObject = [&](TFileList &sender, StoredObject *object) {
            EXPECT_EQ(&sender, &list);
            seen << object;
        };
        list.Clear();
        EXPECT_EQ(seen, (QList<StoredObject *>{&one, nullptr, &two}));
        list.AddObject(QStringLiteral("/d"), &one);
    }
    EXPECT_EQ(seen.size(), 4) << "the destructor clears too";
}

TEST(FileList, RemoveFoldersKeepsFilesAndOrder)
{
    TFileList list;
    for (const char *e : {"/a/", "/a/x.jpg", "/b\\", "/c/", "/a/y.jpg", "/d/"})
        list.Add(QString::fromUtf8(e));
    list.RemoveFolders();
    EXPECT_EQ(entries(list), (QStringList{"/a/x.jpg", "/b\\", "/a/y.jpg"}));
}

TEST(FileList, IndexOutsideTheListThrows)
{
    TFileList list;
    list.Add(QStringLiteral("/a"));
    for (int i : {-1, 1}) {
        try {
            list.FullName(i);
            ADD_FAILURE();
        } catch (const Exception &e) {
            EXPECT_EQ(e.message(), QStringLiteral("List index out of bounds (%1)").arg(i));
        }
        EXPECT_THROW(list.Strings(i), Exception);
        EXPECT_THROW(list.Objects(i), Exception);
    }
}

} // namespace
