#include "wizard/WizardBox.h"

#include "TestSupport.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace kalido;

namespace {

// Distinct non-null page pointers; the box only stores them and never looks inside.
char pageSlots[8];
TxmlNode *page(int i)
{
    return reinterpret_cast<TxmlNode *>(&pageSlots[i]);
}

struct BoxFixture : ::testing::Test
{
    TxWizardBox box;

    void SetUp() override { box.resize(149, 300); }

    void fill(const QStringList &captions, int selected)
    {
        box.Pages().clear();
        for (int i = 0; i < captions.size(); ++i)
            box.Pages().append({captions[i], page(i)});
        box.SetItemIndex(selected);
    }

    QStringList rowTexts() const
    {
        QStringList texts;
        for (const auto &row : box.DrawnRows())
            texts << row.Text;
        return texts;
    }

    QStringList captions() const
    {
        QStringList texts;
        for (const auto &item : box.Pages())
            texts << item.Caption;
        return texts;
    }

    void clickAt(int y) { QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(60, y)); }
};

TEST_F(BoxFixture, GroupHeadersAreInsertedAndTheCurrentGroupIsExpanded)
{
    fill({"Photos\\Folder", "Photos\\Options", "Music"}, 0);
    EXPECT_EQ(captions(), QStringList({"Photos", "Photos\\Folder", "Photos\\Options", "Music"}));
    EXPECT_EQ(box.Pages()[0].Page, nullptr);
    EXPECT_EQ(box.ItemIndex(), 1) << "the selection stays on the same step";
    EXPECT_EQ(rowTexts(), QStringList({"Photos", "Folder", "Options", "Music"}));

    const auto &rows = box.DrawnRows();
    EXPECT_TRUE(rows[0].Bold);
    EXPECT_EQ(rows[0].Arrow, TxWizardBox::TArrow::Down);
    EXPECT_EQ(rows[1].TextRect.left(), rows[0].TextRect.left() + 16);
    EXPECT_EQ(rows[2].TextRect.left(), rows[0].TextRect.left() + 16);
    EXPECT_EQ(rows[3].TextRect.left(), rows[0].TextRect.left());
    EXPECT_TRUE(rows[1].Bold) << "the selected row";
    EXPECT_FALSE(rows[2].Bold);
    EXPECT_EQ(rows[3].TextRect.top(), 16 + 3 * 32);
}

TEST_F(BoxFixture, OtherGroupsAreFolded)
{
    fill({"Photos\\Folder", "Photos\\Options", "Music"}, 2);
    EXPECT_EQ(box.ItemIndex(), 3);
    EXPECT_EQ(rowTexts(), QStringList({"Photos", "Music"}));
    EXPECT_EQ(box.DrawnRows()[0].Arrow, TxWizardBox::TArrow::Right);
}

TEST_F(BoxFixture, StepNamedLikeAGroupServesAsItsHeader)
{
    fill({"Photos", "Photos\\Folder", "Music"}, 2);
    EXPECT_EQ(captions(), QStringList({"Photos", "Photos\\Folder", "Music"}));
    EXPECT_TRUE(box.IsGroupHeader(0));
    EXPECT_EQ(box.Pages()[0].Page, page(0));
    EXPECT_EQ(rowTexts(), QStringList({"Photos", "Music"}));
}

TEST_F(BoxFixture, MembersSeparatedByAPlainStepShareOneHeader)
{
    fill({"A\\x", "Plain", "A\\y"}, 0);
    EXPECT_EQ(captions(), QStringList({"A", "A\\x", "Plain", "A\\y"}));
    EXPECT_EQ(rowTexts(), QStringList({"A", "x", "Plain", "y"}));
}

TEST_F(BoxFixture, NothingSelectedDrawsNoRows)
{
    fill({"A\\x", "B"}, -1);
    EXPECT_TRUE(box.DrawnRows().isEmpty());
    EXPECT_EQ(box.HitTest(20), -1);
}

TEST_F(BoxFixture, MouseSelection)
{
    fill({"Photos\\Folder", "Photos\\Options", "Music"}, 2); // rows: Photos, Music
    int changes = 0;
    QList<std::pair<int, int>> asked;
    box.OnChange = [&] { ++changes; };
    box.OnChanging = [&](int from, int to, bool &) { asked.append({from, to}); };

    clickAt(16 + 32 + 5);     // Music: already selected
    clickAt(16 + 2 * 32 + 5); // below the last row
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(asked.isEmpty());

    clickAt(10); // top margin: the folded header, which selects its first step
    EXPECT_EQ(box.ItemIndex(), 1);
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], std::make_pair(3, 1));
    EXPECT_EQ(rowTexts(), QStringList({"Photos", "Folder", "Options", "Music"}));
}

TEST_F(BoxFixture, ChangingCanRefuse)
{
    fill({"A", "B"}, 0);
    bool called = false;
    box.OnChanging = [](int, int, bool &allow) { allow = false; };
    box.OnChange = [&] { called = true; };
    clickAt(16 + 32 + 1);
    EXPECT_EQ(box.ItemIndex(), 0);
    EXPECT_FALSE(called);
}

TEST_F(BoxFixture, ResizeRedrawsAndKeepsTheSelection)
{
    fill({"Photos\\Folder", "Photos\\Options", "Music"}, 0);
    box.show();
    box.resize(200, 400);
    QCoreApplication::processEvents();
    EXPECT_EQ(box.ItemIndex(), 1);
    EXPECT_EQ(box.BackBuffer().size(), QSize(200, 400));
    EXPECT_EQ(box.DrawnRows().size(), 4);
    EXPECT_EQ(box.DrawnRows()[1].TextRect.right(), 200 - 1);
}

TEST_F(BoxFixture, SelectedRowShowsThePageBackgroundUpToTheRightEdge)
{
    fill({"A", "B"}, 0);
    const QImage &img = box.BackBuffer();
    const int y = 16 + 16; // middle of the first row
    // The unselected row lies on the button face; the selected one on the plain background,
    // which reaches the last column so that it joins the page area.
    const QColor selectedEdge = img.pixelColor(img.width() - 1, y);
    const QColor faceEdge = img.pixelColor(img.width() - 1, y + 32);
    EXPECT_NE(selectedEdge, faceEdge);
    EXPECT_EQ(selectedEdge, img.pixelColor(17, y));
}

} // namespace
