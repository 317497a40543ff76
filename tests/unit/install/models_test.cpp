#include <gtest/gtest.h>

#include "fakes/WizardFixture.h"

TEST(ModelLine, CuttingRules) {
    struct Case {
        const char16_t* line;
        StringList pieces;
    } cases[] = {
        {u"Model-1,VID_1A2B,PID_3C4D", {u"Model-1", u"VID_1A2B", u"PID_3C4D"}},
        {u"Model-1, VID_1A2B , PID_3C4D", {u"Model-1", u"VID_1A2B ", u"PID_3C4D"}},
        {u"Model-1,,PID_3C4D,X", {u"Model-1", u"PID_3C4D", u"X"}},
        {u"\"Model 1, rev 2\",VID_1A2B,PID_3C4D", {u"\"Model 1, rev 2\"", u"VID_1A2B", u"PID_3C4D"}},
        {u"'a,b' c,d", {u"'a,b' c", u"d"}},
        {u"x\"y,z\"w,v", {u"x\"y,z\"w", u"v"}},
        {u"A\r\nB\rC\nD", {u"A", u"B", u"C", u"D"}},
        {u"\"open,quote", {u"\"open,quote"}},
        {u",,,", {}},
        {u"  ", {}},
        {u"", {}},
        {u"a\tb ,c", {u"a\tb ", u"c"}},
    };
    for (const auto& c : cases) EXPECT_EQ(CutModelLine(c.line), c.pieces) << ToUtf8(c.line);
}

namespace {
std::string WithModels(const std::string& models, const std::string& printName = "Model-2") {
    std::string s = WizardFixture::DefaultSettings();
    const size_t from = s.find("m1=");
    s.replace(from, s.find("[CAPTION_EN]") - from, models);
    s = With(s, "PrintName=Model-2", "PrintName=" + printName);
    return s;
}
} // namespace

TEST(ModelTable, ALineWithTooFewPiecesStopsTheLoadThere) {
    struct Case {
        const char* line;
        const char16_t* message;
        const char16_t* storedName;
    } cases[] = {{"Broken,VID_1A2B", u"List index out of bounds (2)", u"Broken"},
                 {",,,", u"List index out of bounds (0)", u""}};
    for (const auto& c : cases) {
        WizardFixture w(WithModels(std::string("a=Model-1,VID_1,PID_1\r\nb=") + c.line +
                                   "\r\nc=Model-3,VID_3,PID_3\r\n"));
        w.Start();
        ASSERT_EQ(w.dialogs.boxes.size(), 1u) << c.line;
        EXPECT_EQ(w.dialogs.boxes[0].text, c.message);
        ASSERT_EQ(PrintModelInfo.size(), 3u);
        EXPECT_EQ(PrintModelInfo[1].PrintName, c.storedName);
        EXPECT_EQ(PrintModelInfo[2].PrintName, u"");
        EXPECT_EQ(frmMain->chkPrintSelect->Count(), 1);
        EXPECT_FALSE(frmShow);
        EXPECT_EQ(frmMain->Caption(), u"ODAX打印机驱动安装"); // the language step did not run
    }
}

TEST(ModelTable, BlankValuesAreSkippedAndFileOrderKept) {
    WizardFixture w(WithModels("z=B,VID_2,PID_2\r\nempty=\r\nblank=   \r\na=\tA,VID_1,PID_1\t\r\n"));
    w.Start();
    ASSERT_EQ(PrintModelInfo.size(), 2u);
    EXPECT_EQ(PrintModelInfo[0].PrintName, u"B");
    EXPECT_EQ(PrintModelInfo[1].PrintName, u"A");
    EXPECT_EQ(PrintModelInfo[1].PID, u"PID_1");
}

namespace {
std::vector<int> Marks() {
    std::vector<int> marked;
    for (int i = 0; i < frmMain->chkPrintSelect->Count(); ++i)
        if (frmMain->chkPrintSelect->Checked(i)) marked.push_back(i);
    return marked;
}
void ToModelPage(WizardFixture& w) {
    w.Click(frmMain->btnNext);
    w.Click(frmMain->btnNext);
    ASSERT_EQ(frmMain->pcPage->ActivePage(), frmMain->tbsDriveNameSelect);
}
} // namespace

TEST(ModelPage, TheDefaultIsMarkedIgnoringBlanksAndLetterCase) {
    WizardFixture w(WithModels("a=Model-1,V,P\r\nb=Model-2,V,P\r\n", "\" model-1 \""));
    w.Start();
    ToModelPage(w);
    EXPECT_EQ(Marks(), std::vector<int>{0});
    EXPECT_EQ(listCheckNum, 0);
}

TEST(ModelPage, TwoItemsOfTheDefaultNameAreBothMarkedAndNextTakesTheFirst) {
    WizardFixture w(WithModels("a=Other,V,P\r\nb=Model-1,V,P\r\nc=Model-1,V2,P2\r\n", "Model-1"));
    w.Start();
    ToModelPage(w);
    EXPECT_EQ(Marks(), (std::vector<int>{1, 2}));
    EXPECT_EQ(listCheckNum, 2);
    w.Click(frmMain->btnNext);
    EXPECT_EQ(PrintSetupInfo.PrintName, u"Model-1");
}

TEST(ModelPage, OneModelStaysMarkedAsTheUserClicks) {
    WizardFixture w(WithModels("a=M0,V,P\r\nb=M1,V,P\r\nc=M2,V,P\r\nd=M3,V,P\r\n", "M1"));
    w.Start();
    ToModelPage(w);
    auto* list = frmMain->chkPrintSelect;
    list->UserClickItem(2, false); // on the text
    EXPECT_EQ(Marks(), std::vector<int>{2});
    list->UserClickItem(3, true); // on the check box
    EXPECT_EQ(Marks(), std::vector<int>{3});
    list->UserClickItem(0, true);
    EXPECT_EQ(Marks(), std::vector<int>{0});
    // Back and forward again: the default comes back.
    w.Click(frmMain->btnPrevious);
    w.Click(frmMain->btnNext);
    EXPECT_EQ(Marks(), std::vector<int>{1});
}

// Arrows move the current item without marking it; Space then marks it as a click on its
// box does, and the one-model rule takes the mark off the other.
TEST(ModelPage, TheSpaceBarMarksTheCurrentModelAndOnlyIt) {
    WizardFixture w(WithModels("a=M0,V,P\r\nb=M1,V,P\r\nc=M2,V,P\r\n", "M0"));
    w.Start();
    ToModelPage(w);
    auto* list = frmMain->chkPrintSelect;
    list->SetItemIndex(2); // what Down does
    EXPECT_EQ(Marks(), std::vector<int>{0});
    list->UserToggleCurrent();
    EXPECT_EQ(Marks(), std::vector<int>{2});
    list->SetItemIndex(1);
    list->UserToggleCurrent();
    EXPECT_EQ(Marks(), std::vector<int>{1});
    list->UserToggleCurrent(); // on the marked model: unmarked, as its box does
    EXPECT_EQ(Marks(), std::vector<int>{});
}

TEST(ModelPage, WithoutACurrentItemTheLastBecomesCurrent) {
    WizardFixture w(WithModels("a=M0,V,P\r\nb=M1,V,P\r\n", ""));
    w.Start();
    ToModelPage(w);
    frmMain->lstCheck();
    EXPECT_EQ(frmMain->chkPrintSelect->ItemIndex(), 1);
    EXPECT_EQ(Marks(), std::vector<int>{1});
}
