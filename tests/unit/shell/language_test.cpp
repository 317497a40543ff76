#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>

#include "fakes/WizardFixture.h"
#include "ui/PictureFile.h"

namespace {

// A small valid JPEG, made here so the tests need no picture files.
std::string TinyJpeg(int width = 4, int height = 3) {
    jpeg_compress_struct info{};
    jpeg_error_mgr err{};
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(width) * 3, 200);
    while (info.next_scanline < info.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    std::string bytes(reinterpret_cast<char*>(out), size);
    jpeg_destroy_compress(&info);
    std::free(out);
    return bytes;
}

// A JPEG whose frame header claims another size than its data holds.
std::string Claiming(std::string jpeg, unsigned width, unsigned height) {
    const size_t sof = jpeg.find("\xFF\xC0");
    EXPECT_NE(sof, std::string::npos);
    if (sof == std::string::npos) return jpeg;
    // Marker, length, precision, then height and width, big-endian.
    jpeg[sof + 5] = static_cast<char>(height >> 8);
    jpeg[sof + 6] = static_cast<char>(height & 0xFF);
    jpeg[sof + 7] = static_cast<char>(width >> 8);
    jpeg[sof + 8] = static_cast<char>(width & 0xFF);
    return jpeg;
}

std::string WithLogos(const std::string& cn, const std::string& en) {
    std::string s = WizardFixture::DefaultSettings();
    s = With(s, "CompanyLogoCN=logo-cn.jpg", "CompanyLogoCN=" + cn);
    s = With(s, "CompanyLogoEN=logo-en.bmp", "CompanyLogoEN=" + en);
    return s;
}

} // namespace

TEST(Language, DetectedFromTheLocalesLanguageIdentifier) {
    struct Case {
        std::optional<String> value;
        TOSLanguage language;
    } cases[] = {{String(u"0804"), TOSLanguage::CN}, {String(u"0004"), TOSLanguage::CN},
                 {String(u"1004"), TOSLanguage::CN}, {String(u"0404"), TOSLanguage::EN},
                 {String(u"0C04"), TOSLanguage::EN}, {String(u"0409"), TOSLanguage::EN},
                 {String(u"804"), TOSLanguage::CN},  {String(u"zh-CN"), TOSLanguage::EN},
                 {String(u""), TOSLanguage::EN},     {std::nullopt, TOSLanguage::EN}};
    FakeLocale locale;
    ScopedService<ILocale> installed(locale);
    for (const auto& c : cases) {
        locale.value = c.value;
        EXPECT_EQ(GetWindowsLanguage(1), c.language) << (c.value ? ToUtf8(*c.value) : "unreadable");
    }
}

TEST(Language, AChineseSystemStartsInChinese) {
    WizardFixture w;
    w.locale.value = String(u"0804");
    OSLanguage = GetWindowsLanguage(1);
    w.Start();
    EXPECT_TRUE(frmMain->rbChinese->Checked());
    EXPECT_FALSE(frmMain->rbEnglish->Checked());
    EXPECT_EQ(LCaption, u"CAPTION_CN");
    EXPECT_EQ(frmMain->btnNext->Caption(), u"中14");
}

TEST(Language, SwitchingRelabelsEveryControlAndTheTitle) {
    WizardFixture w;
    w.Start();
    frmMain->lblUSBPrompt->SetCaption(u"left by a search");
    frmMain->StatusBar1->SetPanelText(1, u"left by a run");
    w.Click(frmMain->rbChinese);
    auto* f = frmMain;
    const std::pair<ui::Control*, int> table[] = {
        {f->lblLanguage, 1},   {f->rbNet, 2},          {f->rbUsb, 3},
        {f->rbRs232, 4},       {f->rbLPT, 5},          {f->lblNetIP, 6},
        {f->lblUSBTitle, 7},   {f->gbUSBprompt, 8},    {f->lblUSBPrompt, 9},
        {f->lblRs232, 10},     {f->lblLpt, 11},        {f->btnAbout, 12},
        {f->btnPrevious, 13},  {f->btnNext, 14},       {f->btnStartInstall, 15},
        {f->btnQuit, 16},      {f->btnFindUSB, 17},    {f->lblPrintModelSelect, 19},
        {f->lblWelcome, 21},   {f->lblWeb, 22}};
    for (const auto& [control, key] : table)
        EXPECT_EQ(control->Caption(), u"中" + IntToStr(key)) << ToUtf8(control->Name());
    EXPECT_EQ(f->StatusBar1->PanelText(0), u"中8");
    EXPECT_EQ(f->StatusBar1->PanelText(1), u"中18");
    EXPECT_EQ(f->Caption(), u"中20 DLL Ver:12 Tool Ver: 2.5");
    EXPECT_EQ(f->rbChinese->Caption(), u"中文");
    EXPECT_EQ(f->rbEnglish->Caption(), u"English");

    // From now on every message box reads the Chinese section.
    w.dialogs.answers = {mb::ID_NO};
    w.Click(f->btnQuit);
    EXPECT_EQ(w.dialogs.boxes.back().text, u"中43");
}

