#include "Accessible.h"

#include <oleacc.h>

#include <string>

#include "Inspect.h"
#include "platform/windows/Handles.h"
#include "platform/windows/WideText.h"

namespace {

using protocol::Json;

// IID_IAccessible, written out: MinGW's oleacc import library gives the name as an import
// thunk, whose address is code, not the interface's id.
constexpr IID kIAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

void EnsureCom() {
    static const HRESULT once = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    (void)once;
}

std::string Hex(HRESULT hr) {
    char text[16];
    wsprintfA(text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// A BSTR answer: the text, or null when the object gave none.
Json Text(HRESULT hr, BSTR text) {
    Json v = (SUCCEEDED(hr) && text) ? Json(ToUtf8(std::wstring(text, SysStringLen(text))))
                                     : Json(nullptr);
    if (text) SysFreeString(text);
    return v;
}

std::string RoleName(LONG role) {
    wchar_t text[128];
    const UINT n = GetRoleTextW(static_cast<DWORD>(role), text, 128);
    return ToUtf8(std::wstring(text, n));
}

Json States(LONG bits) {
    static const std::pair<LONG, const char*> names[] = {
        {STATE_SYSTEM_FOCUSABLE, "focusable"}, {STATE_SYSTEM_FOCUSED, "focused"},
        {STATE_SYSTEM_CHECKED, "checked"},     {STATE_SYSTEM_SELECTABLE, "selectable"},
        {STATE_SYSTEM_SELECTED, "selected"},   {STATE_SYSTEM_UNAVAILABLE, "unavailable"},
        {STATE_SYSTEM_INVISIBLE, "invisible"}, {STATE_SYSTEM_READONLY, "readonly"},
        {STATE_SYSTEM_LINKED, "linked"},
    };
    Json out = Json::array();
    for (const auto& [bit, name] : names)
        if (bits & bit) out.push_back(name);
    return out;
}

Json Element(IAccessible* object, LONG child) {
    VARIANT id;
    VariantInit(&id);
    id.vt = VT_I4;
    id.lVal = child;
    Json v;
    BSTR text = nullptr;
    HRESULT hr = object->get_accName(id, &text);
    v["name"] = Text(hr, text);
    text = nullptr;
    hr = object->get_accValue(id, &text);
    v["value"] = Text(hr, text);
    text = nullptr;
    hr = object->get_accKeyboardShortcut(id, &text);
    v["shortcut"] = Text(hr, text);
    text = nullptr;
    hr = object->get_accDefaultAction(id, &text);
    v["action"] = Text(hr, text);
    VARIANT role;
    VariantInit(&role);
    hr = object->get_accRole(id, &role);
    v["role"] = SUCCEEDED(hr) && role.vt == VT_I4 ? Json(RoleName(role.lVal)) : Json(nullptr);
    VariantClear(&role);
    VARIANT state;
    VariantInit(&state);
    hr = object->get_accState(id, &state);
    v["state"] = SUCCEEDED(hr) && state.vt == VT_I4 ? States(state.lVal) : Json::array();
    VariantClear(&state);
    return v;
}

} // namespace

Json DescribeAccessible(HWND hwnd) {
    EnsureCom();
    IAccessible* object = nullptr;
    const HRESULT hr = AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT),
                                                  kIAccessible, reinterpret_cast<void**>(&object));
    if (FAILED(hr) || !object) throw DriverError("AccessibleObjectFromWindow failed: " + Hex(hr));
    Json v = Element(object, CHILDID_SELF);
    long count = 0;
    Json items = Json::array();
    if (SUCCEEDED(object->get_accChildCount(&count)))
        for (long i = 1; i <= count && i <= 256; ++i) {
            VARIANT id;
            VariantInit(&id);
            id.vt = VT_I4;
            id.lVal = i;
            IDispatch* child = nullptr;
            // Element children only: child windows have objects of their own.
            if (object->get_accChild(id, &child) == S_OK && child) {
                child->Release();
                continue;
            }
            items.push_back(Element(object, i));
        }
    object->Release();
    v["items"] = std::move(items);
    return v;
}

Json DescribeAutomation(HWND hwnd) {
    // The flat client API of UI Automation, bound at run time: the MinGW headers lack the COM
    // client's interfaces.
    using Node = void*;
    using FromHandle = HRESULT(WINAPI*)(HWND, Node*);
    using Property = HRESULT(WINAPI*)(Node, int, VARIANT*);
    using ReleaseNode = BOOL(WINAPI*)(Node);
    constexpr int kName = 30005, kControlType = 30003;
    EnsureCom();
    Json v;
    HMODULE core = LoadLibraryW(L"uiautomationcore.dll");
    const auto fromHandle = ProcAddress<FromHandle>(core, "UiaNodeFromHandle");
    const auto property = ProcAddress<Property>(core, "UiaGetPropertyValue");
    const auto release = ProcAddress<ReleaseNode>(core, "UiaNodeRelease");
    if (!fromHandle || !property || !release) {
        v["error"] = "uiautomationcore.dll has no UiaNodeFromHandle";
        return v;
    }
    Node node = nullptr;
    const HRESULT hr = fromHandle(hwnd, &node);
    if (FAILED(hr) || !node) {
        v["error"] = "UiaNodeFromHandle: " + Hex(hr);
        return v;
    }
    VARIANT value;
    VariantInit(&value);
    HRESULT got = property(node, kName, &value);
    v["name"] = SUCCEEDED(got) && value.vt == VT_BSTR
                    ? Json(ToUtf8(std::wstring(value.bstrVal, SysStringLen(value.bstrVal))))
                    : Json("no name: " + Hex(got) + " vt " + std::to_string(value.vt));
    VariantClear(&value);
    got = property(node, kControlType, &value);
    v["control_type"] = SUCCEEDED(got) && value.vt == VT_I4
                            ? Json(static_cast<long long>(value.lVal))
                            : Json(nullptr);
    VariantClear(&value);
    release(node);
    return v;
}

bool SystemHighContrast() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}
