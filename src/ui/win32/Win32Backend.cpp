#include "ui/win32/Win32Backend.h"

#include <algorithm>
#include <climits>
#include <unordered_map>

#include "base/StepTimes.h"
#include "platform/MessagePump.h"
#include "ui/Dispatch.h"
#include "ui/win32/NativeWindows.h"

namespace win32ui {

const wchar_t kFormClass[] = L"WizForm";
const wchar_t kContainerClass[] = L"WizContainer";
const wchar_t kImageClass[] = L"WizImage";

namespace {

std::unordered_map<HWND, NativeControl*> g_controls;
std::unordered_map<HWND, FormWindow*> g_forms;
Win32BackendHooks g_hooks;
// The first form made: owner of the forms made without one, and of the message boxes.
HWND g_mainWindow = nullptr;

void SetMainWindow(HWND hwnd) {
    g_mainWindow = hwnd;
    if (g_hooks.mainWindowChanged) g_hooks.mainWindowChanged(hwnd);
}

} // namespace

NativeControl* ControlOf(HWND hwnd) {
    auto found = g_controls.find(hwnd);
    return found == g_controls.end() ? nullptr : found->second;
}

FormWindow* FormOf(HWND hwnd) {
    auto found = g_forms.find(hwnd);
    return found == g_forms.end() ? nullptr : found->second;
}

void Register(HWND hwnd, NativeControl* control) {
    g_controls[hwnd] = control;
}
void Register(HWND hwnd, FormWindow* form) {
    g_forms[hwnd] = form;
}

void Unregister(HWND hwnd) {
    g_controls.erase(hwnd);
    g_forms.erase(hwnd);
}

bool OnChildNotification(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_COMMAND:
        if (NativeControl* child = ControlOf(reinterpret_cast<HWND>(lParam))) {
            child->OnCommand(HIWORD(wParam));
            result = 0;
            return true;
        }
        return false;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        NativeControl* child = ControlOf(item->hwndItem);
        if (!child || !child->DrawItem(*item)) return false;
        result = TRUE;
        return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (NativeControl* child = ControlOf(reinterpret_cast<HWND>(lParam))) {
            result = reinterpret_cast<LRESULT>(child->OnColor(reinterpret_cast<HDC>(wParam)));
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool HighContrast() {
    if (g_hooks.highContrastForced && g_hooks.highContrastForced()) return true;
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

bool HandleGuarded(const std::function<bool(LRESULT&)>& handle, LRESULT& result) {
    bool handled = false, ended = false;
    ui::DispatchEvent([&] {
        handled = handle(result);
        ended = true;
    });
    if (ended) return handled;
    result = 0;
    return true;
}

} // namespace win32ui

namespace {

using namespace win32ui;

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* form =
            static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    LRESULT result = 0;
    auto* form = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (form &&
        HandleGuarded([&](LRESULT& r) { return form->OnMessage(msg, wParam, lParam, r); }, result))
        return result;
    return DefDlgProcW(hwnd, msg, wParam, lParam);
}

// Pages, panels and pictures: windows of our own classes.
LRESULT CALLBACK ControlWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* control =
            static_cast<NativeControl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        control->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
    }
    LRESULT result = 0;
    auto* control = reinterpret_cast<NativeControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (control &&
        HandleGuarded([&](LRESULT& r) { return control->OnMessage(msg, wParam, lParam, r); },
                      result))
        return result;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void RegisterClasses() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW form{};
    form.cbSize = sizeof form;
    form.lpfnWndProc = FormProc;
    form.cbWndExtra = DLGWINDOWEXTRA;
    form.hInstance = instance;
    form.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    if (!form.hIcon) form.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    form.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    form.lpszClassName = kFormClass;
    RegisterClassExW(&form);

    WNDCLASSEXW control = form;
    control.lpfnWndProc = ControlWindowProc;
    control.cbWndExtra = 0;
    control.hIcon = nullptr;
    control.lpszClassName = kContainerClass;
    RegisterClassExW(&control);
    control.style = CS_HREDRAW | CS_VREDRAW; // a stretched picture follows the window's size
    control.lpszClassName = kImageClass;
    RegisterClassExW(&control);
}

// Tab order first, then the order of creation; controls without a tab order come last.
std::vector<ui::Control*> InTabOrder(std::vector<ui::Control*> controls) {
    auto key = [](const ui::Control* c) { return c->TabOrder() >= 0 ? c->TabOrder() : INT_MAX; };
    std::stable_sort(
        controls.begin(), controls.end(),
        [&key](const ui::Control* a, const ui::Control* b) { return key(a) < key(b); });
    return controls;
}

// The controls a form or a control holds, in the order their windows are made (which is the
// dialog manager's tab order): controls made without a parent sit on the form.
std::vector<ui::Control*> CreationOrder(const ui::Form& form, const ui::Control* parent) {
    if (parent) {
        std::vector<ui::Control*> held = InTabOrder(parent->Children());
        held.erase(std::remove_if(held.begin(), held.end(),
                                  [](ui::Control* c) { return dynamic_cast<ui::Form*>(c); }),
                   held.end());
        return held;
    }
    std::vector<ui::Control*> top = InTabOrder(form.Children());
    for (ui::Control* c : form.AllControls())
        if (!c->Parent()) top.push_back(c);
    return top;
}

void SetDefaultButton(FormWindow& window, NativeControl& control) {
    if (window.hasDefaultButton || !control.IsDefaultButton()) return;
    window.hasDefaultButton = true;
    SendMessageW(window.hwnd, DM_SETDEFID, static_cast<WPARAM>(GetDlgCtrlID(control.hwnd)), 0);
}

void CreateControls(FormWindow& window, const ui::Control* parent, HWND parentWindow);

// Makes the window of a control hidden until now where it would have been made with the
// others: after the one made before it, so that the tab order stays the model's.
void CreateLate(FormWindow& window, NativeControl& late, HWND parentWindow) {
    late.Create(parentWindow, window.nextId++);
    const std::vector<ui::Control*> order = CreationOrder(window.form, late.control.Parent());
    HWND after = HWND_TOP;
    for (auto it = std::find(order.begin(), order.end(), &late.control); it != order.begin();) {
        auto* before = dynamic_cast<NativeControl*>((*--it)->GetPeer());
        if (before && before->hwnd) {
            after = before->hwnd;
            break;
        }
    }
    SetWindowPos(late.hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetDefaultButton(window, late);
}

// Creates the control's window and then those of the controls on it. Windows cost much under
// Wine (a combo box about 12 ms): a hidden control gets its window, and a hidden container its
// children theirs, when first shown; most never are in a run (the pages not reached, lists
// the program only reads).
void CreateControl(FormWindow& window, ui::Control& control, HWND parentWindow) {
    std::unique_ptr<NativeControl> native = MakePeer(window, control);
    NativeControl& created = *native;
    window.controls.push_back(&created);
    control.AttachPeer(std::move(native));
    const bool holds = !CreationOrder(window.form, &control).empty();
    if (!control.Visible() && !holds) {
        created.WhenFirstShown(
            [&window, &created, parentWindow] { CreateLate(window, created, parentWindow); });
        return;
    }
    created.Create(parentWindow, window.nextId++);
    SetDefaultButton(window, created);
    if (control.Visible()) {
        CreateControls(window, &control, created.hwnd);
    } else {
        created.WhenFirstShown([&window, &control, hwnd = created.hwnd] {
            CreateControls(window, &control, hwnd);
        });
    }
}

void CreateControls(FormWindow& window, const ui::Control* parent, HWND parentWindow) {
    for (ui::Control* c : CreationOrder(window.form, parent))
        if (!c->GetPeer()) CreateControl(window, *c, parentWindow);
}

// Keys the focused control needs for itself: an open drop-down list closes on Enter and
// Esc, an editable memo takes Enter as a new line.
bool KeptByControl(HWND hwnd, WPARAM key) {
    const NativeControl* c = ControlOf(hwnd);
    return c && c->KeepsKey(key);
}

} // namespace

// Dialog keyboard for every form: Tab order, arrows within groups and Alt+letter through
// the dialog manager; Enter and Esc through the model, which knows the default and cancel
// buttons and whether they are enabled.
bool Win32FilterMessage(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !msg.hwnd) return false;
    const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    FormWindow* window = root ? FormOf(root) : nullptr;
    if (!window) return false;
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_ESCAPE || msg.wParam == VK_RETURN)) {
        if (KeptByControl(msg.hwnd, msg.wParam)) return false;
        if (!IsWindowEnabled(root)) return true;
        // The pump calls this outside any window procedure: it has a guard of its own.
        ui::Form& form = window->form;
        const WPARAM key = msg.wParam;
        ui::DispatchEvent([&form, key] {
            if (key == VK_ESCAPE) {
                form.PressEscape();
            } else if (NativeControl* focused = ControlOf(GetFocus());
                       focused && focused->IsPushButton()) {
                focused->control.Click(); // Enter on a focused button presses it
            } else {
                form.PressEnter();
            }
        });
        return true;
    }
    return IsDialogMessageW(root, &msg) != FALSE;
}

