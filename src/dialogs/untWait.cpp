#include "dialogs/untWait.h"

#include "dialogs/DialogLayouts.h"

TfrmWait* frmWait = nullptr;

TfrmWait::TfrmWait() : ui::Form(u"frmWait", kWaitClientWidth, kWaitClientHeight) {
    SetCaption(u"frmWait");
    position = ui::FormPosition::OwnerCenter;
    Label1 = ui::AddPlaced<ui::Label>(*this, WaitPlace(u"Label1"));
    mmoWait = ui::AddPlaced<ui::Memo>(*this, WaitPlace(u"mmoWait"));
    pbWait = ui::AddPlaced<ui::ProgressBar>(*this, WaitPlace(u"pbWait"));
    BitBtn1 = ui::AddPlaced<ui::Button>(*this, WaitPlace(u"BitBtn1"));

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

    OnShow = [this](ui::Control* s) { FormShow(s); };
    BitBtn1->OnClick = [this](ui::Control* s) { BitBtn1Click(s); };
}

void TfrmWait::FormShow(ui::Control*) { mmoWait->Clear(); }

void TfrmWait::BitBtn1Click(ui::Control*) { Close(); }
