// wizdriver: acts on a Windows program as a user would, for tests that run it under Wine.
// It reads one command per line on standard input and answers one line on standard
// output, both JSON objects in UTF-8:
//   {"cmd": "find_window", "title": "Test window", "timeout_ms": 5000, "seq": 3}
//   {"seq": 3, "ok": true, "hwnd": 65580, ...}   or   {"seq": 3, "ok": false, "error": "..."}
// Window handles and process ids travel as integers. tests/e2e/harness.py (class Driver)
// documents every command.
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Input.h"
#include "Inspect.h"
#include "Json.h"
#include "Spooler.h"
#include "Wide.h"

namespace {

using json::Value;
using Handler = std::function<Value(const Value&)>;

constexpr WORD kMessageBoxTextId = 0xFFFF; // the static holding a message box's text

// Processes this driver started, so they can be waited for and ended by id.
std::map<DWORD, HANDLE> g_started;

// ---- request fields ------------------------------------------------------------------

const Value& Need(const Value& req, const char* key) {
    const Value* v = req.Find(key);
    if (!v || v->IsNull()) throw DriverError(std::string("missing \"") + key + "\"");
    return *v;
}
long long IntOr(const Value& req, const char* key, long long fallback) {
    return req.Has(key) ? req.Find(key)->AsInt() : fallback;
}
std::string StrOr(const Value& req, const char* key, const std::string& fallback) {
    return req.Has(key) ? req.Find(key)->AsString() : fallback;
}
bool BoolOr(const Value& req, const char* key, bool fallback) {
    return req.Has(key) ? req.Find(key)->AsBool() : fallback;
}
HWND WindowArg(const Value& req, const char* key = "hwnd") {
    return CheckWindow(Need(req, key).AsInt());
}
DWORD Timeout(const Value& req) {
    return static_cast<DWORD>(IntOr(req, "timeout_ms", 0));
}

Value Handle(HWND hwnd) {
    return Value(static_cast<long long>(reinterpret_cast<INT_PTR>(hwnd)));
}

Value Rect(const RECT& r) {
    return Value(Value::Array{r.left, r.top, r.right, r.bottom});
}

Value Strings(const std::vector<std::wstring>& list) {
    Value out = Value::MakeArray();
    for (const auto& s : list)
        out.Push(ToUtf8(s));
    return out;
}

// The caption the system keeps for a window; no message to the (maybe busy) program.
std::wstring Caption(HWND hwnd) {
    wchar_t text[1024];
    const int n = InternalGetWindowText(hwnd, text, 1024);
    return std::wstring(text, n > 0 ? static_cast<size_t>(n) : 0);
}

// A short description without asking the program anything.
Value Brief(HWND hwnd) {
    Value v;
    v.Set("hwnd", Handle(hwnd));
    v.Set("name", ToUtf8(WizName(hwnd)));
    v.Set("class", ToUtf8(ClassName(hwnd)));
    v.Set("caption", ToUtf8(Caption(hwnd)));
    v.Set("pid", static_cast<long long>(ProcessOf(hwnd)));
    v.Set("ctrl_id", static_cast<long long>(GetDlgCtrlID(hwnd)));
    v.Set("visible", IsWindowVisible(hwnd) != FALSE);
    v.Set("enabled", IsWindowEnabled(hwnd) != FALSE);
    return v;
}

HWND FindControl(HWND parent, const std::wstring& name) {
    for (HWND child : Descendants(parent))
        if (WizName(child) == name) return child;
    return nullptr;
}

bool IsMessageBox(HWND hwnd) {
    return ClassName(hwnd) == L"#32770" && IsWindowVisible(hwnd) &&
           GetDlgItem(hwnd, kMessageBoxTextId) != nullptr;
}

std::vector<HWND> MessageBoxes(DWORD pid) {
    std::vector<HWND> found;
    for (HWND hwnd : TopLevelWindows())
        if ((!pid || ProcessOf(hwnd) == pid) && IsMessageBox(hwnd)) found.push_back(hwnd);
    return found;
}

Value DescribeMessageBox(HWND box) {
    Value v = Brief(box);
    v.Set("title", ToUtf8(Text(box)));
    v.Set("text", ToUtf8(Text(GetDlgItem(box, kMessageBoxTextId))));
    Value buttons = Value::MakeArray();
    for (HWND child : Descendants(box)) {
        if (!SameClass(child, L"Button") || !IsWindowVisible(child)) continue;
        Value b;
        b.Set("id", static_cast<long long>(GetDlgCtrlID(child)));
        b.Set("text", ToUtf8(Text(child)));
        b.Set("hwnd", Handle(child));
        buttons.Push(std::move(b));
    }
    v.Set("buttons", std::move(buttons));
    return v;
}

ClickVia ViaArg(const Value& req) {
    const std::string via = StrOr(req, "via", "auto");
    if (via == "auto") return ClickVia::Auto;
    if (via == "mouse") return ClickVia::Mouse;
    if (via == "message") return ClickVia::Message;
    if (via == "invoke") return ClickVia::Invoke;
    throw DriverError("unknown \"via\": " + via);
}

HWND ComboDropDown(HWND combo) {
    const DWORD pid = ProcessOf(combo);
    for (HWND hwnd : TopLevelWindows())
        if (ProcessOf(hwnd) == pid && IsWindowVisible(hwnd) && SameClass(hwnd, L"ComboLBox"))
            return hwnd;
    return nullptr;
}

POINT Centre(const RECT& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// ---- commands ------------------------------------------------------------------------

Value Ping(const Value&) {
    Value v;
    v.Set("pid", static_cast<long long>(GetCurrentProcessId()));
    v.Set("screen",
          Value(Value::Array{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}));
    return v;
}

Value Configure(const Value& req) {
    g_answerTimeoutMs = static_cast<UINT>(IntOr(req, "answer_timeout_ms", g_answerTimeoutMs));
    return Value::MakeObject();
}

// The driver's own environment with `changes` (name: value) set, as a block for
// CreateProcessW: the commands a started program runs inherit them (the stand-ins' log).
std::wstring EnvironmentWith(const json::Value::Object& changes) {
    std::vector<std::pair<std::wstring, std::wstring>> vars;
    for (const auto& [name, value] : changes)
        vars.emplace_back(FromUtf8(name), FromUtf8(value.AsString()));
    std::wstring block;
    wchar_t* own = GetEnvironmentStringsW();
    for (const wchar_t* p = own; *p; p += wcslen(p) + 1) {
        const std::wstring entry(p);
        const size_t eq = entry.find(L'=', 1); // "=C:=C:\dir" entries start with '='
        const std::wstring name = entry.substr(0, eq);
        bool changed = false;
        for (const auto& v : vars)
            changed = changed || lstrcmpiW(v.first.c_str(), name.c_str()) == 0;
        if (!changed) block += entry + L'\0';
    }
    FreeEnvironmentStringsW(own);
    for (const auto& [name, value] : vars)
        block += name + L'=' + value + L'\0';
    return block + L'\0';
}

Value Start(const Value& req) {
    const std::wstring exe = FromUtf8(Need(req, "exe").AsString());
    std::wstring line = L"\"" + exe + L"\"";
    const std::wstring args = FromUtf8(StrOr(req, "args", ""));
    if (!args.empty()) line += L" " + args;
    const std::wstring cwd = FromUtf8(StrOr(req, "cwd", ""));
    const Value* env = req.Find("env");
    std::wstring block = env && !env->IsNull() ? EnvironmentWith(env->AsObject()) : L"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE,
                        CREATE_UNICODE_ENVIRONMENT, block.empty() ? nullptr : block.data(),
                        cwd.empty() ? nullptr : cwd.c_str(), &si, &pi))
        throw DriverError("cannot start " + ToUtf8(exe) + ": " +
                          ToUtf8(SystemText(GetLastError())));
    CloseHandle(pi.hThread);
    g_started[pi.dwProcessId] = pi.hProcess;
    Value v;
    v.Set("pid", static_cast<long long>(pi.dwProcessId));
    return v;
}

