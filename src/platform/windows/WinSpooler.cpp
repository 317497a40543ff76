#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "platform/Spooler.h"
#include "platform/windows/ErrorText.h"
#include "platform/windows/Handles.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WinServices.h"

namespace {

// winspool.drv is not a KnownDLL: imported by name, the loader would take a copy lying beside
// the program (a Downloads folder) before the system's, and run it as administrator. Its
// functions are bound at run time from the system folder instead.
struct Winspool {
    Module module;
    decltype(&::EnumPortsW) EnumPorts = nullptr;
    decltype(&::EnumPrintersW) EnumPrinters = nullptr;
    decltype(&::OpenPrinterW) OpenPrinter = nullptr;
    decltype(&::GetPrinterW) GetPrinter = nullptr;
    decltype(&::ClosePrinter) ClosePrinter = nullptr;
    decltype(&::StartDocPrinterW) StartDocPrinter = nullptr;
    decltype(&::StartPagePrinter) StartPagePrinter = nullptr;
    decltype(&::WritePrinter) WritePrinter = nullptr;
    decltype(&::EndPagePrinter) EndPagePrinter = nullptr;
    decltype(&::EndDocPrinter) EndDocPrinter = nullptr;
    decltype(&::GetJobW) GetJob = nullptr;
    DWORD loadError = 0;

    Winspool() : module(LoadSystemLibrary(L"winspool.drv")) {
        if (!module) {
            loadError = ::GetLastError();
            return;
        }
        HMODULE m = module.get();
        EnumPorts = ProcAddress<decltype(EnumPorts)>(m, "EnumPortsW");
        EnumPrinters = ProcAddress<decltype(EnumPrinters)>(m, "EnumPrintersW");
        OpenPrinter = ProcAddress<decltype(OpenPrinter)>(m, "OpenPrinterW");
        GetPrinter = ProcAddress<decltype(GetPrinter)>(m, "GetPrinterW");
        ClosePrinter = ProcAddress<decltype(ClosePrinter)>(m, "ClosePrinter");
        StartDocPrinter = ProcAddress<decltype(StartDocPrinter)>(m, "StartDocPrinterW");
        StartPagePrinter = ProcAddress<decltype(StartPagePrinter)>(m, "StartPagePrinter");
        WritePrinter = ProcAddress<decltype(WritePrinter)>(m, "WritePrinter");
        EndPagePrinter = ProcAddress<decltype(EndPagePrinter)>(m, "EndPagePrinter");
        EndDocPrinter = ProcAddress<decltype(EndDocPrinter)>(m, "EndDocPrinter");
        GetJob = ProcAddress<decltype(GetJob)>(m, "GetJobW");
        if (!EnumPorts || !EnumPrinters || !OpenPrinter || !GetPrinter || !ClosePrinter ||
            !StartDocPrinter || !StartPagePrinter || !WritePrinter || !EndPagePrinter ||
            !EndDocPrinter || !GetJob)
            loadError = ERROR_PROC_NOT_FOUND;
    }
    bool Usable() const { return loadError == 0; }
};

// An open printer, closed through the bound ClosePrinter.
class OpenedPrinter {
  public:
    OpenedPrinter(const Winspool& api, HANDLE printer) : api_(api), printer_(printer) {}
    ~OpenedPrinter() {
        if (printer_) api_.ClosePrinter(printer_);
    }
    OpenedPrinter(const OpenedPrinter&) = delete;
    OpenedPrinter& operator=(const OpenedPrinter&) = delete;
    HANDLE get() const { return printer_; }

  private:
    const Winspool& api_;
    HANDLE printer_;
};

// A document of a device context, ended (or aborted when it failed) with its scope.
class DocumentOf {
  public:
    explicit DocumentOf(HDC dc) : dc_(dc) {}
    ~DocumentOf() {
        if (open_) AbortDoc(dc_);
    }
    DocumentOf(const DocumentOf&) = delete;
    DocumentOf& operator=(const DocumentOf&) = delete;
    void Started() { open_ = true; }
    bool End() {
        open_ = false;
        return EndDoc(dc_) > 0;
    }

