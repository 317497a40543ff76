#include "platform/windows/WinServices.h"

namespace {

MessageFilter g_filter = nullptr;
bool g_quitSeen = false;
int g_quitCode = 0;

void Dispatch(MSG& msg) {
    if (g_filter && g_filter(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

class WinMessagePump final : public IMessagePump {
public:
    void ProcessMessages() override {
        MSG msg;
        while (!g_quitSeen && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // Remembered for the local loops, and posted again for the main loop, as the
                // system's modal loops do: this pump may run inside a message sent from
                // another thread (a button clicked through UI Automation), and the main
                // loop's GetMessage that is dispatching it returns for posted messages only.
                g_quitSeen = true;
                g_quitCode = static_cast<int>(msg.wParam);
                PostQuitMessage(g_quitCode);
                break;
            }
            Dispatch(msg);
        }
    }
    void PostQuit(int exitCode) override { PostQuitMessage(exitCode); }
};

} // namespace

void SetMessageFilter(MessageFilter filter) { g_filter = filter; }

bool QuitRequested() { return g_quitSeen; }

IMessagePump& WindowsMessagePump() {
    static WinMessagePump instance;
    return instance;
}

int RunMessageLoop() {
    MSG msg;
    while (!g_quitSeen) {
        const BOOL r = GetMessageW(&msg, nullptr, 0, 0);
        if (r == 0) {
            g_quitSeen = true;
            g_quitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (r == -1) break;
        Dispatch(msg);
    }
    return g_quitCode;
}
