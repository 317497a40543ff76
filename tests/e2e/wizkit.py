"""The wizard's kit for end-to-end tests: a copy of the demo kit with the program and its USB
library, sealed by the vendor tool under the same Wine. The command-recording stand-ins live in
the prefix's system folder (harness.install_stand_ins); a test names their log with
WIZ_COMMANDS_LOG, by default the kit's commands.log (`log_env`)."""
import contextlib
import functools
import re
import shutil
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness as h  # noqa: E402

EXE = h.WIN64_BIN / "ODAXPrintDrive.exe"
KIT_TOOL = h.WIN64_BIN / "odax-kit.exe"

MISSING_EN = ("Missing system core files, driver installation wizard cannot run, "
              "installation failed\uff01\uff01")
MISSING_CN = "缺少系统核心文件，驱动安装向导无法运行，安装失败！！"
INTEGRITY_EN = ("The validation of the configuration file failed. The file may have been "
                "illegally modified, and the installation tool will be forced to exit!")
INTEGRITY_CN = "配制文件效验失败，文件可能被非法修改，安装工具将强制退出！"


# A settings file is UTF-16LE after a byte-order mark (the demo kit's form), else in the ANSI
# code page of the systems it is made for (936 for the demo's Chinese captions).
UTF16 = "utf-16-le"
ANSI = "gbk"
FORMS = (UTF16, ANSI)
_BOM = b"\xff\xfe"


def settings_encoding(data, ansi=ANSI):
    """The encoding of a settings file's bytes, for decode_settings and encode_settings."""
    return UTF16 if data[:2] == _BOM else ansi


def decode_settings(data, ansi=ANSI):
    """A settings file's text, in the file's own encoding."""
    return data[2:].decode(UTF16) if data[:2] == _BOM else data.decode(ansi)


def encode_settings(text, encoding):
    """The bytes of a settings file holding `text` in `encoding` (UTF16 with its mark)."""
    return _BOM + text.encode(UTF16) if encoding == UTF16 else text.encode(encoding)


def edit_settings(path, edit, encoding=None):
    """Rewrites a settings file with `edit(text)`, in the file's own encoding unless
    `encoding` names another; returns the new text."""
    data = path.read_bytes()
    text = edit(decode_settings(data))
    path.write_bytes(encode_settings(text, encoding or settings_encoding(data)))
    return text


def read_profile(data, encoding=ANSI):
    """Sections of an INI file: {SECTION: {KEY: value}}, names upper-cased, values as the
    profile functions read them (blanks and one pair of enclosing quotes removed)."""
    text = decode_settings(data, encoding)
    sections, current = {}, None
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1].upper(), {})
        elif current is not None and "=" in line and not line.startswith(";"):
            key, value = line.split("=", 1)
            value = value.strip()
            if len(value) >= 2 and value[0] == value[-1] and value[0] in "'\"":
                value = value[1:-1]
            current.setdefault(key.strip().upper(), value)
    return sections


@functools.lru_cache(maxsize=None)
def captions(lang="EN"):
    return read_profile((h.KIT / "install.dat").read_bytes())["CAPTION_" + lang]


def cap(n, lang="EN"):
    """The demo kit's caption number `n`."""
    return captions(lang).get(f"CAPTION_{n}", "")


# Where Wine's local port monitor finds its ports: a value here is a port it lists.
LOCAL_PORTS = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\Ports"
MODELS = ["ODAX-80 Receipt", "ODAX-58 Receipt", "ODAX-L4 Label"]


def port_keys(ip):
    """The two keys of a Standard TCP/IP port; Wine keeps CurrentControlSet apart from
    ControlSet001."""
    return [rf"HKLM\SYSTEM\{cs}\Control\Print\Monitors\Standard TCP/IP Port\Ports\{ip}"
            for cs in ("ControlSet001", "CurrentControlSet")]


def reg_values(session, key):
    """{name: (type, data)} of a key as reg.exe lists it; None when the key is missing."""
    done = session.run("reg", ["query", key], timeout=60)
    if done.returncode != 0:
        return None
    values = {}
    for line in done.stdout.decode("utf-8", "replace").splitlines():
        m = re.match(r"^\s{4}(.+?)\s{4}(REG_\w+)\s{4}(.*)$", line)
        if m:
            values[m.group(1)] = (m.group(2), m.group(3).strip())
        m = re.match(r"^\s{4}(.+?)\s{4}(REG_SZ)\s*$", line)  # an empty string
        if m:
            values[m.group(1)] = (m.group(2), "")
    return values


@contextlib.contextmanager
def local_port(session, port):
    """A port that Wine's local port monitor lists, as Windows lists a USB printer's port,
    until the block ends."""
    added = session.run("reg", ["add", LOCAL_PORTS, "/v", port, "/t", "REG_SZ", "/d", "", "/f"],
                        timeout=60)
    if added.returncode != 0:
        raise AssertionError(f"the port {port} could not be added: {added.stderr!r}")
    try:
        yield port
    finally:
        session.run("reg", ["delete", LOCAL_PORTS, "/v", port, "/f"], timeout=60)


