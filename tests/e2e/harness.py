"""End-to-end harness: runs the 64-bit Windows build under Wine in a throw-away prefix.

The prefix is made once per test run (`python3 harness.py prepare`, the ctest fixture) under
WIZ_E2E_WORK. Tests import this module; every process they start through it is ended by it.

A test works inside a `Session`: a private Xvfb display (the server picks a free display
number itself, no TCP), the prefix's Wine server ended with `wineserver -k` when the session
closes, every process the session started ended by its id, and screenshots kept under
$WIZ_E2E_WORK/screenshots/<test>-<name>.png.

    with Session("test_driver") as s:
        d = s.driver()
        pid = d.start(WIN64_BIN / "test-window.exe")
        main = d.find_window(pid=pid, name="frmTest")
        d.click(d.find(main, "btnCount"))
        d.wait_until(lambda: d.text(d.find(main, "lblCount")) == "Clicks: 1")
        s.screenshot("after-click")

`Driver` talks to wizdriver.exe, which runs inside Wine beside the program under test and
acts on it as a user would (see the class for the commands).

How a program names its windows and controls for the driver (the window backend follows
this; tools/test-window does it too):
  - every window and control it creates carries the window property "WizName" (SetPropW),
    whose value is a global atom (GlobalAddAtomW) holding the control's name, e.g. "btnNext",
    "frmMain"; the driver reads it with GetPropW + GlobalGetAtomNameW. Under Wine both window
    properties and the global atom table live in the Wine server, so this works across
    processes (proved by test_driver.py);
  - before the window is destroyed the program removes the property and gives the atom back
    (RemovePropW + GlobalDeleteAtom), since global atoms are counted;
  - a check list keeps each item's mark in the item's data (LB_SETITEMDATA, nonzero = marked)
    and draws its box in the item's first 19 pixels, where a click toggles it;
  - a combo box reports a selection with CBN_SELCHANGE to its parent;
  - message boxes are the system's (MessageBoxW): class "#32770", the text in the static
    with id 0xFFFF, buttons with the IDOK/IDCANCEL/IDYES/IDNO ids.
"""
import contextlib
import json
import os
import select
import shutil
import subprocess
import sys
import time
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
WORK = Path(os.environ.get("WIZ_E2E_WORK", ROOT / "build" / "host" / "e2e"))
PREFIX = WORK / "prefix"
WIN64_BIN = Path(os.environ.get("WIZ_WIN64_BIN", ROOT / "build" / "win64" / "bin"))
STAND_INS = WIN64_BIN / "stand-ins"
# The prefix's system folder, where the stand-ins replace Wine's net.exe and rundll32.exe.
SYSTEM32 = PREFIX / "drive_c" / "windows" / "system32"
SYSTEM32_WIN = "C:\\windows\\system32"
STAND_IN_NAMES = ("net.exe", "rundll32.exe")
SCREENSHOTS = WORK / "screenshots"
KIT = ROOT / "kit"

# Message box answers.
IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO = 1, 2, 3, 4, 5, 6, 7


def wine_env(extra=None, stand_ins=True):
    """Environment for a Wine process in the test prefix."""
    env = dict(os.environ)
    env.update({
        "WINEPREFIX": str(PREFIX),
        "WINEDEBUG": "-all",
        # No Mono or Gecko installers: the prefix is made without network. The system
        # folder's net.exe and rundll32.exe are the stand-ins: native, or Wine would run its
        # builtin programs in their place. Not while the prefix is made: its set-up runs
        # Wine's own rundll32 before the stand-ins are there.
        "WINEDLLOVERRIDES": "mscoree,mshtml=" + (";net.exe=n;rundll32.exe=n" if stand_ins
                                                 else ""),
        "LANG": env.get("WIZ_LANG", "en_US.UTF-8"),
    })
    if extra:
        env.update(extra)
    return env