HANDLE StartedProcess(const Value& req) {
    const auto pid = static_cast<DWORD>(Need(req, "pid").AsInt());
    const auto it = g_started.find(pid);
    if (it == g_started.end())
        throw DriverError("not started by this driver: " + std::to_string(pid));
    return it->second;
}

Value WaitExit(const Value& req) {
    HANDLE process = StartedProcess(req);
    Value v;
    const bool exited = WaitForSingleObject(process, Timeout(req)) == WAIT_OBJECT_0;
    v.Set("exited", exited);
    DWORD code = 0;
    if (exited && GetExitCodeProcess(process, &code)) v.Set("code", static_cast<long long>(code));
    return v;
}

Value Kill(const Value& req) {
    HANDLE process = StartedProcess(req);
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
    }
    return Value::MakeObject();
}

Value Windows(const Value& req) {
    const auto pid = static_cast<DWORD>(IntOr(req, "pid", 0));
    const bool all = BoolOr(req, "all", false);
    Value list = Value::MakeArray();
    for (HWND hwnd : TopLevelWindows())
        if ((!pid || ProcessOf(hwnd) == pid) && (all || IsWindowVisible(hwnd)))
            list.Push(Brief(hwnd));
    Value v;
    v.Set("windows", std::move(list));
    return v;
}

