#pragma once
// The Windows side of the control model: one native window per control, kept in step with
// the model both ways. Positions and fonts of the model are 96-DPI values; they are scaled
// here, once, to the system's DPI.
#include "ui/Form.h"

class Win32Backend final : public ui::IWindowBackend {
  public:
    void Realize(ui::Form& form) override;
    void Destroy(ui::Form& form) override;
    void RunModal(ui::Form& form) override;
};

// Registers the window classes, installs the backend and the real message boxes, and
// puts the dialog keyboard (Tab, Enter, Esc, Alt+letter) into the message pump.
void InstallWin32Backend();