TEST(Language, TitleWithoutTheLibrarysVersionEntryShowsZero) {
    WizardFixture w;
    w.libraries.symbols.erase("GetPrinterLibVersion");
    w.Start();
    EXPECT_EQ(frmMain->Caption(), u"en20 DLL Ver:0 Tool Ver: 2.5");
}

TEST(Language, LogoRules) {
    struct Case {
        const char* name;
        std::string cnPath, enPath;
        bool visibleAfterEnglish, visibleAfterChinese;
    } cases[] = {
        {"JPG in capitals loads", "LOGO.JPG", "logo.bmp", true, true},
        {"png is hidden", "logo.png", "logo.bmp", true, false},
        {"missing file", "nothing.jpg", "logo.bmp", true, false},
        {"empty path", "", "logo.bmp", true, false},
        {"damaged JPEG hidden and stays hidden", "logo.jpg", "broken.jpeg", false, false},
        {"a header claiming a huge size", "logo.jpg", "huge.jpg", false, false},
    };
    for (const auto& c : cases) {
        WizardFixture w(WithLogos(c.cnPath, c.enPath));
        w.kit.Write("LOGO.JPG", TinyJpeg());
        w.kit.Write("logo.jpg", TinyJpeg());
        w.kit.Write("logo.png", "\x89PNG");
        w.kit.Write("logo.bmp", "BM");
        w.kit.Write("broken.jpeg", TinyJpeg().substr(0, 40));
        w.kit.Write("huge.jpg", Claiming(TinyJpeg(), 65500, 65500));
        w.Start();
        EXPECT_EQ(frmMain->ImgCompanyLogo->Visible(), c.visibleAfterEnglish) << c.name;
        w.Click(frmMain->rbChinese);
        EXPECT_EQ(frmMain->ImgCompanyLogo->Visible(), c.visibleAfterChinese) << c.name;
        if (c.visibleAfterChinese) {
            ASSERT_TRUE(frmMain->ImgCompanyLogo->Picture()) << c.name;
            EXPECT_EQ(frmMain->ImgCompanyLogo->Picture()->width, 4) << c.name;
        }
        EXPECT_TRUE(w.dialogs.boxes.empty()) << c.name;
    }
}