def to_windows_path(path):
    """A Linux path as Wine's Z: drive sees it."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def wineserver_kill():
    subprocess.run(["wineserver", "-k"], env=wine_env(), stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)
    subprocess.run(["wineserver", "-w"], env=wine_env(), stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)


# Settings of the test prefix: the Chinese fonts Windows would link in for the dialog font,
# replaced by the one the machine has, so Chinese captions show in screenshots.
# (No virtual desktop: under it the pointer warp of a real click races the click itself and
# the first click at a new place is lost now and then.)
PREFIX_SETTINGS = r"""REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"SimSun"="WenQuanYi Micro Hei"
"NSimSun"="WenQuanYi Micro Hei"
"Microsoft YaHei"="WenQuanYi Micro Hei"
"Microsoft YaHei UI"="WenQuanYi Micro Hei"
"MS UI Gothic"="WenQuanYi Micro Hei"
"PMingLiU"="WenQuanYi Micro Hei"
"""


def wine_shutdown():
    """Ends every Wine process of the prefix so that the server saves its registry, then
    `wineserver -k` for whatever is left. A server killed outright loses the registry changes
    since its last periodic save, and may keep some of a test's changes but not the rest."""
    with contextlib.suppress(subprocess.TimeoutExpired):
        subprocess.run(["wine", "wineboot", "--end-session", "--shutdown", "--force"],
                       env=wine_env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60)
    with contextlib.suppress(subprocess.TimeoutExpired):
        subprocess.run(["wineserver", "-w"], env=wine_env(), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)
    wineserver_kill()


