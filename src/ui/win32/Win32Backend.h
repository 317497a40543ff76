#pragma once
// The Windows side of the control model: one native window per control, kept in step with
// the model both ways. Positions and fonts of the model are 96-DPI values; they are scaled
// here, once, to the system's DPI.
#include <windows.h>

#include "ui/Form.h"

class Win32Backend final : public ui::IWindowBackend {
  public:
    void Realize(ui::Form& form) override;
    void Destroy(ui::Form& form) override;
    void RunModal(ui::Form& form) override;
};

// What the backend needs from the program's services; the program entry wires them, so that
// the backend and the services never see each other.
struct Win32BackendHooks {
    // The program's main window (the first form made) came or went: the owner of message boxes.
    void (*mainWindowChanged)(HWND hwnd) = nullptr;
    // A quit request is pending: a modal form's loop ends, leaving it for the main loop.
    bool (*quitRequested)() = nullptr;
    // A high-contrast theme is on even where the system says not (Wine 8 always says off);
    // null: the system's answer alone.
    bool (*highContrastForced)() = nullptr;
};

// Registers the window classes and installs the backend.
void InstallWin32Backend(const Win32BackendHooks& hooks);

// The dialog keyboard (Tab, Enter, Esc, Alt+letter) of every form; the message pump hands each
// message here first and leaves it when this returns true.
bool Win32FilterMessage(MSG& msg);
