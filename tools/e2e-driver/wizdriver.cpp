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

#include "Accessible.h"
#include "Input.h"
#include "Inspect.h"
#include "Protocol.h"
#include "Spooler.h"
#include "platform/windows/ErrorText.h"

namespace {

using protocol::AsBool;
using protocol::AsInt;
using protocol::AsString;
using protocol::Find;
using protocol::Has;
using protocol::Json;
using Handler = std::function<Json(const Json&)>;

constexpr WORD kMessageBoxTextId = 0xFFFF; // the static holding a message box's text

// Processes this driver started, so they can be waited for and ended by id.
std::map<DWORD, Handle> g_started;

// ---- request fields ------------------------------------------------------------------

const Json& Need(const Json& req, const char* key) {
    const Json* v = Find(req, key);
    if (!v || v->is_null()) throw DriverError(std::string("missing \"") + key + "\"");
    return *v;
}
long long IntOr(const Json& req, const char* key, long long fallback) {
    return Has(req, key) ? AsInt(*Find(req, key)) : fallback;
}
std::string StrOr(const Json& req, const char* key, const std::string& fallback) {
    return Has(req, key) ? AsString(*Find(req, key)) : fallback;
}
bool BoolOr(const Json& req, const char* key, bool fallback) {
    return Has(req, key) ? AsBool(*Find(req, key)) : fallback;
}
HWND WindowArg(const Json& req, const char* key = "hwnd") {
    return CheckWindow(AsInt(Need(req, key)));
}
DWORD Timeout(const Json& req) {
    return static_cast<DWORD>(IntOr(req, "timeout_ms", 0));
}

Json WindowHandle(HWND hwnd) {
    return Json(static_cast<long long>(reinterpret_cast<INT_PTR>(hwnd)));
}

Json Rect(const RECT& r) {
    return Json::array({r.left, r.top, r.right, r.bottom});
}

Json Strings(const std::vector<std::wstring>& list) {
    Json out = Json::array();
    for (const auto& s : list)
        out.push_back(ToUtf8(s));
    return out;
}

// The caption the system keeps for a window; no message to the (maybe busy) program.
std::wstring Caption(HWND hwnd) {
    wchar_t text[1024];
    const int n = InternalGetWindowText(hwnd, text, 1024);
    return std::wstring(text, n > 0 ? static_cast<size_t>(n) : 0);
}

// A short description without asking the program anything.
Json Brief(HWND hwnd) {
    Json v;
    v["hwnd"] = WindowHandle(hwnd);
    v["name"] = ToUtf8(WizName(hwnd));
    v["class"] = ToUtf8(ClassName(hwnd));
    v["caption"] = ToUtf8(Caption(hwnd));
    v["pid"] = static_cast<long long>(ProcessOf(hwnd));
    v["ctrl_id"] = static_cast<long long>(GetDlgCtrlID(hwnd));
    v["visible"] = IsWindowVisible(hwnd) != FALSE;
    v["enabled"] = IsWindowEnabled(hwnd) != FALSE;
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

Json DescribeMessageBox(HWND box) {
    Json v = Brief(box);
    v["title"] = ToUtf8(Text(box));
    v["text"] = ToUtf8(Text(GetDlgItem(box, kMessageBoxTextId)));
    Json buttons = Json::array();
    for (HWND child : Descendants(box)) {
        if (!SameClass(child, L"Button") || !IsWindowVisible(child)) continue;
        Json b;
        b["id"] = static_cast<long long>(GetDlgCtrlID(child));
        b["text"] = ToUtf8(Text(child));
        b["hwnd"] = WindowHandle(child);
        buttons.push_back(std::move(b));
    }
    v["buttons"] = std::move(buttons);
    return v;
}

ClickVia ViaArg(const Json& req) {
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

Json Ping(const Json&) {
    Json v;
    v["pid"] = static_cast<long long>(GetCurrentProcessId());
    v["screen"] = Json::array({GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    return v;
}

Json Configure(const Json& req) {
    g_answerTimeoutMs = static_cast<UINT>(IntOr(req, "answer_timeout_ms", g_answerTimeoutMs));
    return Json::object();
}

// The driver's own environment with `changes` (name: value) set, as a block for
// CreateProcessW: the commands a started program runs inherit them (the stand-ins' log).
std::wstring EnvironmentWith(const Json& changes) {
    if (!changes.is_object()) throw protocol::Error("expected an object");
    std::vector<std::pair<std::wstring, std::wstring>> vars;
    for (const auto& change : changes.items())
        vars.emplace_back(ToWide(FromUtf8(change.key())),
                          ToWide(FromUtf8(AsString(change.value()))));
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

Json Start(const Json& req) {
    const std::wstring exe = ToWide(FromUtf8(AsString(Need(req, "exe"))));
    std::wstring line = L"\"" + exe + L"\"";
    const std::wstring args = ToWide(FromUtf8(StrOr(req, "args", "")));
    if (!args.empty()) line += L" " + args;
    const std::wstring cwd = ToWide(FromUtf8(StrOr(req, "cwd", "")));
    const Json* env = Find(req, "env");
    std::wstring block = env && !env->is_null() ? EnvironmentWith(*env) : L"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    // The program's standard output and error into a file, when asked: never this driver's
    // own answers, which a program writing to an output it was handed would garble.
    const std::wstring output = ToWide(FromUtf8(StrOr(req, "stdout", "")));
    Handle outputFile;
    if (!output.empty()) {
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        outputFile =
            Handle(CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!outputFile)
            throw DriverError("cannot create " + ToUtf8(FromWide(output)) + ": " +
                              ToUtf8(WindowsErrorText(GetLastError())));
        si.dwFlags |= STARTF_USESTDHANDLES;
        si.hStdOutput = si.hStdError = outputFile.get();
    }
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, outputFile ? TRUE : FALSE,
                        CREATE_UNICODE_ENVIRONMENT, block.empty() ? nullptr : block.data(),
                        cwd.empty() ? nullptr : cwd.c_str(), &si, &pi))
        throw DriverError("cannot start " + ToUtf8(exe) + ": " +
                          ToUtf8(WindowsErrorText(GetLastError())));
    CloseHandle(pi.hThread);
    g_started[pi.dwProcessId] = Handle(pi.hProcess);
    Json v;
    v["pid"] = static_cast<long long>(pi.dwProcessId);
    return v;
}

HANDLE StartedProcess(const Json& req) {
    const auto pid = static_cast<DWORD>(AsInt(Need(req, "pid")));
    const auto it = g_started.find(pid);
    if (it == g_started.end())
        throw DriverError("not started by this driver: " + std::to_string(pid));
    return it->second.get();
}

Json WaitExit(const Json& req) {
    HANDLE process = StartedProcess(req);
    Json v;
    const bool exited = WaitForSingleObject(process, Timeout(req)) == WAIT_OBJECT_0;
    v["exited"] = exited;
    DWORD code = 0;
    if (exited && GetExitCodeProcess(process, &code)) v["code"] = static_cast<long long>(code);
    return v;
}

// Any process, by its id: ended (or gone) within the time limit.
Json ProcessEnded(const Json& req) {
    const auto pid = static_cast<DWORD>(AsInt(Need(req, "pid")));
    Json v;
    Handle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    v["ended"] = !process || WaitForSingleObject(process.get(), Timeout(req)) == WAIT_OBJECT_0;
    return v;
}

Json Kill(const Json& req) {
    HANDLE process = StartedProcess(req);
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
    }
    return Json::object();
}

Json Windows(const Json& req) {
    const auto pid = static_cast<DWORD>(IntOr(req, "pid", 0));
    const bool all = BoolOr(req, "all", false);
    Json list = Json::array();
    for (HWND hwnd : TopLevelWindows())
        if ((!pid || ProcessOf(hwnd) == pid) && (all || IsWindowVisible(hwnd)))
            list.push_back(Brief(hwnd));
    Json v;
    v["windows"] = std::move(list);
    return v;
}

Json FindWindowCmd(const Json& req) {
    const auto pid = static_cast<DWORD>(IntOr(req, "pid", 0));
    const bool hasTitle = Has(req, "title"), hasClass = Has(req, "class"),
               hasName = Has(req, "name");
    const std::wstring title = ToWide(FromUtf8(StrOr(req, "title", "")));
    const std::wstring cls = ToWide(FromUtf8(StrOr(req, "class", "")));
    const std::wstring name = ToWide(FromUtf8(StrOr(req, "name", "")));
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

Json FindCmd(const Json& req) {
    const HWND parent = WindowArg(req, "parent");
    const std::wstring name = ToWide(FromUtf8(AsString(Need(req, "name"))));
    HWND found = nullptr;
    WaitFor([&] { return (found = FindControl(parent, name)) != nullptr; }, Timeout(req));
    if (!found) throw DriverError("no control named " + ToUtf8(name));
    return Brief(found);
}

Json Controls(const Json& req) {
    Json list = Json::array();
    for (HWND child : Descendants(WindowArg(req)))
        list.push_back(Brief(child));
    Json v;
    v["controls"] = std::move(list);
    return v;
}

Json Info(const Json& req) {
    const HWND hwnd = WindowArg(req);
    Json v = Brief(hwnd);
    v["text"] = ToUtf8(Text(hwnd));
    v["focused"] = IsFocused(hwnd);
    v["rect"] = Rect(ScreenRect(hwnd));
    // Without a window manager the frame is not drawn: pictures of a window crop to this.
    RECT client{};
    if (GetClientRect(hwnd, &client)) {
        MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
        v["client"] = Rect(client);
    }
    if (SameClass(hwnd, L"Button")) v["checked"] = Ask(hwnd, BM_GETCHECK) == BST_CHECKED;
    v["foreground"] = GetForegroundWindow() == GetAncestor(hwnd, GA_ROOT);
    return v;
}

Json TextCmd(const Json& req) {
    Json v;
    v["text"] = ToUtf8(Text(WindowArg(req)));
    return v;
}

Json MemoCmd(const Json& req) {
    Json v;
    v["lines"] = Strings(Lines(WindowArg(req)));
    return v;
}

Json Items(const Json& req) {
    const ListState s = ReadList(WindowArg(req));
    Json v;
    v["items"] = Strings(s.items);
    v["selected"] = s.selected;
    Json data = Json::array(), marks = Json::array();
    for (const LONG_PTR d : s.data) {
        data.push_back(static_cast<long long>(d));
        marks.push_back(d != 0);
    }
    v["data"] = std::move(data);
    // A check list keeps each item's mark in its item data (nonzero is marked).
    v["marks"] = std::move(marks);
    return v;
}

Json ProgressCmd(const Json& req) {
    const ProgressState p = ReadProgress(WindowArg(req));
    Json v;
    v["pos"] = p.pos;
    v["min"] = p.min;
    v["max"] = p.max;
    return v;
}

Json StatusCmd(const Json& req) {
    Json texts = Json::array(), edges = Json::array();
    for (const StatusPanel& p : ReadStatusBar(WindowArg(req))) {
        texts.push_back(ToUtf8(p.text));
        edges.push_back(p.right);
    }
    Json v;
    v["panels"] = std::move(texts);
    v["edges"] = std::move(edges);
    return v;
}

Json Foreground(const Json& req) {
    Json v;
    v["active"] = BringToFront(WindowArg(req));
    return v;
}

Json FocusCmd(const Json& req) {
    GiveFocus(WindowArg(req));
    return Json::object();
}

Json ClickCmd(const Json& req) {
    const HWND hwnd = WindowArg(req);
    POINT at{};
    const POINT* point = nullptr;
    if (Has(req, "x") && Has(req, "y")) {
        const RECT r = ScreenRect(hwnd);
        at = {r.left + static_cast<LONG>(AsInt(*Find(req, "x"))),
              r.top + static_cast<LONG>(AsInt(*Find(req, "y")))};
        point = &at;
    }
    Json v;
    v["via"] = Click(hwnd, point, ViaArg(req), BoolOr(req, "double", false));
    return v;
}

Json ClickItem(const Json& req) {
    const HWND list = WindowArg(req);
    const RECT r = ListItemRect(list, static_cast<int>(AsInt(Need(req, "index"))));
    const std::string area = StrOr(req, "area", "text");
    POINT pt = Centre(r);
    // The mark's box sits at the left edge of a check list item.
    if (area == "check")
        pt.x = r.left + 8;
    else if (area != "text")
        throw DriverError("unknown \"area\": " + area);
    Json v;
    v["via"] = Click(list, &pt, ClickVia::Mouse, BoolOr(req, "double", false));
    return v;
}

int IndexArg(const Json& req, const std::vector<std::wstring>& items) {
    if (Has(req, "index")) return static_cast<int>(AsInt(*Find(req, "index")));
    const std::wstring text = ToWide(FromUtf8(AsString(Need(req, "text"))));
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == text) return static_cast<int>(i);
    throw DriverError("no item " + ToUtf8(text));
}

Json Select(const Json& req) {
    const HWND hwnd = WindowArg(req);
    const ListState s = ReadList(hwnd);
    const int index = IndexArg(req, s.items);
    if (index < 0 || index >= static_cast<int>(s.items.size()))
        throw DriverError("no item " + std::to_string(index));
    Json v;
    if (!s.isCombo) {
        const POINT pt = Centre(ListItemRect(hwnd, index));
        v["via"] = Click(hwnd, &pt, ClickVia::Mouse);
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
                v["via"] = "mouse";
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
    v["via"] = "message";
    return v;
}

Json TypeCmd(const Json& req) {
    const std::wstring text = ToWide(FromUtf8(AsString(Need(req, "text"))));
    const std::string via = StrOr(req, "via", "keys");
    if (via == "chars") {
        TypeChars(WindowArg(req), text);
    } else if (via == "keys") {
        if (Has(req, "hwnd")) GiveFocus(WindowArg(req));
        TypeKeys(text);
    } else {
        throw DriverError("unknown \"via\": " + via);
    }
    return Json::object();
}

Json KeysCmd(const Json& req) {
    if (Has(req, "hwnd")) BringToFront(WindowArg(req));
    const Json& keys = Need(req, "keys");
    if (keys.is_array()) {
        for (const Json& k : keys)
            PressKeys(AsString(k));
    } else {
        PressKeys(AsString(keys));
    }
    return Json::object();
}

Json MessageBoxCmd(const Json& req) {
    const auto pid = static_cast<DWORD>(IntOr(req, "pid", 0));
    std::vector<HWND> boxes;
    WaitFor([&] { return !(boxes = MessageBoxes(pid)).empty(); }, Timeout(req));
    if (boxes.empty()) throw DriverError("no message box appeared");
    return DescribeMessageBox(boxes.front());
}

Json MessageBoxesCmd(const Json& req) {
    Json list = Json::array();
    for (HWND box : MessageBoxes(static_cast<DWORD>(IntOr(req, "pid", 0))))
        list.push_back(DescribeMessageBox(box));
    Json v;
    v["boxes"] = std::move(list);
    return v;
}

Json Press(const Json& req) {
    const HWND box = WindowArg(req);
    const auto id = static_cast<int>(AsInt(Need(req, "id")));
    const HWND button = GetDlgItem(box, id);
    if (!button) throw DriverError("the box has no button " + std::to_string(id));
    Json v;
    v["via"] = Click(button, nullptr, ViaArg(req));
    return v;
}

Json Close(const Json& req) {
    const HWND hwnd = WindowArg(req);
    const std::string via = StrOr(req, "via", "closebox");
    if (via == "closebox")
        PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    else if (via == "message")
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
    else
        throw DriverError("unknown \"via\": " + via);
    return Json::object();
}

Json WaitGone(const Json& req) {
    const auto raw = AsInt(Need(req, "hwnd"));
    const HWND hwnd = reinterpret_cast<HWND>(static_cast<INT_PTR>(raw));
    Json v;
    v["gone"] = WaitFor([&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); }, Timeout(req));
    return v;
}

Json Printers(const Json&) {
    Json list = Json::array();
    for (const PrinterEntry& p : LocalPrinters()) {
        Json e;
        e["name"] = ToUtf8(p.name);
        e["port"] = ToUtf8(p.port);
        e["driver"] = ToUtf8(p.driver);
        list.push_back(std::move(e));
    }
    Json v;
    v["printers"] = std::move(list);
    return v;
}

Json Drivers(const Json&) {
    Json v;
    v["drivers"] = Strings(PrinterDrivers());
    return v;
}

Json Ports(const Json&) {
    Json v;
    v["ports"] = Strings(PortNames());
    return v;
}

Json ErrorText(const Json& req) {
    Json v;
    v["text"] = ToUtf8(WindowsErrorText(static_cast<DWORD>(AsInt(Need(req, "code")))));
    return v;
}

// What an assistive technology client reads of a control (Accessible.h).
Json AccessibleCmd(const Json& req) {
    const HWND hwnd = WindowArg(req);
    Json v = DescribeAccessible(hwnd);
    if (BoolOr(req, "automation", false)) v["automation"] = DescribeAutomation(hwnd);
    return v;
}

Json SystemCmd(const Json&) {
    Json v;
    v["high_contrast"] = SystemHighContrast();
    return v;
}

const std::map<std::string, Handler>& Commands() {
    static const std::map<std::string, Handler> table = {
        {"ping", Ping},
        {"configure", Configure},
        {"start", Start},
        {"wait_exit", WaitExit},
        {"kill", Kill},
        {"process_ended", ProcessEnded},
        {"windows", Windows},
        {"find_window", FindWindowCmd},
        {"find", FindCmd},
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
        {"accessible", AccessibleCmd},
        {"system", SystemCmd},
    };
    return table;
}

std::string Answer(const std::string& line, bool& quit) {
    Json answer;
    try {
        const Json req = protocol::Parse(line);
        if (!req.is_object()) throw DriverError("a command is a JSON object");
        if (const Json* seq = Find(req, "seq")) answer["seq"] = *seq;
        const std::string cmd = AsString(Need(req, "cmd"));
        if (cmd == "quit") {
            quit = true;
            answer["ok"] = true;
            return protocol::Write(answer);
        }
        const auto it = Commands().find(cmd);
        if (it == Commands().end()) throw DriverError("unknown command: " + cmd);
        Json result = it->second(req);
        answer["ok"] = true;
        for (const auto& field : result.items())
            answer[field.key()] = field.value();
    } catch (const std::exception& e) {
        answer["ok"] = false;
        answer["error"] = e.what();
    }
    return protocol::Write(answer);
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
    for (const auto& [pid, process] : g_started)
        if (WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0)
            TerminateProcess(process.get(), 1);
    return 0;
}
