#include "files/StringHash.h"

#include "TestSupport.h"
#include "util/Errors.h"

#include <gtest/gtest.h>

using namespace kalido;

namespace {

TEST(WideStringHash, ExtensionSetsMatchAnyCaseWithTheDot)
{
    TWideStringHash photos;
    photos.AddExtensions(QStringLiteral("jpg;jpeg;tif;tiff"));
    TWideStringHash music;
    music.AddExtensions(QStringLiteral("wma;mp3;ogg;cda"));
    TWideStringHash blanks;
    blanks.AddExtensions(QStringLiteral("jpg; png"));

    struct Row
    {
        const TWideStringHash &set;
        const char16_t *key;
        bool expected;
    } rows[] = {
        {photos, u".JPG", true}, {photos, u".jpg", true}, {photos, u".Tiff", true}, {photos, u".jpe", false},
        {photos, u"", false},    {photos, u"jpg", false}, {music, u".MP3", true},   {music, u".cda", true},
        {music, u"mp3", false},  {music, u".mp", false},  {blanks, u". png", true}, {blanks, u".png", false},
    };
    for (const Row &r : rows)
        EXPECT_EQ(r.set.Contains(QString::fromUtf16(r.key)), r.expected)
            << QString::fromUtf16(r.key).toStdString();
    EXPECT_EQ(photos.Count(), 4);
}

TEST(WideStringHash, FoldsCaseBeyondAsciiAndKeepsOneKey)
{
    TWideStringHash set;
    set.Add(QStringLiteral(".ÄÖÜ"));
    set.Add(QStringLiteral(".äöü"));
    set.Add(QStringLiteral("ΣΊΣΥΦΟΣ"));
    set.Add(QString::fromUtf16(u"\U00010400x")); // Deseret capital long I, outside the BMP
    EXPECT_EQ(set.Count(), 3);
    EXPECT_TRUE(set.Contains(u".äÖü"));
    EXPECT_TRUE(set.Contains(u"σίσυφοσ"));
    EXPECT_TRUE(set.Contains(u"\U00010428X"));
    EXPECT_FALSE(set.Contains(u".aou"));
    // Escaped raw bytes of undecodable file names are keys like any other, and compare exactly.
    set.Add(QString(QChar(0xDCE9)));
    EXPECT_TRUE(set.Contains(QString(QChar(0xDCE9))));
    EXPECT_FALSE(set.Contains(QString(QChar(0xDCC9))));
}

// Counts live instances so ownership can be checked.
struct Tracked : StoredObject
{
    explicit Tracked(int &live) : live(live) { ++live; }
    ~Tracked() override { --live; }
    int &live;
};

TEST(WideStringObjectHash, ReusesTheMostRecentlyFreedSlotFirst)
{
    TWideStringObjectHash map(false, true);
    EXPECT_EQ(map.Add(QStringLiteral("a"), nullptr), 0);
    EXPECT_EQ(map.Add(QStringLiteral("b"), nullptr), 1);
    EXPECT_EQ(map.Add(QStringLiteral("c"), nullptr), 2);
    map.Remove(u"b");
    map.Remove(u"a");
    map.Remove(u"missing");
    EXPECT_TRUE(map.IsDeleted(0));
    EXPECT_TRUE(map.IsDeleted(1));
    EXPECT_FALSE(map.IsDeleted(2));
    EXPECT_EQ(map.Count(), 1);

    EXPECT_EQ(map.Add(QStringLiteral("d"), nullptr), 0);
    EXPECT_EQ(map.Add(QStringLiteral("e"), nullptr), 1);
    EXPECT_EQ(map.Add(QStringLiteral("f"), nullptr), 3);
    EXPECT_EQ(map.SlotCount(), 4);
    EXPECT_EQ(map.KeyAt(0), QStringLiteral("d"));
    EXPECT_EQ(map.KeyAt(1), QStringLiteral("e"));
    EXPECT_EQ(map.KeyAt(3), QStringLiteral("f"));
}

TEST(WideStringObjectHash, MisuseOfSlotsThrows)
{
    TWideStringObjectHash map(false, false);
    map.Add(QStringLiteral("a"), nullptr);
    map.Add(QStringLiteral("b"), nullptr);
    map.Remove(u"A");
    struct Row
    {
        std::function<void()> call;
        QString message;
    } rows[] = {
        {[&] { map.IsDeleted(2); }, QStringLiteral("List index out of bounds (2)")},
        {[&] { map.IsDeleted(-1); }, QStringLiteral("List index out of bounds (-1)")},
        {[&] { map.KeyAt(7); }, QStringLiteral("List index out of bounds (7)")},
        {[&] { map.KeyAt(0); }, QStringLiteral("Item is deleted")},
        {[&] { map.ObjectAt(0); }, QStringLiteral("Item is deleted")},
    };
    for (const Row &r : rows) {
        try {
            r.call();
            ADD_FAILURE() << "no exception for " << r.message.toStdString();
        } catch (const Exception &e) {
            EXPECT_EQ(e.message(), r.message);
        }
    }
    EXPECT_EQ(map.KeyAt(1), QStringLiteral("b"));
}

TEST(WideStringObjectHash, KeysCompareByTheCaseRuleChosenAtCreation)
{
    int live = 0;
    auto one = std::make_unique<Tracked>(live);
    StoredObject *stored = one.get();
    TWideStringObjectHash exact(true, true);
    TWideStringObjectHash folded(true, false);
    ASSERT_TRUE(exact.Add(QStringLiteral("device.arrival"), std::move(one)));
    ASSERT_TRUE(folded.Add(QStringLiteral("Größe"), std::make_unique<Tracked>(live)));

    EXPECT_EQ(exact.Find(u"device.arrival"), stored);
    EXPECT_EQ(exact.Find(u"Device.Arrival"), nullptr);
    EXPECT_EQ(folded.Find(u"GRÖSSE"), nullptr); // folding goes character by character: ß stays ß
    EXPECT_NE(folded.Find(u"GRÖßE"), nullptr);
    EXPECT_TRUE(folded.Contains(u"größe"));
}

TEST(WideStringObjectHash, AddingAPresentKeyLeavesBothObjectsWhereTheyWere)
{
    int live = 0;
    {
        TWideStringObjectHash map(true, true);
        auto first = std::make_unique<Tracked>(live);
        StoredObject *stored = first.get();
        ASSERT_EQ(map.Add(QStringLiteral("k"), std::move(first)), 0);
        EXPECT_EQ(first, nullptr);

        auto second = std::make_unique<Tracked>(live);
        EXPECT_EQ(map.Add(QStringLiteral("k"), std::move(second)), std::nullopt);
        ASSERT_NE(second, nullptr) << "the caller keeps an object that was not stored";
        EXPECT_EQ(map.Find(u"k"), stored);
        EXPECT_EQ(live, 2);
        second.reset();

        map.Add(QStringLiteral("gone"), std::make_unique<Tracked>(live));
        map.Remove(u"gone");
        EXPECT_EQ(live, 1) << "an owning map deletes a removed entry's object";
    }
    EXPECT_EQ(live, 0) << "an owning map deletes its objects when it goes";
}

TEST(WideStringObjectHash, ABorrowingMapNeverDeletes)
{
    int live = 0;
    Tracked kept(live);
    {
        TWideStringObjectHash map(false, false);
        map.Add(QStringLiteral("x"), &kept);
        map.Add(QStringLiteral("y"), &kept);
        map.Remove(u"X");
        EXPECT_EQ(map.Find(u"Y"), &kept);
        EXPECT_THROW(map.Add(QStringLiteral("z"), std::make_unique<Tracked>(live)), Exception);
    }
    EXPECT_EQ(live, 1);
    TWideStringObjectHash owning(true, false);
    EXPECT_THROW(owning.Add(QStringLiteral("z"), &kept), Exception);
}

} // namespace
