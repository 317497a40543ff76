#include "dialogs/untWait.h"

TfrmWait* frmWait = nullptr;

TfrmWait::TfrmWait() : ui::Form(u"frmWait", 527, 345) {
    SetCaption(u"frmWait");
    position = ui::FormPosition::OwnerCenter;
    Label1 = Add<ui::Label>(u"Label1", this, ui::Rect{24, 14, 481, 51});
    mmoWait = Add<ui::Memo>(u"mmoWait", this, ui::Rect{24, 71, 481, 218});
    pbWait = Add<ui::ProgressBar>(u"pbWait", this, ui::Rect{24, 305, 391, 17});
    BitBtn1 = Add<ui::Button>(u"BitBtn1", this, ui::Rect{421, 300, 84, 27});

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