Value FindWindowCmd(const Value& req) {
    const auto pid = static_cast<DWORD>(IntOr(req, "pid", 0));
    const bool hasTitle = req.Has("title"), hasClass = req.Has("class"), hasName = req.Has("name");
    const std::wstring title = FromUtf8(StrOr(req, "title", ""));
    const std::wstring cls = FromUtf8(StrOr(req, "class", ""));
    const std::wstring name = FromUtf8(StrOr(req, "name", ""));
    const bool visible = BoolOr(req, "visible", true);
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND hwnd : TopLevelWindows()) {
                if (pid && ProcessOf(hwnd) != pid) continue;
                if (visible && !IsWindowVisible(hwnd)) continue;
                if (hasClass && !SameClass(hwnd, cls.c_str())) continue;
                if (hasTitle && Caption(hwnd) != title) continue;
                if (hasName && WizName(hwnd) != name) continue;
                found = hwnd;
                return true;
            }
            return false;
        },
        Timeout(req));
    if (!found) throw DriverError("no such window found in time");
    return Brief(found);
}

Value Find(const Value& req) {
    const HWND parent = WindowArg(req, "parent");
    const std::wstring name = FromUtf8(Need(req, "name").AsString());
    HWND found = nullptr;
    WaitFor([&] { return (found = FindControl(parent, name)) != nullptr; }, Timeout(req));
    if (!found) throw DriverError("no control named " + ToUtf8(name));
    return Brief(found);
}

Value Controls(const Value& req) {
    Value list = Value::MakeArray();
    for (HWND child : Descendants(WindowArg(req)))
        list.Push(Brief(child));
    Value v;
    v.Set("controls", std::move(list));
    return v;
}

Value Info(const Value& req) {
    const HWND hwnd = WindowArg(req);
    Value v = Brief(hwnd);
    v.Set("text", ToUtf8(Text(hwnd)));
    v.Set("focused", IsFocused(hwnd));
    v.Set("rect", Rect(ScreenRect(hwnd)));
    // Without a window manager the frame is not drawn: pictures of a window crop to this.
    RECT client{};
    if (GetClientRect(hwnd, &client)) {
        MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
        v.Set("client", Rect(client));
    }
    if (SameClass(hwnd, L"Button")) v.Set("checked", Ask(hwnd, BM_GETCHECK) == BST_CHECKED);
    v.Set("foreground", GetForegroundWindow() == GetAncestor(hwnd, GA_ROOT));
    return v;
}

Value TextCmd(const Value& req) {
    Value v;
    v.Set("text", ToUtf8(Text(WindowArg(req))));
    return v;
}

Value MemoCmd(const Value& req) {
    Value v;
    v.Set("lines", Strings(Lines(WindowArg(req))));
    return v;
}

Value Items(const Value& req) {
    const ListState s = ReadList(WindowArg(req));
    Value v;
    v.Set("items", Strings(s.items));
    v.Set("selected", s.selected);
    Value data = Value::MakeArray(), marks = Value::MakeArray();
    for (const LONG_PTR d : s.data) {
        data.Push(static_cast<long long>(d));
        marks.Push(d != 0);
    }
    v.Set("data", std::move(data));
    // A check list keeps each item's mark in its item data (nonzero is marked).
    v.Set("marks", std::move(marks));
    return v;
}

Value ProgressCmd(const Value& req) {
    const ProgressState p = ReadProgress(WindowArg(req));
    Value v;
    v.Set("pos", p.pos);
    v.Set("min", p.min);
    v.Set("max", p.max);
    return v;
}

Value StatusCmd(const Value& req) {
    Value texts = Value::MakeArray(), edges = Value::MakeArray();
    for (const StatusPanel& p : ReadStatusBar(WindowArg(req))) {
        texts.Push(ToUtf8(p.text));
        edges.Push(p.right);
    }
    Value v;
    v.Set("panels", std::move(texts));
    v.Set("edges", std::move(edges));
    return v;
}

Value Foreground(const Value& req) {
    Value v;
    v.Set("active", BringToFront(WindowArg(req)));
    return v;
}

Value FocusCmd(const Value& req) {
    GiveFocus(WindowArg(req));
    return Value::MakeObject();
}