STAND_IN_RUNDLL32 = h.SYSTEM32_WIN + "\\rundll32.exe"
# A system command run by its full path in the system folder, quoted or not.
_SYSTEM_COMMAND = re.compile(r'^(?:"c:\\windows\\system32\\(net|rundll32)\.exe"'
                             r'|c:\\windows\\system32\\(net|rundll32)\.exe)(?= |$)', re.I)


def full_commands(log):
    """The command lines a stand-in log holds, as the commands were started; none when there
    is no log."""
    return log.read_text("utf-8").splitlines() if log.exists() else []


def commands(log):
    """The command lines of a stand-in log with a system command's full path written as its
    bare name (`"C:\\windows\\system32\\net.exe" stop spooler` as `net stop spooler`), so
    that one assertion holds for both forms."""
    return [_SYSTEM_COMMAND.sub(lambda m: (m.group(1) or m.group(2)).lower(), line)
            for line in full_commands(log)]


# The wizard's install log in the prefix's ProgramData, which every test's runs append to.
INSTALL_LOG = h.PREFIX / "drive_c" / "ProgramData" / "ODAXPrintDrive" / "install.log"


def install_log_size():
    return INSTALL_LOG.stat().st_size if INSTALL_LOG.exists() else 0


def install_log_since(size):
    """What the install log gained after it had `size` bytes (all of it if it was moved aside
    meanwhile), as text; its lines end in CR LF."""
    data = INSTALL_LOG.read_bytes() if INSTALL_LOG.exists() else b""
    return data[size if len(data) >= size else 0:].decode("utf-8")


def log_env(kit, log=None):
    """The environment that sends the stand-ins' command lines to `log`, by default the kit's
    commands.log."""
    return {"WIZ_COMMANDS_LOG": h.to_windows_path(log or kit / "commands.log")}


def remove_queues(kit, log=None):
    """Removes the kit's printers and drivers left by an earlier test with the stand-in's
    delete command, then the command log (the kit's, or `log`)."""
    for model in MODELS:
        h.run_windows_program(STAND_IN_RUNDLL32, ["printui.dll,PrintUIEntry", "/dd", "/m", model],
                              cwd=kit, env=log_env(kit, log))
    (log or kit / "commands.log").unlink(missing_ok=True)


def make_kit(name, config=None, drop=(), seal=True, encoding=None):
    """The kit in a scratch folder; `config` changes [CONFIG] values, `drop` removes files,
    `encoding` (UTF16 or ANSI) rewrites the settings file in that form before it is sealed."""
    kit = h.scratch_dir(name)
    for item in h.KIT.iterdir():
        (shutil.copytree if item.is_dir() else shutil.copy)(item, kit / item.name)
    for f in (EXE, h.WIN64_BIN / "USBPrinterlibary.dll"):
        shutil.copy(f, kit)

    def configure(text):
        for key, value in (config or {}).items():
            text, n = re.subn(r"(?m)^" + re.escape(key) + r"=.*?(\r?)$",
                              lambda m: key + "=" + value + m.group(1), text)
            assert n == 1, key
        return text
    edit_settings(kit / "install.dat", configure, encoding)
    if seal:
        sealed = h.run_windows_program(KIT_TOOL, ["seal", h.to_windows_path(kit)], cwd=kit)
        assert sealed.returncode == 0, sealed.stdout + sealed.stderr
    for rel in drop:
        (kit / rel).unlink()
    return kit


def start(session, kit, lang=None, env=None, cwd=None):
    """Starts the wizard from its kit folder as a user would; returns the process. `env`
    adds variables to its environment (the stand-ins log into the kit's commands.log unless
    it names another); with `cwd` the program is started by its full path from that folder."""
    extra = {**log_env(kit), **(env or {})}
    if lang:
        extra["LANG"] = lang
    if cwd is None:
        return session.popen(["wine", EXE.name], cwd=kit, env=session.env(extra))
    return session.popen(["wine", h.to_windows_path(kit / EXE.name)], cwd=cwd,
                         env=session.env(extra))


def spooler_state(session):
    """The spooler service's state as `sc query` tells it: RUNNING, STOPPED ..."""
    out = session.run("sc", ["query", "spooler"], timeout=60).stdout.decode("utf-8", "replace")
    m = re.search(r"STATE\s*:\s*\d+\s+(\w+)", out)
    return m.group(1) if m else out


def set_spooler(session, running):
    """Starts or stops Wine's spooler before a test (net answers 2 when it already is) and
    waits for the state. The spooler starts on demand: a new session finds it stopped, until
    a wizard or a test has started it. A started one keeps running only while a program of
    the session runs (its driver): Wine ends it with the session's last program."""
    session.run("net", ["start" if running else "stop", "spooler"], timeout=60)
    state = "RUNNING" if running else "STOPPED"
    h.wait_until(lambda: spooler_state(session) == state, timeout=30, interval=0.3,
                 what=f"the spooler {state}")