namespace {

struct ModalScope {
    ui::Form& form;
    HWND self;
    std::vector<HWND> disabled;
    ~ModalScope() {
        // Enabled again before the form hides, so that the owner gets the activation back.
        for (HWND h : disabled)
            if (IsWindow(h)) EnableWindow(h, TRUE);
        form.Hide();
    }
};

BOOL CALLBACK CollectEnabledWindow(HWND hwnd, LPARAM scope) {
    auto* modal = reinterpret_cast<ModalScope*>(scope);
    if (hwnd != modal->self && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd))
        modal->disabled.push_back(hwnd);
    return TRUE;
}

} // namespace

void Win32Backend::Realize(ui::Form& form) {
    if (dynamic_cast<FormWindow*>(form.GetPeer())) return;
    // A form without an owner of its own belongs to the program's main window (the first one),
    // which keeps the taskbar button.
    HWND owner = nullptr;
    if (form.owner)
        if (auto* o = dynamic_cast<FormWindow*>(form.owner->GetPeer())) owner = o->hwnd;
    if (!owner) owner = g_mainWindow;

    auto created = std::make_unique<FormWindow>(form);
    FormWindow& window = *created;
    window.Create(owner);
    form.AttachPeer(std::move(created));
    if (!g_mainWindow) SetMainWindow(window.hwnd);

    // The controls' windows come with the form's first showing.
    window.WhenFirstShown([&window] {
        TimedStep step("controls");
        CreateControls(window, nullptr, window.hwnd);
    });
    if (form.Visible()) window.Changed(ui::Change::Visible);
}