def prepare():
    """Makes a fresh prefix for this test run."""
    if PREFIX.exists():
        wineserver_kill()
        shutil.rmtree(PREFIX)
    WORK.mkdir(parents=True, exist_ok=True)
    subprocess.run(["wineboot", "-i"], env=wine_env(stand_ins=False), check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)
    settings = WORK / "prefix-settings.reg"
    settings.write_text(PREFIX_SETTINGS.replace("\n", "\r\n"), encoding="ascii")
    subprocess.run(["wine", "regedit", "/S", to_windows_path(settings)],
                   env=wine_env(stand_ins=False),
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    subprocess.run(["wineserver", "-w"], env=wine_env(stand_ins=False), timeout=300)
    install_stand_ins()


def install_stand_ins():
    """Puts the built stand-ins into the prefix's system folder where the copies differ."""
    for name in STAND_IN_NAMES:
        built, copy = STAND_INS / name, SYSTEM32 / name
        if not built.exists():
            raise FileNotFoundError(f"{built} is missing: build the win64 preset first")
        if not copy.exists() or copy.read_bytes() != built.read_bytes():
            shutil.copy(built, copy)


def ensure_prefix():
    """Makes the prefix when a test file runs on its own, without the ctest fixture, and
    brings its stand-ins up to date with the build."""
    if not (PREFIX / "system.reg").exists():
        prepare()
    else:
        install_stand_ins()


def run_windows_program(exe, args=(), cwd=None, timeout=120, env=None):
    """Runs a Windows console program to its end; returns the CompletedProcess."""
    ensure_prefix()
    return subprocess.run(["wine", str(exe), *args], cwd=cwd, env=wine_env(env),
                          capture_output=True, timeout=timeout)


def scratch_dir(name):
    """A fresh folder under the work area for one test."""
    d = WORK / "scratch" / name
    if d.exists():
        shutil.rmtree(d)
    d.mkdir(parents=True)
    return d


def wait_until(check, timeout=10.0, interval=0.05, what=None):
    """Polls `check` until it returns a true value, which it returns; fails after `timeout`
    seconds. A DriverError raised by `check` (e.g. the program is busy) counts as not yet."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        try:
            last = check()
            if last:
                return last
        except DriverError as e:
            last = e
        if time.monotonic() >= deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for "
                                 f"{what or getattr(check, '__name__', 'a condition')}; "
                                 f"last result: {last!r}")
        time.sleep(interval)


class DriverError(Exception):
    """A driver command that failed; the message is the driver's."""


class Session:
    """One test's private world; use as a context manager (see the module's text)."""

    def __init__(self, test_name, screen="1024x768x24"):
        self.test_name = test_name
        self.screen = screen
        self.display = None
        self._xvfb = None
        self._processes = []
        self._drivers = []

    def __enter__(self):
        ensure_prefix()
        # A server left running would keep serving programs on another display.
        wineserver_kill()
        try:
            self._start_display()
        except BaseException:
            self._stop_display()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def close(self):
        try:
            for d in reversed(self._drivers):
                d.shutdown()
            for p in reversed(self._processes):
                _end_process(p)
            wine_shutdown()
        finally:
            self._stop_display()

    def _start_display(self):
        read_end, write_end = os.pipe()
        try:
            self._xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen,
                 "-nolisten", "tcp"],
                pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        finally:
            os.close(write_end)
        try:
            number = b""
            deadline = time.monotonic() + 30
            while not number.endswith(b"\n"):
                ready, _, _ = select.select([read_end], [], [], max(0, deadline - time.monotonic()))
                chunk = os.read(read_end, 16) if ready else b""
                if not chunk:
                    raise RuntimeError("Xvfb did not start")
                number += chunk
        finally:
            os.close(read_end)
        self.display = ":" + number.decode().strip()

    def _stop_display(self):
        if self._xvfb is not None:
            _end_process(self._xvfb)
            self._xvfb = None

    def env(self, extra=None):
        """Wine's environment on this session's display."""
        env = wine_env(extra)
        env["DISPLAY"] = self.display
        return env

    def popen(self, args, **kwargs):
        """Starts a process that the session ends by its id when it closes."""
        kwargs.setdefault("env", self.env())
        p = subprocess.Popen([str(a) for a in args], **kwargs)
        self._processes.append(p)
        return p

    def run(self, exe, args=(), cwd=None, timeout=120, env=None):
        """Runs a Windows console program on this display to its end."""
        p = self.popen(["wine", exe, *args], cwd=cwd, env=self.env(env),
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        out, err = p.communicate(timeout=timeout)
        return subprocess.CompletedProcess(p.args, p.returncode, out, err)

    def driver(self):
        """A new driver on this display."""
        d = Driver(self)
        self._drivers.append(d)
        return d

    def screenshot(self, name, rect=None):
        """Saves the screen, or the rectangle (left, top, right, bottom) of it, as
        screenshots/<test>-<name>.png; returns the path."""
        SCREENSHOTS.mkdir(parents=True, exist_ok=True)
        path = SCREENSHOTS / f"{self.test_name}-{name}.png"
        cmd = ["import", "-display", self.display, "-window", "root"]
        if rect:
            left, top, right, bottom = rect
            cmd += ["-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage"]
        subprocess.run(cmd + [str(path)], check=True, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return path


def _end_process(p, grace=5):
    if p.poll() is None:
        p.terminate()
        try:
            p.wait(timeout=grace)
        except subprocess.TimeoutExpired:
            p.kill()
            p.wait(timeout=grace)
    for stream in (p.stdin, p.stdout, p.stderr):
        if stream:
            stream.close()


class Driver:
    """wizdriver.exe inside Wine, one JSON command per line each way.

    Window handles and process ids are plain integers. Waiting commands take `timeout` in
    seconds. Every command raises DriverError when the driver reports a failure; a program
    whose window thread is blocked (it runs a console command) answers with a "busy" error
    after `answer_timeout` seconds, which `wait_until` treats as "not yet".
    """

    def __init__(self, session, exe=None):
        exe = Path(exe or WIN64_BIN / "wizdriver.exe")
        if not exe.exists():
            raise FileNotFoundError(f"{exe} is missing: build the win64 preset first")
        self._proc = session.popen(["wine", exe], stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self._buffer = b""
        self._next_id = 0
        self.pid = self.call("ping", timeout=60)["pid"]

    def shutdown(self):
        """Ends the driver (and whatever it started that still runs)."""
        if self._proc and self._proc.poll() is None:
            with contextlib.suppress(Exception):
                self.call("quit", timeout=10)
            with contextlib.suppress(subprocess.TimeoutExpired):
                self._proc.wait(timeout=10)
        if self._proc:
            _end_process(self._proc)
        self._proc = None

    # ---- protocol --------------------------------------------------------------------

    def call(self, cmd, timeout=30, **args):
        """Sends one command; returns the answer's fields. `timeout` bounds the wait for the
        answer in seconds, beyond the command's own waiting."""
        self._next_id += 1
        request = {"cmd": cmd, "seq": self._next_id}
        request.update({k: v for k, v in args.items() if v is not None})
        self._proc.stdin.write((json.dumps(request) + "\n").encode("utf-8"))
        self._proc.stdin.flush()
        answer = json.loads(self._read_line(timeout + request.get("timeout_ms", 0) / 1000))
        if answer.get("seq") != self._next_id:
            raise DriverError(f"answer out of step: {answer}")
        if not answer.get("ok"):
            raise DriverError(f"{cmd}: {answer.get('error')}")
        return answer

    def _read_line(self, timeout):
        deadline = time.monotonic() + timeout
        fd = self._proc.stdout.fileno()
        while b"\n" not in self._buffer:
            left = deadline - time.monotonic()
            ready, _, _ = select.select([fd], [], [], max(0, left))
            if not ready:
                raise DriverError(f"the driver did not answer within {timeout:.0f} s")
            chunk = os.read(fd, 65536)
            if not chunk:
                raise DriverError("the driver has ended")
            self._buffer += chunk
        line, self._buffer = self._buffer.split(b"\n", 1)
        return line.decode("utf-8")

    @staticmethod
    def _ms(seconds):
        return int(seconds * 1000)

    def configure(self, answer_timeout):
        """How long (seconds) a window may take to answer before a read reports it busy."""
        self.call("configure", answer_timeout_ms=self._ms(answer_timeout))

    # ---- processes -------------------------------------------------------------------

    def start(self, exe, args="", cwd=None, env=None, stdout=None):
        """Starts a Windows program (Linux or Windows path); returns its Windows process id.
        `env` sets variables in its environment (the driver's own otherwise); `stdout` names
        a file (Linux path) that receives its standard output and error."""
        exe = str(exe) if str(exe)[1:2] == ":" else to_windows_path(exe)
        cwd = None if cwd is None else (str(cwd) if str(cwd)[1:2] == ":" else to_windows_path(cwd))
        extra = {} if stdout is None else {"stdout": to_windows_path(stdout)}
        return self.call("start", exe=exe, args=args, cwd=cwd, env=env, **extra)["pid"]

    def wait_exit(self, pid, timeout=10):
        """The exit code once the program has ended, None if it still runs after `timeout`."""
        a = self.call("wait_exit", pid=pid, timeout_ms=self._ms(timeout))
        return a["code"] if a["exited"] else None

    def process_ended(self, pid, timeout=10):
        """True once any process of that id has ended (or is gone), within `timeout`."""
        return self.call("process_ended", pid=pid, timeout_ms=self._ms(timeout))["ended"]

    def kill(self, pid):
        self.call("kill", pid=pid)

    # ---- finding ---------------------------------------------------------------------

    def windows(self, pid=None, all=False):
        """Top-level windows (only visible ones unless `all`), each a dict with hwnd, name,
        class, caption, pid, ctrl_id, visible, enabled."""
        return self.call("windows", pid=pid, all=all)["windows"]

    def find_window(self, title=None, cls=None, pid=None, name=None, visible=True, timeout=10):
        """The first top-level window matching every given criterion; waits for it."""
        return self.call("find_window", title=title, pid=pid, name=name, visible=visible,
                         timeout_ms=self._ms(timeout), **{"class": cls})["hwnd"]

    def find(self, parent, name, timeout=5):
        """The control named `name` anywhere inside `parent`; waits for it."""
        return self.call("find", parent=parent, name=name, timeout_ms=self._ms(timeout))["hwnd"]

    def controls(self, hwnd):
        return self.call("controls", hwnd=hwnd)["controls"]

    def shown(self, parent, name):
        """Whether the control named `name` inside `parent` is on the screen. A control hidden
        since its window was made has no window until it is first shown."""
        return any(c["name"] == name and c["visible"] for c in self.controls(parent))

    # ---- reading ---------------------------------------------------------------------

    def info(self, hwnd):
        """Everything at once: name, class, text, enabled, visible, focused, checked (buttons),
        rect and client (screen: left, top, right, bottom), foreground."""
        return self.call("info", hwnd=hwnd)

    def text(self, hwnd):
        return self.call("text", hwnd=hwnd)["text"]

    def enabled(self, hwnd):
        return self.info(hwnd)["enabled"]

    def visible(self, hwnd):
        return self.info(hwnd)["visible"]

    def focused(self, hwnd):
        return self.info(hwnd)["focused"]

    def checked(self, hwnd):
        return self.info(hwnd)["checked"]

    def rect(self, hwnd):
        return tuple(self.info(hwnd)["rect"])

    def client_rect(self, hwnd):
        """The client area in screen coordinates (left, top, right, bottom)."""
        return tuple(self.info(hwnd)["client"])

    def items(self, hwnd):
        """A list box's or combo box's items, selected index (-1 for none), item data and
        marks (item data nonzero: the check list's marks)."""
        return self.call("items", hwnd=hwnd)

    def progress(self, hwnd):
        """(position, minimum, maximum) of a progress bar."""
        a = self.call("progress", hwnd=hwnd)
        return a["pos"], a["min"], a["max"]

    def status(self, hwnd):
        """The texts of a status bar's panels."""
        return self.call("status", hwnd=hwnd)["panels"]

    def memo(self, hwnd):
        """A multi-line edit's lines."""
        return self.call("memo", hwnd=hwnd)["lines"]

    # ---- acting ----------------------------------------------------------------------

    def foreground(self, hwnd):
        return self.call("foreground", hwnd=hwnd)["active"]

    def focus(self, hwnd):
        self.call("focus", hwnd=hwnd)

    def click(self, hwnd, via="auto", x=None, y=None, double=False):
        """Clicks a control at its centre, or at (x, y) from its top-left corner. `via`:
        "mouse" (real input), "message" (BM_CLICK posted), "auto" (mouse unless the point is
        covered), "invoke" (a button only: BM_CLICK sent from the driver's process as UI
        Automation's Invoke does; returns at once while the handler runs). Returns how it
        clicked."""
        return self.call("click", hwnd=hwnd, via=via, x=x, y=y, double=double)["via"]

    def click_item(self, hwnd, index, area="text"):
        """Clicks a list box item; area "check" clicks its check box."""
        return self.call("click_item", hwnd=hwnd, index=index, area=area)["via"]

    def select(self, hwnd, index=None, text=None, via="auto"):
        """Selects a combo box or list box item by index or text, as a user would."""
        return self.call("select", hwnd=hwnd, index=index, text=text, via=via)["via"]

    def type(self, text, hwnd=None, via="keys"):
        """Types text: into `hwnd` after giving it the focus (or into the focused control);
        via "chars" posts WM_CHAR to `hwnd` instead of keyboard input."""
        self.call("type", text=text, hwnd=hwnd, via=via)

    def keys(self, *keys, hwnd=None):
        """Presses keys in turn, e.g. "Tab", "Esc", "Enter", "Backspace", "Delete", "Alt+C";
        with `hwnd`, its window is brought to the front first."""
        self.call("keys", keys=list(keys), hwnd=hwnd)

    def close(self, hwnd, via="closebox"):
        """Closes a window as its close box does, or with WM_CLOSE (via="message")."""
        self.call("close", hwnd=hwnd, via=via)

    def wait_gone(self, hwnd, timeout=10):
        """True once the window is destroyed or hidden."""
        return self.call("wait_gone", hwnd=hwnd, timeout_ms=self._ms(timeout))["gone"]

    # ---- message boxes ---------------------------------------------------------------

    def message_box(self, pid=None, timeout=10):
        """Waits for a message box of the process; returns hwnd, title, text and buttons
        (each id, text, hwnd)."""
        return self.call("message_box", pid=pid, timeout_ms=self._ms(timeout))

    def message_boxes(self, pid=None):
        """The message boxes open now."""
        return self.call("message_boxes", pid=pid)["boxes"]

    def press(self, box, button_id):
        """Presses a message box's button by its id (IDOK, IDCANCEL, IDYES, IDNO ...)."""
        return self.call("press", hwnd=box, id=button_id)["via"]

    def answer(self, button_id, pid=None, timeout=10):
        """Waits for a message box, presses `button_id` and waits until it has gone; returns
        the box as it was seen."""
        box = self.message_box(pid=pid, timeout=timeout)
        self.press(box["hwnd"], button_id)
        if not self.wait_gone(box["hwnd"], timeout=timeout):
            raise DriverError(f"the message box {box['title']!r} did not close")
        return box

    # ---- the printing system ---------------------------------------------------------

    def printers(self):
        """Local printers: dicts with name, port, driver."""
        return self.call("printers")["printers"]

    def printer_drivers(self):
        return self.call("drivers")["drivers"]

    def ports(self):
        return self.call("ports")["ports"]

    def error_text(self, code):
        """The system's text for an error code (FormatMessageW)."""
        return self.call("error_text", code=code)["text"]

    # ---- waiting ---------------------------------------------------------------------

    @staticmethod
    def wait_until(check, timeout=10.0, what=None):
        return wait_until(check, timeout=timeout, what=what)


class WineTestCase(unittest.TestCase):
    """A test class sharing one Session (and one driver) across its tests."""

    @classmethod
    def setUpClass(cls):
        cls.session = cls.enterClassContext(Session(cls.session_name()))
        cls.driver = cls.session.driver()

    @classmethod
    def session_name(cls):
        return Path(sys.modules[cls.__module__].__file__).stem


def main():
    """Runs the calling test file's tests; the exit code is non-zero on failure."""
    unittest.main(module="__main__", verbosity=2)


if __name__ == "__main__":
    if sys.argv[1:] == ["prepare"]:
        t = time.time()
        prepare()
        print(f"wine prefix ready in {time.time() - t:.1f} s: {PREFIX}")
    else:
        sys.exit("usage: harness.py prepare")
