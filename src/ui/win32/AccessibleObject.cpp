// The accessible object (IAccessible) a control's window hands out for WM_GETOBJECT: role,
// name, value, state, access key and a check list's items come from the model (Describe);
// place, navigation, parent and hit tests outside the items from the system's standard object
// for the window. The accessibility library is loaded at the first request, so a program no
// screen reader asks pays nothing for it.
#include <oleacc.h>

#include <utility>

#include "platform/Libraries.h"
#include "ui/Accessibility.h"
#include "ui/Dispatch.h"
#include "ui/win32/NativeWindows.h"

namespace win32ui {

namespace {

// {618736E0-3C3D-11CF-810C-00AA00389B71}
constexpr IID kIAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

class Oleacc {
  public:
    using LresultFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    using StdObjectFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
    using AllocFn = BSTR(WINAPI*)(const OLECHAR*);
    using InitFn = HRESULT(WINAPI*)(LPVOID, DWORD);

    static const Oleacc& Get() {
        static const Oleacc instance;
        return instance;
    }
    bool Usable() const { return lresult && stdObject && alloc; }

    LresultFn lresult = nullptr;
    StdObjectFn stdObject = nullptr;
    AllocFn alloc = nullptr;

  private:
    Oleacc() {
        ILibraries& libraries = Libraries::Get();
        if (void* ole32 = libraries.LoadSystem(u"ole32.dll")) {
            // The calls of a client in another process arrive through this thread's apartment.
            if (auto init = reinterpret_cast<InitFn>(libraries.Symbol(ole32, "CoInitializeEx")))
                init(nullptr, COINIT_APARTMENTTHREADED);
        }
        if (void* oleacc = libraries.LoadSystem(u"oleacc.dll")) {
            lresult = reinterpret_cast<LresultFn>(libraries.Symbol(oleacc, "LresultFromObject"));
            stdObject = reinterpret_cast<StdObjectFn>(
                libraries.Symbol(oleacc, "CreateStdAccessibleObject"));
        }
        if (void* oleaut = libraries.LoadSystem(u"oleaut32.dll"))
            alloc = reinterpret_cast<AllocFn>(libraries.Symbol(oleaut, "SysAllocString"));
    }
};

LONG RoleOf(ui::AccessibleRole role) {
    using R = ui::AccessibleRole;
    switch (role) {
    case R::Window:
        return ROLE_SYSTEM_WINDOW;
    case R::Pane:
        return ROLE_SYSTEM_PANE;
    case R::PushButton:
        return ROLE_SYSTEM_PUSHBUTTON;
    case R::RadioButton:
        return ROLE_SYSTEM_RADIOBUTTON;
    case R::CheckButton:
        return ROLE_SYSTEM_CHECKBUTTON;
    case R::Text:
        return ROLE_SYSTEM_TEXT;
    case R::List:
        return ROLE_SYSTEM_LIST;
    case R::ComboBox:
        return ROLE_SYSTEM_COMBOBOX;
    case R::Graphic:
        return ROLE_SYSTEM_GRAPHIC;
    case R::StaticText:
        return ROLE_SYSTEM_STATICTEXT;
    case R::Grouping:
        return ROLE_SYSTEM_GROUPING;
    case R::ProgressBar:
        return ROLE_SYSTEM_PROGRESSBAR;
    case R::StatusBar:
        return ROLE_SYSTEM_STATUSBAR;
    case R::Link:
        return ROLE_SYSTEM_LINK;
    }
    return ROLE_SYSTEM_CLIENT;
}

LONG StateOf(const ui::AccessibleState& s) {
    LONG bits = 0;
    const std::pair<bool, LONG> flags[] = {
        {s.focusable, STATE_SYSTEM_FOCUSABLE}, {s.focused, STATE_SYSTEM_FOCUSED},
        {s.checked, STATE_SYSTEM_CHECKED},     {s.selectable, STATE_SYSTEM_SELECTABLE},
        {s.selected, STATE_SYSTEM_SELECTED},   {s.unavailable, STATE_SYSTEM_UNAVAILABLE},
        {s.invisible, STATE_SYSTEM_INVISIBLE}, {s.readOnly, STATE_SYSTEM_READONLY},
        {s.linked, STATE_SYSTEM_LINKED},
    };
    for (const auto& [on, bit] : flags)
        if (on) bits |= bit;
    return bits;
}

// A COM object is deleted by its own Release, never through the interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class AccessibleObject final : public IAccessible {
  public:
    AccessibleObject(HWND hwnd, IAccessible* standard) : hwnd_(hwnd), std_(standard) {}
    ~AccessibleObject() {
        if (std_) std_->Release();
    }
    AccessibleObject(const AccessibleObject&) = delete;
    AccessibleObject& operator=(const AccessibleObject&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, kIAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long left = --refs_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch: clients use the interface's own methods.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return std_ ? std_->get_accParent(parent) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        NativeControl* c = Live();
        if (!c || !count) return c ? E_POINTER : RPC_E_DISCONNECTED;
        if (const int items = ui::AccessibleItemCount(c->control)) {
            *count = items;
            return S_OK;
        }
        return std_ ? std_->get_accChildCount(count) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        NativeControl* c = Live();
        if (!c || !out) return c ? E_POINTER : RPC_E_DISCONNECTED;
        *out = nullptr;
        if (ui::AccessibleItemCount(c->control)) return Item(child) > 0 ? S_FALSE : E_INVALIDARG;
        return std_ ? std_->get_accChild(child, out) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return Text(child, name, [](const ui::AccessibleInfo& i) { return i.name; });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        const auto info = Info(child);
        if (info && info->value)
            return Text(child, value, [](const ui::AccessibleInfo& i) { return *i.value; });
        if (value) *value = nullptr;
        return info ? S_FALSE : Invalid();
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        if (text) *text = nullptr;
        return Info(child) ? S_FALSE : Invalid();
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        const auto info = Info(child);
        if (!info) return Invalid();
        if (!role) return E_POINTER;
        role->vt = VT_I4;
        role->lVal = RoleOf(info->role);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        auto info = Info(child);
        if (!info) return Invalid();
        if (!state) return E_POINTER;
        // The model follows the focus of its own window; the keyboard is elsewhere while
        // another window (a message box) is active.
        if (GetFocus() != hwnd_) info->state.focused = false;
        state->vt = VT_I4;
        state->lVal = StateOf(info->state);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        if (help) *help = nullptr;
        return Info(child) ? S_FALSE : Invalid();
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* key) override {
        const auto info = Info(child);
        if (info && !info->shortcut.empty())
            return Text(child, key, [](const ui::AccessibleInfo& i) { return i.shortcut; });
        if (key) *key = nullptr;
        return info ? S_FALSE : Invalid();
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        NativeControl* c = Live();
        if (!c || !focus) return c ? E_POINTER : RPC_E_DISCONNECTED;
        focus->vt = VT_EMPTY;
        if (GetFocus() != hwnd_) return S_FALSE;
        if (const int current = CurrentItem(*c); current > 0) {
            focus->vt = VT_I4;
            focus->lVal = current;
            return S_OK;
        }
        focus->vt = VT_I4;
        focus->lVal = CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        NativeControl* c = Live();
        if (!c || !selection) return c ? E_POINTER : RPC_E_DISCONNECTED;
        if (const int current = CurrentItem(*c); current > 0) {
            selection->vt = VT_I4;
            selection->lVal = current;
            return S_OK;
        }
        selection->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        const auto info = Info(child);
        if (info && !info->defaultAction.empty())
            return Text(child, action, [](const ui::AccessibleInfo& i) { return i.defaultAction; });
        if (action) *action = nullptr;
        if (!info) return Invalid();
        return std_ && Item(child) == 0 ? std_->get_accDefaultAction(child, action) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        NativeControl* c = Live();
        if (!c) return RPC_E_DISCONNECTED;
        const int item = Item(child);
        if (item < 0 || !Info(child)) return E_INVALIDARG;
        if (item == 0) return std_ ? std_->accSelect(flags, child) : E_FAIL;
        auto* list = dynamic_cast<ui::CheckListBox*>(&c->control);
        if (!list) return E_INVALIDARG;
        ui::DispatchEvent([&] {
            if (flags & SELFLAG_TAKEFOCUS) list->SetFocus();
            if (flags & (SELFLAG_TAKESELECTION | SELFLAG_TAKEFOCUS)) list->SetItemIndex(item - 1);
        });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        const int item = Item(child);
        if (item <= 0) return std_ ? std_->accLocation(left, top, width, height, child) : E_FAIL;
        if (!Info(child) || !left || !top || !width || !height) return E_INVALIDARG;
        RECT r{};
        if (SendMessageW(hwnd_, LB_GETITEMRECT, static_cast<WPARAM>(item - 1),
                         reinterpret_cast<LPARAM>(&r)) == LB_ERR)
            return E_FAIL;
        MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&r), 2);
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return std_ ? std_->accNavigate(direction, start, end) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        NativeControl* c = Live();
        if (!c || !child) return c ? E_POINTER : RPC_E_DISCONNECTED;
        if (ui::AccessibleItemCount(c->control)) {
            POINT at{x, y};
            RECT client;
            ScreenToClient(hwnd_, &at);
            GetClientRect(hwnd_, &client);
            if (PtInRect(&client, at)) {
                const auto hit = static_cast<DWORD>(
                    SendMessageW(hwnd_, LB_ITEMFROMPOINT, 0, MAKELPARAM(at.x, at.y)));
                child->vt = VT_I4;
                child->lVal = HIWORD(hit) ? CHILDID_SELF : static_cast<LONG>(LOWORD(hit)) + 1;
                return S_OK;
            }
        }
        return std_ ? std_->accHitTest(x, y, child) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        NativeControl* c = Live();
        if (!c) return RPC_E_DISCONNECTED;
        const int item = Item(child);
        if (item == 0) return std_ ? std_->accDoDefaultAction(child) : E_FAIL;
        bool done = false;
        ui::DispatchEvent([&] { done = ui::DoItemDefaultAction(c->control, item); });
        return done ? S_OK : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