  private:
    HDC dc_;
    bool open_ = false;
};

SentJob Failed(DWORD error) {
    SentJob job;
    job.error = WindowsErrorText(error);
    if (job.error.empty()) job.error = u"error " + IntToStr(static_cast<std::int64_t>(error));
    while (!job.error.empty() && (job.error.back() == u'\n' || job.error.back() == u'\r'))
        job.error.pop_back();
    return job;
}

// The spooler's words for a job's status bits, when it gave no status text of its own.
String StatusOfBits(DWORD status) {
    static const struct {
        DWORD bit;
        const char16_t* text;
    } kBits[] = {{JOB_STATUS_ERROR, u"error"},
                 {JOB_STATUS_OFFLINE, u"offline"},
                 {JOB_STATUS_PAPEROUT, u"paper out"},
                 {JOB_STATUS_USER_INTERVENTION, u"user intervention required"},
                 {JOB_STATUS_BLOCKED_DEVQ, u"blocked"},
                 {JOB_STATUS_DELETED, u"deleted"},
                 {JOB_STATUS_DELETING, u"deleting"}};
    String text;
    for (const auto& b : kBits) {
        if (!(status & b.bit)) continue;
        if (!text.empty()) text += u", ";
        text += b.text;
    }
    return text;
}

class WinSpooler final : public ISpooler {
  public:
    bool ListPorts(std::uint32_t bufferSize, std::uint32_t& bytesNeeded,
                   StringList& names) override {
        names.clear();
        if (!api_.Usable()) {
            lastError_ = api_.loadError;
            bytesNeeded = 0;
            return false;
        }
        std::vector<BYTE> buffer(bufferSize);
        DWORD needed = 0, returned = 0;
        if (!api_.EnumPorts(nullptr, 1, bufferSize ? buffer.data() : nullptr, bufferSize, &needed,
                            &returned)) {
            lastError_ = GetLastError();
            bytesNeeded = needed;
            return false;
        }
        const auto* ports = reinterpret_cast<const PORT_INFO_1W*>(buffer.data());
        for (DWORD i = 0; i < returned; ++i)
            names.push_back(FromWide(ports[i].pName));
        bytesNeeded = needed;
        return true;
    }

    std::uint32_t LastError() override { return lastError_; }

    StringList ListPrinters() override {
        StringList names;
        if (!api_.Usable()) return names;
        const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
        DWORD needed = 0, returned = 0;
        api_.EnumPrinters(flags, nullptr, 4, nullptr, 0, &needed, &returned);
        if (needed == 0) return names;
        std::vector<BYTE> buffer(needed);
        if (!api_.EnumPrinters(flags, nullptr, 4, buffer.data(), needed, &needed, &returned))
            return names;
        const auto* printers = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
        for (DWORD i = 0; i < returned; ++i)
            names.push_back(FromWide(printers[i].pPrinterName));
        return names;
    }

    bool CanOpenPrinter(const String& name) override {
        HANDLE printer = Open(name);
        if (!printer) return false;
        api_.ClosePrinter(printer);
        return true;
    }

    PrinterSetup ReadPrinter(const String& name) override {
        PrinterSetup found;
        if (name.empty()) return found;
        HANDLE printer = Open(name);
        if (!printer) return found;
        found.exists = true;
        // A printer that opens but cannot be read has no port or driver we could trust: it
        // stays with empty ones, which never match what was asked.
        DWORD needed = 0;
        api_.GetPrinter(printer, 2, nullptr, 0, &needed);
        if (needed > 0) {
            std::vector<BYTE> buffer(needed);
            if (api_.GetPrinter(printer, 2, buffer.data(), needed, &needed)) {
                const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
                if (info->pPortName) found.port = FromWide(info->pPortName);
                if (info->pDriverName) found.driver = FromWide(info->pDriverName);
            }
        }
        api_.ClosePrinter(printer);
        return found;
    }

    SentJob SendRawJob(const String& printer, const String& document,
                       const std::string& bytes) override {
        if (!api_.Usable()) return Failed(api_.loadError);
        OpenedPrinter opened(api_, Open(printer));
        if (!opened.get()) return Failed(GetLastError());
        std::wstring name = ToWide(document);
        wchar_t raw[] = L"RAW";
        DOC_INFO_1W info{name.data(), nullptr, raw};
        const DWORD id = api_.StartDocPrinter(opened.get(), 1, reinterpret_cast<BYTE*>(&info));
        if (id == 0) return Failed(GetLastError());
        DWORD error = 0;
        if (!api_.StartPagePrinter(opened.get())) error = GetLastError();
        DWORD written = 0;
        if (!error && !api_.WritePrinter(opened.get(), const_cast<char*>(bytes.data()),
                                         static_cast<DWORD>(bytes.size()), &written))
            error = GetLastError();
        if (!error && written != bytes.size()) error = ERROR_WRITE_FAULT;
        if (!error && !api_.EndPagePrinter(opened.get())) error = GetLastError();
        // The document is ended in every case: a started job would otherwise hold the queue.
        if (!api_.EndDocPrinter(opened.get()) && !error) error = GetLastError();
        if (error) return Failed(error);
        return {id, {}};
    }