void Win32Backend::Destroy(ui::Form& form) {
    auto* window = dynamic_cast<FormWindow*>(form.GetPeer());
    if (!window) return;
    for (ui::Control* c : form.AllControls())
        if (dynamic_cast<NativeControl*>(c->GetPeer())) c->DetachPeer();
    window->controls.clear();
    if (g_mainWindow == window->hwnd) SetMainWindow(nullptr);
    form.DetachPeer(); // destroys the window and every child
}

void Win32Backend::RunModal(ui::Form& form) {
    auto* window = dynamic_cast<FormWindow*>(form.GetPeer());
    if (!window || !window->hwnd) {
        form.Show();
        return;
    }
    // The program's other windows take no input meanwhile, as with the system's dialogs.
    ModalScope modal{form, window->hwnd, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&modal));
    for (HWND h : modal.disabled)
        EnableWindow(h, FALSE);
    form.Show();
    auto finished = [&form] {
        return form.ModalResult() != 0 || !form.Visible() ||
               (g_hooks.quitRequested && g_hooks.quitRequested());
    };
    IMessagePump& pump = MessagePump::Get();
    while (!finished()) {
        pump.ProcessMessages();
        if (finished()) break;
        WaitMessage();
    }
}

void InstallWin32Backend(const Win32BackendHooks& hooks) {
    g_hooks = hooks;
    INITCOMMONCONTROLSEX classes{sizeof classes,
                                 ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    RegisterClasses();
    static Win32Backend backend;
    WindowBackend::Install(&backend);
}