  private:
    // The control while its window lives; the client may hold this object longer.
    NativeControl* Live() const { return IsWindow(hwnd_) ? ControlOf(hwnd_) : nullptr; }
    HRESULT Invalid() const { return Live() ? E_INVALIDARG : RPC_E_DISCONNECTED; }

    // The child id of a VARIANT: 0 for the control itself, -1 when it is none.
    static int Item(const VARIANT& child) {
        if (child.vt == VT_I4) return child.lVal >= 0 ? static_cast<int>(child.lVal) : -1;
        if (child.vt == VT_I2) return child.iVal >= 0 ? child.iVal : -1;
        return child.vt == VT_EMPTY ? 0 : -1;
    }
    std::optional<ui::AccessibleInfo> Info(const VARIANT& child) const {
        NativeControl* c = Live();
        const int item = Item(child);
        if (!c || item < 0) return std::nullopt;
        return ui::Describe(c->control, item);
    }
    static int CurrentItem(const NativeControl& c) {
        const auto* list = dynamic_cast<const ui::CheckListBox*>(&c.control);
        return list && list->ItemIndex() >= 0 ? list->ItemIndex() + 1 : 0;
    }
    template <class Pick> HRESULT Text(const VARIANT& child, BSTR* out, Pick pick) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        const auto info = Info(child);
        if (!info) return Invalid();
        const String text = pick(*info);
        if (text.empty()) return S_FALSE;
        *out = Oleacc::Get().alloc(Wide(text));
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    HWND hwnd_;
    IAccessible* std_;
    long refs_ = 1;
};
#pragma GCC diagnostic pop

} // namespace

LRESULT AnswerGetObject(NativeControl& control, WPARAM wParam) {
    const Oleacc& oleacc = Oleacc::Get();
    if (!oleacc.Usable()) return 0;
    IAccessible* standard = nullptr;
    if (FAILED(oleacc.stdObject(control.hwnd, OBJID_CLIENT, kIAccessible,
                                reinterpret_cast<void**>(&standard))))
        standard = nullptr;
    auto* object = new AccessibleObject(control.hwnd, standard);
    const LRESULT result = oleacc.lresult(kIAccessible, wParam, object);
    object->Release(); // the result holds its own reference
    return result > 0 ? result : 0;
}

void NotifyItemEvent(HWND hwnd, DWORD event, int item) {
    NotifyWinEvent(event, hwnd, OBJID_CLIENT, item + 1);
}

} // namespace win32ui