TEST(AboutDialog, FilledFromTheSettingsInEitherLanguage) {
    std::string s = WizardFixture::DefaultSettings();
    s = With(s, "[OEM]\r\n",
             "[OEM]\r\nAddrCN=地址\r\nAddrEN=Street 1\r\nServerTel=400\r\nQQ=123\r\nWeb=w.example\r\n"
             "Tel=\r\nFAX=555\r\nQRImageCN=qr.txt\r\nQRImageEN=qr.jpg\r\n");
    WizardFixture w(s);
    w.kit.Write("qr.jpg", TinyJpeg());
    w.kit.Write("qr.txt", "not a picture");
    w.kit.Write("logo-cn.jpg", TinyJpeg());
    w.Start();
    std::vector<std::function<void(ui::Form&)>> checks;
    w.backend.onModal = [&](ui::Form& form) {
        auto& about = static_cast<TfrmAbout&>(form);
        if (OSLanguage == TOSLanguage::EN) {
            EXPECT_EQ(about.Caption(), u"Demo Ltd.");
            EXPECT_EQ(about.lblCompanyName->Caption(), u"Demo Ltd.");
            EXPECT_FALSE(about.lblCompanyNameEN->Visible());
            EXPECT_EQ(about.Memo1->Lines(),
                      (StringList{u"", u"en61400", u"", u"en62123", u"", u"en63w.example", u"",
                                  u"en64Street 1", u"", u"en65    en66555"}));
            EXPECT_TRUE(about.imgQR->Visible());
            EXPECT_TRUE(about.imgLogo->Visible());
            EXPECT_EQ(about.OKButton->Caption(), u"en16");
        } else {
            EXPECT_EQ(about.Caption(), u"演示公司");
            EXPECT_TRUE(about.lblCompanyNameEN->Visible());
            EXPECT_EQ(about.lblCompanyNameEN->Caption(), u"Demo Ltd.");
            EXPECT_EQ(about.Memo1->Lines()[7], u"中64地址");
            // A QR file that does not decode hides both pictures, the valid logo too.
            EXPECT_FALSE(about.imgQR->Visible());
            EXPECT_FALSE(about.imgLogo->Visible());
        }
        EXPECT_EQ(about.lblWeb->Caption(), u"w.example");
        EXPECT_TRUE(about.lblWeb->Visible());
        EXPECT_TRUE(about.OKButton->Focused());
        about.OKButton->Click();
    };
    w.Click(frmMain->btnAbout);
    w.Click(frmMain->rbChinese);
    w.Click(frmMain->btnAbout);
    EXPECT_EQ(w.backend.realized.size(), 5u); // three windows at start, one dialog per click
}

TEST(Pictures, AClaimedSizePastTheLimitIsRefusedBeforeDecoding) {
    struct Case {
        unsigned width, height;
        bool decodes;
    } cases[] = {
        {4, 3, true},      {65500, 65500, false}, {16385, 1, false},
        {1, 16385, false}, {8192, 4096, false}, // past the total
        {16384, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const std::string jpeg = Claiming(TinyJpeg(), c.width, c.height);
        if (c.decodes) {
            const Bitmap b = ui::DecodeJpeg(jpeg);
            EXPECT_EQ(b.width, static_cast<int>(c.width));
            EXPECT_EQ(b.height, static_cast<int>(c.height));
        } else {
            EXPECT_THROW(ui::DecodeJpeg(jpeg), Exception);
        }
    }
}

TEST(AboutDialog, APictureClaimingAHugeSizeIsHiddenWithoutAMessage) {
    std::string s = WizardFixture::DefaultSettings();
    s = With(s, "[OEM]\r\n", "[OEM]\r\nQRImageEN=qr.jpg\r\n");
    s = With(s, "CompanyLogoEN=logo-en.bmp", "CompanyLogoEN=huge.jpg");
    WizardFixture w(s);
    w.kit.Write("qr.jpg", TinyJpeg());
    w.kit.Write("huge.jpg", Claiming(TinyJpeg(), 65500, 65500));
    w.Start();
    EXPECT_FALSE(frmMain->ImgCompanyLogo->Visible());
    int shown = 0;
    w.backend.onModal = [&](ui::Form& form) {
        auto& about = static_cast<TfrmAbout&>(form);
        ++shown;
        EXPECT_FALSE(about.imgQR->Visible());
        EXPECT_FALSE(about.imgLogo->Visible());
        about.OKButton->Click();
    };
    w.Click(frmMain->btnAbout);
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(w.dialogs.boxes.empty());
}

TEST(WaitDialog, CancelHidesOnlyWhileEnabledAndTheLogClearsOnlyWhenShown) {
    WizardFixture w;
    w.Start();
    frmWait->Show();
    frmWait->mmoWait->Append(u"one");
    frmWait->Show(); // already visible: the log stays
    EXPECT_EQ(frmWait->mmoWait->Lines(), StringList{u"one"});
    frmWait->BitBtn1->SetEnabled(false);
    frmWait->PressEscape();
    EXPECT_TRUE(frmWait->Visible());
    frmWait->BitBtn1->SetEnabled(true);
    frmWait->PressEscape();
    EXPECT_FALSE(frmWait->Visible());
    EXPECT_EQ(frmWait->mmoWait->Lines(), StringList{u"one"}); // hiding keeps the contents
    frmWait->Show();
    EXPECT_TRUE(frmWait->mmoWait->Lines().empty());
    EXPECT_EQ(frmWait->BitBtn1->Caption(), u"取消(&C)");
    EXPECT_EQ(frmWait->pbWait->Max(), 80);
}