Value ClickCmd(const Value& req) {
    const HWND hwnd = WindowArg(req);
    POINT at{};
    const POINT* point = nullptr;
    if (req.Has("x") && req.Has("y")) {
        const RECT r = ScreenRect(hwnd);
        at = {r.left + static_cast<LONG>(req.Find("x")->AsInt()),
              r.top + static_cast<LONG>(req.Find("y")->AsInt())};
        point = &at;
    }
    Value v;
    v.Set("via", Click(hwnd, point, ViaArg(req), BoolOr(req, "double", false)));
    return v;
}

Value ClickItem(const Value& req) {
    const HWND list = WindowArg(req);
    const RECT r = ListItemRect(list, static_cast<int>(Need(req, "index").AsInt()));
    const std::string area = StrOr(req, "area", "text");
    POINT pt = Centre(r);
    // The mark's box sits at the left edge of a check list item.
    if (area == "check")
        pt.x = r.left + 8;
    else if (area != "text")
        throw DriverError("unknown \"area\": " + area);
    Value v;
    v.Set("via", Click(list, &pt, ClickVia::Mouse, BoolOr(req, "double", false)));
    return v;
}

int IndexArg(const Value& req, const std::vector<std::wstring>& items) {
    if (req.Has("index")) return static_cast<int>(req.Find("index")->AsInt());
    const std::wstring text = FromUtf8(Need(req, "text").AsString());
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == text) return static_cast<int>(i);
    throw DriverError("no item " + ToUtf8(text));
}

Value Select(const Value& req) {
    const HWND hwnd = WindowArg(req);
    const ListState s = ReadList(hwnd);
    const int index = IndexArg(req, s.items);
    if (index < 0 || index >= static_cast<int>(s.items.size()))
        throw DriverError("no item " + std::to_string(index));
    Value v;
    if (!s.isCombo) {
        const POINT pt = Centre(ListItemRect(hwnd, index));
        v.Set("via", Click(hwnd, &pt, ClickVia::Mouse));
        return v;
    }
    const ClickVia via = ViaArg(req);
    if (via == ClickVia::Invoke) throw DriverError("only a button can be invoked");
    if (via != ClickVia::Message) {
        // As a user: open the list, click the item.
        Click(hwnd, nullptr, ClickVia::Mouse);
        HWND drop = nullptr;
        if (WaitFor([&] { return (drop = ComboDropDown(hwnd)) != nullptr; }, 2000)) {
            const POINT pt = Centre(ListItemRect(drop, index));
            Click(drop, &pt, ClickVia::Mouse);
            if (WaitFor([&] { return Ask(hwnd, CB_GETCURSEL) == index && !ComboDropDown(hwnd); },
                        2000)) {
                v.Set("via", "mouse");
                return v;
            }
        }
        if (via == ClickVia::Mouse) throw DriverError("the drop-down list did not take the click");
        Ask(hwnd, CB_SHOWDROPDOWN, FALSE);
    }
    // The selection a user makes, and the notice its owner gets for it.
    Ask(hwnd, CB_SETCURSEL, static_cast<WPARAM>(index));
    PostMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(hwnd));
    v.Set("via", "message");
    return v;
}

Value TypeCmd(const Value& req) {
    const std::wstring text = FromUtf8(Need(req, "text").AsString());
    const std::string via = StrOr(req, "via", "keys");
    if (via == "chars") {
        TypeChars(WindowArg(req), text);
    } else if (via == "keys") {
        if (req.Has("hwnd")) GiveFocus(WindowArg(req));
        TypeKeys(text);
    } else {
        throw DriverError("unknown \"via\": " + via);
    }
    return Value::MakeObject();
}

Value KeysCmd(const Value& req) {
    if (req.Has("hwnd")) BringToFront(WindowArg(req));
    const Value& keys = Need(req, "keys");
    if (keys.IsArray()) {
        for (const Value& k : keys.AsArray())
            PressKeys(k.AsString());
    } else {
        PressKeys(keys.AsString());
    }
    return Value::MakeObject();
}

Value MessageBoxCmd(const Value& req) {
    const auto pid = static_cast<DWORD>(IntOr(req, "pid", 0));
    std::vector<HWND> boxes;
    WaitFor([&] { return !(boxes = MessageBoxes(pid)).empty(); }, Timeout(req));
    if (boxes.empty()) throw DriverError("no message box appeared");
    return DescribeMessageBox(boxes.front());
}

Value MessageBoxesCmd(const Value& req) {
    Value list = Value::MakeArray();
    for (HWND box : MessageBoxes(static_cast<DWORD>(IntOr(req, "pid", 0))))
        list.Push(DescribeMessageBox(box));
    Value v;
    v.Set("boxes", std::move(list));
    return v;
}

