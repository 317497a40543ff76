#include "dialogs/untWait.h"

#include "config/CaptionKeys.h"
#include "dialogs/DialogLayouts.h"
#include "language/BuiltInText.h"
#include "language/untLanguages.h"
#include "platform/Dialogs.h"
#include "platform/LogFiles.h"
#include "session/InstallLog.h"

TfrmWait* frmWait = nullptr;

namespace {

// The log file to open, or empty while there is none (nothing written yet, or it cannot be).
String ExistingLogFile() {
    String path = installlog::FilePath();
    if (path.empty() || !LogFiles::Installed() || !LogFiles::Get().FileSize(path)) return {};
    return path;
}

} // namespace

TfrmWait::TfrmWait() : ui::Form(u"frmWait", kWaitClientWidth, kWaitClientHeight) {
    SetCaption(u"frmWait");
    position = ui::FormPosition::OwnerCenter;
    Label1 = ui::AddPlaced<ui::Label>(*this, WaitPlace(u"Label1"));
    mmoWait = ui::AddPlaced<ui::Memo>(*this, WaitPlace(u"mmoWait"));
    pbWait = ui::AddPlaced<ui::ProgressBar>(*this, WaitPlace(u"pbWait"));
    BitBtn1 = ui::AddPlaced<ui::Button>(*this, WaitPlace(u"BitBtn1"));
    lblLog = ui::AddPlaced<ui::Label>(*this, WaitPlace(u"lblLog"));

    Label1->autoSize = false;
    Label1->wordWrap = true;
    Label1->opaque = true;
    ui::Font red;
    red.face = u"Tahoma";
    red.height = 16;
    red.bold = true;
    red.color = 0xFF0000;
    Label1->SetFont(red);
    mmoWait->readOnly = true;
    mmoWait->labelledBy = Label1; // the log of what the heading says is going on
    pbWait->SetMin(0);
    pbWait->SetMax(80);
    pbWait->SetStep(1);
    pbWait->SetPosition(0);
    BitBtn1->SetCaption(u"取消(&C)");
    BitBtn1->isCancel = true;
    BitBtn1->cancelGlyph = true;
    BitBtn1->SetTabOrder(0);
    pbWait->SetTabOrder(1);
    mmoWait->SetTabOrder(2);
    BitBtn1->SetTabStop(true);
    lblLog->SetCaption(u"lblLog");
    lblLog->SetVisible(false);
    lblLog->SetCursor(ui::Cursor::HandPoint);
    plain_ = lblLog->GetFont();
    link_ = plain_;
    link_.underline = true;
    link_.color = 0x0000FF;
    lblLog->SetFont(link_);

    OnShow = [this](ui::Control* s) { FormShow(s); };
    BitBtn1->OnClick = [this](ui::Control* s) { BitBtn1Click(s); };
    lblLog->OnClick = [this](ui::Control* s) { lblLogClick(s); };
}

void TfrmWait::FormShow(ui::Control*) {
    mmoWait->Clear();
    // Each showing: the language may have changed, and the run has just begun its log.
    const String refused = installlog::Refusal();
    if (!refused.empty()) {
        // Said where the link would be, as plain text: there is nothing to open.
        lblLog->SetCaption(InDisplayLanguage(kNoInstallLog) + refused);
        lblLog->SetFont(plain_);
        lblLog->SetCursor(ui::Cursor::Default);
        lblLog->SetVisible(true);
        return;
    }
    lblLog->SetCaption(CaptionOrBuiltIn(caption::kOpenLog));
    lblLog->SetFont(link_);
    lblLog->SetCursor(ui::Cursor::HandPoint);
    lblLog->SetVisible(!ExistingLogFile().empty());
}

void TfrmWait::lblLogClick(ui::Control*) {
    const String path = installlog::Refusal().empty() ? ExistingLogFile() : String();
    if (!path.empty()) Dialogs::Get().ShellOpen(path);
}

void TfrmWait::BitBtn1Click(ui::Control*) { Close(); }