    SentJob PrintTextPage(const String& printer, const String& document,
                          const StringList& lines) override {
        const std::wstring device = ToWide(printer);
        MemoryDC dc(CreateDCW(L"WINSPOOL", device.c_str(), nullptr, nullptr));
        if (!dc) return Failed(GetLastError());
        const std::wstring name = ToWide(document);
        DOCINFOW info{};
        info.cbSize = sizeof info;
        info.lpszDocName = name.c_str();
        DocumentOf doc(dc.get());
        const int id = StartDocW(dc.get(), &info);
        if (id <= 0) return Failed(GetLastError());
        doc.Started();
        if (StartPage(dc.get()) <= 0) return Failed(GetLastError());
        // Lines a sixth of an inch apart, from a quarter inch in: fits the smallest labels.
        const int dpiX = GetDeviceCaps(dc.get(), LOGPIXELSX);
        const int dpiY = GetDeviceCaps(dc.get(), LOGPIXELSY);
        const int step = dpiY / 6;
        int y = dpiY / 4;
        for (const String& line : lines) {
            const std::wstring text = ToWide(line);
            TextOutW(dc.get(), dpiX / 4, y, text.c_str(), static_cast<int>(text.size()));
            y += step;
        }
        if (EndPage(dc.get()) <= 0) return Failed(GetLastError());
        if (!doc.End()) return Failed(GetLastError());
        return {static_cast<std::uint32_t>(id), {}};
    }

    JobState ReadJob(const String& printer, std::uint32_t id) override {
        JobState state;
        if (!api_.Usable()) {
            state.kind = JobState::Failed;
            state.status = Failed(api_.loadError).error;
            return state;
        }
        OpenedPrinter opened(api_, Open(printer));
        if (!opened.get()) {
            state.kind = JobState::Failed;
            state.status = Failed(GetLastError()).error;
            return state;
        }
        DWORD needed = 0;
        std::vector<BYTE> buffer;
        SetLastError(0);
        if (!api_.GetJob(opened.get(), id, 1, nullptr, 0, &needed) && needed > 0) {
            buffer.resize(needed);
            if (!api_.GetJob(opened.get(), id, 1, buffer.data(), needed, &needed)) buffer.clear();
        }
        if (buffer.empty()) {
            // A job the spooler no longer holds: Windows says ERROR_INVALID_PARAMETER, Wine's
            // spooler fails without an error. Any other failure may pass: it is read again.
            const DWORD error = GetLastError();
            if (error == ERROR_INVALID_PARAMETER || error == ERROR_SUCCESS)
                state.kind = JobState::Printed;
            return state;
        }
        const auto* job = reinterpret_cast<const JOB_INFO_1W*>(buffer.data());
        const DWORD failing = JOB_STATUS_ERROR | JOB_STATUS_OFFLINE | JOB_STATUS_PAPEROUT |
                              JOB_STATUS_USER_INTERVENTION | JOB_STATUS_BLOCKED_DEVQ |
                              JOB_STATUS_DELETED | JOB_STATUS_DELETING;
        if (job->Status & failing) {
            state.kind = JobState::Failed;
            state.status =
                job->pStatus && *job->pStatus ? FromWide(job->pStatus) : StatusOfBits(job->Status);
        } else if (job->Status & (JOB_STATUS_PRINTED | JOB_STATUS_COMPLETE)) {
            state.kind = JobState::Printed;
        }
        return state;
    }

  private:
    HANDLE Open(const String& name) {
        if (!api_.Usable()) return nullptr;
        std::wstring w(name.begin(), name.end());
        HANDLE printer = nullptr;
        if (!api_.OpenPrinter(w.data(), &printer, nullptr)) return nullptr;
        return printer;
    }

    Winspool api_;
    std::uint32_t lastError_ = 0;
};

} // namespace

ISpooler& WindowsSpooler() {
    static WinSpooler instance;
    return instance;
}