Value Press(const Value& req) {
    const HWND box = WindowArg(req);
    const auto id = static_cast<int>(Need(req, "id").AsInt());
    const HWND button = GetDlgItem(box, id);
    if (!button) throw DriverError("the box has no button " + std::to_string(id));
    Value v;
    v.Set("via", Click(button, nullptr, ViaArg(req)));
    return v;
}

Value Close(const Value& req) {
    const HWND hwnd = WindowArg(req);
    const std::string via = StrOr(req, "via", "closebox");
    if (via == "closebox")
        PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    else if (via == "message")
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
    else
        throw DriverError("unknown \"via\": " + via);
    return Value::MakeObject();
}

Value WaitGone(const Value& req) {
    const auto raw = Need(req, "hwnd").AsInt();
    const HWND hwnd = reinterpret_cast<HWND>(static_cast<INT_PTR>(raw));
    Value v;
    v.Set("gone", WaitFor([&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); }, Timeout(req)));
    return v;
}

Value Printers(const Value&) {
    Value list = Value::MakeArray();
    for (const PrinterEntry& p : LocalPrinters()) {
        Value e;
        e.Set("name", ToUtf8(p.name));
        e.Set("port", ToUtf8(p.port));
        e.Set("driver", ToUtf8(p.driver));
        list.Push(std::move(e));
    }
    Value v;
    v.Set("printers", std::move(list));
    return v;
}

Value Drivers(const Value&) {
    Value v;
    v.Set("drivers", Strings(PrinterDrivers()));
    return v;
}

Value Ports(const Value&) {
    Value v;
    v.Set("ports", Strings(PortNames()));
    return v;
}

Value ErrorText(const Value& req) {
    Value v;
    v.Set("text", ToUtf8(SystemText(static_cast<DWORD>(Need(req, "code").AsInt()))));
    return v;
}

const std::map<std::string, Handler>& Commands() {
    static const std::map<std::string, Handler> table = {
        {"ping", Ping},
        {"configure", Configure},
        {"start", Start},
        {"wait_exit", WaitExit},
        {"kill", Kill},
        {"windows", Windows},
        {"find_window", FindWindowCmd},
        {"find", Find},
        {"controls", Controls},
        {"info", Info},
        {"text", TextCmd},
        {"memo", MemoCmd},
        {"items", Items},
        {"progress", ProgressCmd},
        {"status", StatusCmd},
        {"foreground", Foreground},
        {"focus", FocusCmd},
        {"click", ClickCmd},
        {"click_item", ClickItem},
        {"select", Select},
        {"type", TypeCmd},
        {"keys", KeysCmd},
        {"message_box", MessageBoxCmd},
        {"message_boxes", MessageBoxesCmd},
        {"press", Press},
        {"close", Close},
        {"wait_gone", WaitGone},
        {"printers", Printers},
        {"drivers", Drivers},
        {"ports", Ports},
        {"error_text", ErrorText},
    };
    return table;
}

std::string Answer(const std::string& line, bool& quit) {
    Value answer;
    try {
        const Value req = json::Parse(line);
        if (!req.IsObject()) throw DriverError("a command is a JSON object");
        if (const Value* seq = req.Find("seq")) answer.Set("seq", *seq);
        const std::string cmd = Need(req, "cmd").AsString();
        if (cmd == "quit") {
            quit = true;
            answer.Set("ok", true);
            return json::Write(answer);
        }
        const auto it = Commands().find(cmd);
        if (it == Commands().end()) throw DriverError("unknown command: " + cmd);
        Value result = it->second(req);
        answer.Set("ok", true);
        for (auto& [k, v] : result.AsObject())
            answer.Set(k, v);
    } catch (const std::exception& e) {
        answer.Set("ok", false);
        answer.Set("error", e.what());
    }
    return json::Write(answer);
}

void WriteLine(HANDLE out, std::string line) {
    line += '\n';
    DWORD written = 0;
    WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

} // namespace

int wmain() {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    std::string pending;
    char buffer[4096];
    bool quit = false;
    while (!quit) {
        DWORD got = 0;
        if (!ReadFile(in, buffer, sizeof buffer, &got, nullptr) || got == 0) break;
        pending.append(buffer, got);
        size_t nl;
        while (!quit && (nl = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, nl);
            pending.erase(0, nl + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty()) continue;
            WriteLine(out, Answer(line, quit));
        }
    }
    // Nothing this driver started outlives it.
    for (auto& [pid, process] : g_started) {
        if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) TerminateProcess(process, 1);
        CloseHandle(process);
    }
    return 0;
}
