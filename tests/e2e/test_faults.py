"""The wizard under Wine when the world around it fails: a kit that cannot be written, the
wizard killed, a USB library that breaks its contract, a registry key that refuses a write.

Kill moments are random: the seed is printed, and WIZ_FAULT_SEED repeats a run. A kill ends
the program as a task manager or a crash would, so that it runs no code of its own after it:
TerminateProcess from the driver during start-up, SIGKILL of the Wine process during a run. A
command it started (net.exe) runs on to its end.

A network install stops the spooler for its port creation ("net stop spooler", the port keys,
"net start spooler"). A kill after the stop has started and before the start has started
leaves the spooler stopped: no program can restart it once it is gone. Everywhere else a kill
leaves it running, and the wizard's next start starts it again in any case (its window
set-up runs "net start spooler" when the spooler is not running), which the tests check too.
"""
import contextlib
import os
import random
import re
import shutil
import stat
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness as h  # noqa: E402
import wizkit  # noqa: E402
from wizard_ui import MODELS, Wizard  # noqa: E402

EXE = wizkit.EXE
REG_LOCK = h.WIN64_BIN / "reg-lock.exe"
BAD_LIBRARIES = h.WIN64_BIN / "bad-usb-libraries"
IP = "192.168.7.77"  # an address no other test uses
PORT_KEYS = wizkit.port_keys(IP)
RUN_TIMEOUT = 120
cap = wizkit.cap
commands = wizkit.commands

SEED = int(os.environ.get("WIZ_FAULT_SEED") or time.time_ns() % 1_000_000)
RANDOM = random.Random(SEED)
print(f"fault tests: seed {SEED} (WIZ_FAULT_SEED={SEED} repeats the kill moments)",
      file=sys.stderr, flush=True)


def spread(start, end, n):
    """`n` random moments between `start` and `end` seconds, one in each of n equal slices,
    so that every stretch of the time gets its kill."""
    width = (end - start) / n
    return [RANDOM.uniform(start + i * width, start + (i + 1) * width) for i in range(n)]


def net_lines(lines):
    return [line for line in lines if line.startswith("net ")]


def snapshot(folder):
    """Every file and folder under `folder`: {relative path: (mode, size, mtime, bytes)}."""
    seen = {}
    for p in sorted(folder.rglob("*")):
        st = p.lstat()
        seen[str(p.relative_to(folder))] = (
            st.st_mode, st.st_size, st.st_mtime_ns, p.read_bytes() if p.is_file() else None)
    return seen


def file_state(path):
    return path.read_bytes(), path.stat().st_mtime_ns


def programs_running(name):
    """Windows programs called `name` running in the test prefix (from /proc: Wine shows a
    program started by another one by its Windows command line)."""
    found = []
    prefix = f"WINEPREFIX={h.PREFIX}".encode()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                args = f.read().split(b"\0")
            with open(f"/proc/{pid}/environ", "rb") as f:
                env = f.read().split(b"\0")
        except OSError:
            continue
        if prefix in env and args and args[0].lower().endswith(b"\\" + name.lower().encode()):
            found.append(int(pid))
    return found


class Faults(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        for f in (EXE, REG_LOCK, BAD_LIBRARIES):
            if not f.exists():
                raise FileNotFoundError(f"{f} is missing: build the win64 preset first")

    # ---- the world outside the wizard --------------------------------------------------

    def spooler(self, s):
        """The spooler service's state as `sc query` tells it: RUNNING, STOPPED ..."""
        out = s.run("sc", ["query", "spooler"], timeout=60).stdout.decode("utf-8", "replace")
        m = re.search(r"STATE\s*:\s*\d+\s+(\w+)", out)
        return m.group(1) if m else out

    def wait_spooler(self, s, state):
        h.wait_until(lambda: self.spooler(s) == state, timeout=30, interval=0.3,
                     what=f"the spooler {state}")

    def wait_commands_over(self, log):
        """Until no net.exe or rundll32.exe of a killed wizard is left running, and the log
        has stayed the same for half a second (a command started just before the kill may not
        show its Windows name yet)."""
        last = [None]

        def over():
            now = (programs_running("net.exe") + programs_running("rundll32.exe"), commands(log))
            same, last[0] = now == last[0], now
            return same and not now[0]

        h.wait_until(over, timeout=60, interval=0.5, what="the wizard's commands to end")

    def forget_port(self, s):
        s.run(REG_LOCK, ["unlock", PORT_KEYS[1]], timeout=60)
        for key in PORT_KEYS:
            s.run("reg", ["delete", key, "/f"], timeout=60)

    def read_only(self, kit):
        """The kit made read-only: every file and folder without write permission (Wine shows
        the files with the read-only attribute and refuses to write them, also to root), and,
        where the machine allows a bind mount, the whole folder on a read-only mount, as on a
        CD. Returns the folder to run from."""
        for p in [kit, *kit.rglob("*")]:
            p.chmod(p.stat().st_mode & ~(stat.S_IWUSR | stat.S_IWGRP | stat.S_IWOTH))
        self.addCleanup(lambda: [p.chmod(p.stat().st_mode | stat.S_IWUSR)
                                 for p in [kit, *kit.rglob("*")]])
        mount = kit.parent / (kit.name + "-mount")
        if os.path.ismount(mount):
            subprocess.run(["umount", "-l", mount], check=False)
        mount = h.scratch_dir(mount.name)
        bound = subprocess.run(["mount", "--bind", kit, mount], capture_output=True)
        if bound.returncode != 0:
            print(f"no read-only mount here ({bound.stderr.decode().strip()}): "
                  "the kit is read-only by its permissions", file=sys.stderr)
            return kit
        self.addCleanup(subprocess.run, ["umount", "-l", mount], check=False)
        subprocess.run(["mount", "-o", "remount,bind,ro", mount], check=True)
        with self.assertRaises(OSError):
            (mount / "probe").write_bytes(b"")
        return mount

    # ---- the wizard --------------------------------------------------------------------

    def walk_to(self, w, connection, page):
        """From the welcome page to a connection's page, ready to install."""
        w.enter(connection, page)
        w.d.wait_until(lambda: w.d.enabled(w.control("btnStartInstall")),
                       what="the install button")

    # ---- tests -------------------------------------------------------------------------

    def test_a_read_only_kit_starts_and_installs(self):
        kit = wizkit.make_kit("faults-read-only", config={"MrPrintSet": "0"})
        # The stand-ins cannot write their log into the kit: WIZ_COMMANDS_LOG sends it
        # elsewhere, handed on from the wizard's environment.
        log = h.scratch_dir("faults-read-only-log") / "commands.log"
        with h.Session("faults-read-only") as s:
            wizkit.remove_queues(kit)
            folder = self.read_only(kit)
            before = snapshot(folder)
            env = {"WIZ_COMMANDS_LOG": h.to_windows_path(log)}
            w = Wizard(s, folder, env=env)
            d = w.d
            self.assertEqual(d.message_boxes(w.pid), [])  # no refusal
            self.walk_to(w, "rbRs232", "tbsRs232")
            ports = d.items(w.control("cbRs232"))
            port = ports["items"][ports["selected"]]
            w.click("btnStartInstall")
            end = d.answer(h.IDOK, pid=w.pid, timeout=RUN_TIMEOUT)
            self.assertEqual((end["title"], end["text"]), (cap(42), cap(44)))
            for _ in range(2):  # the end's quit question, then the quit action's own
                question = d.answer(h.IDYES, pid=w.pid, timeout=RUN_TIMEOUT)
                self.assertEqual(question["text"], cap(43))
            self.assertEqual(w.process.wait(timeout=60), 0)

            folder_path = h.to_windows_path(folder) + "\\"
            self.assertEqual(commands(log)[-1], (
                f'rundll32 printui.dll,PrintUIEntry /if /b "{MODELS[0]}" '
                f'/f "{folder_path}EN\\ODAXPOS.inf" /r "{port}" /m "{MODELS[0]}"'))
            self.assertIn(MODELS[0], {p["name"] for p in s.driver().printers()})
            self.assertEqual(snapshot(folder), before)
            wizkit.remove_queues(folder, log)

    def test_a_killed_wizard_leaves_the_settings_file_and_the_spooler_alone(self):
        kit = wizkit.make_kit("faults-kill", config={"MrPrintSet": "0"})
        dat = kit / "install.dat"
        sealed = file_state(dat)
        log = kit / "commands.log"
        with h.Session("faults-kill") as s:
            d = s.driver()
            s.run("net", ["start", "spooler"], timeout=60)  # running, as on a machine in use
            self.wait_spooler(s, "RUNNING")

            # During start-up: no command runs, the spooler running.
            for delay in spread(0.0, 2.0, 4):
                log.unlink(missing_ok=True)
                pid = d.start(kit / EXE.name, cwd=kit, env=wizkit.log_env(kit))
                time.sleep(delay)  # the moment of the kill is what this test varies
                shown = [win["name"] for win in d.windows(pid=pid)]
                d.kill(pid)
                self.assertIsNotNone(d.wait_exit(pid, timeout=20))
                self.wait_commands_over(log)
                print(f"start-up killed after {delay:.2f} s: windows {shown}, "
                      f"commands {commands(log)}", file=sys.stderr)
                self.assertEqual(self.spooler(s), "RUNNING")
                self.assertEqual(file_state(dat), sealed)

            # During a network install: at random moments, and once right after the port
            # creation has stopped the spooler.
            for delay in [*spread(0.0, 7.0, 3), None]:
                self.forget_port(s)
                log.unlink(missing_ok=True)
                w = self.start_run(s, kit)
                if delay is None:
                    d.wait_until(lambda: "net stop spooler" in commands(log), timeout=RUN_TIMEOUT,
                                 what="the spooler's stop")
                else:
                    time.sleep(delay)
                shown = [win["name"] or win["caption"] for win in w.d.windows(pid=w.pid)]
                w.process.kill()
                w.process.wait(timeout=20)
                self.wait_commands_over(log)
                lines = commands(log)
                state = self.spooler(s)
                moment = "after the stop" if delay is None else f"after {delay:.2f} s"
                print(f"run killed {moment}: windows {shown}, commands {lines}, "
                      f"spooler {state}", file=sys.stderr)
                self.assertEqual(file_state(dat), sealed)
                nets = net_lines(lines)
                if not nets or nets[-1] != "net stop spooler":
                    self.assertEqual(state, "RUNNING")
                    continue
                # Killed inside the stop (the spooler stopped or stopping): the one window no
                # program can close.
                # The wizard's next start brings the spooler back.
                again = d.start(kit / EXE.name, cwd=kit, env=wizkit.log_env(kit))
                main = d.find_window(pid=again, name="frmMain", timeout=60)
                d.wait_until(lambda: d.enabled(d.find(main, "btnNext")), timeout=60,
                             what="the welcome page")
                self.wait_spooler(s, "RUNNING")
                d.kill(again)
                self.assertEqual(file_state(dat), sealed)
            self.forget_port(s)

    def start_run(self, s, kit):
        """A started wizard with a network install under way."""
        w = Wizard(s, kit)
        self.walk_to(w, "rbNet", "tbsNet")
        w.d.type(IP, hwnd=w.control("meText"))
        w.click("btnStartInstall")
        return w

    def test_misbehaving_usb_libraries(self):
        # (variant, version in the title, the search's message, an entry the log must show)
        found = cap(27) + MODELS[0] + ",USB001"
        cases = [("missing", 0, cap(25), None),
                 ("overcount", 100, found, "   USB001,VID_1A2B,PID_3C4D"),
                 ("unterminated", 100, found, "   USB001,VID_1A2B,PID_3C4D")]
        with h.Session("faults-usb") as s, wizkit.local_port(s, "USB001"):
            for variant, version, message, entry in cases:
                with self.subTest(variant):
                    kit = wizkit.make_kit("faults-usb-" + variant)
                    shutil.copy(BAD_LIBRARIES / variant / "USBPrinterlibary.dll", kit)
                    self.usb_search(s, kit, version, message, entry)

    def usb_search(self, s, kit, version, message, entry):
        w = Wizard(s, kit)
        d = w.d
        self.assertIn(f" DLL Ver:{version} ", d.text(w.main))
        w.enter("rbUsb", "tbsUSB")
        # Twice: on entering the page (USBPortAutoInstall 1 in the kit) and by the button.
        for search in ("page", "button"):
            if search == "button":
                w.click("btnFindUSB")
            box = d.message_box(pid=w.pid, timeout=RUN_TIMEOUT)
            self.assertEqual((box["title"], box["text"]), (cap(8), message), search)
            wait = d.find_window(pid=w.pid, name="frmWait", visible=False, timeout=20)
            log = d.memo(w.control("mmoWait", wait))
            if entry:
                self.assertIn(entry, log)
            # Nothing of what the library wrote past the 255 bytes it was given is read.
            self.assertFalse(any("USB002" in line for line in log), log)
            d.press(box["hwnd"], h.IDOK)
            self.assertTrue(d.wait_gone(box["hwnd"], timeout=20))
            w.search_over()
            self.assertEqual(d.enabled(w.control("btnStartInstall")), entry is not None)
        self.assertIsNone(w.process.poll())  # still running
        w.process.kill()
        w.process.wait(timeout=30)

    def test_a_refused_registry_write_restarts_the_spooler_and_tells_the_user(self):
        kit = wizkit.make_kit("faults-registry", config={"MrPrintSet": "0"})
        log = kit / "commands.log"
        with h.Session("faults-registry") as s:
            # The driver keeps Wine's server, which holds the lock, alive from here on.
            s.driver()
            self.forget_port(s)
            # The second port key refuses every value: the first is written, then the write
            # fails in the middle of the port creation.
            locked = s.run(REG_LOCK, ["lock", PORT_KEYS[1]], timeout=60)
            self.assertEqual(locked.returncode, 0, locked.stderr)
            try:
                added = s.run("reg", ["add", PORT_KEYS[1], "/v", "HostName", "/d", IP, "/f"],
                              timeout=60)
                self.assertNotEqual(added.returncode, 0, "the key takes values")
                log.unlink(missing_ok=True)
                w = self.start_run(s, kit)
                d = w.d
                box = d.message_box(pid=w.pid, timeout=RUN_TIMEOUT)
                self.assertEqual((box["title"], box["text"]), (cap(33), cap(71) + cap(72)))
                lines = commands(log)
                self.assertEqual(net_lines(lines)[-2:], ["net stop spooler", "net start spooler"])
                self.assertFalse(any(line.startswith("rundll32") for line in lines), lines)
                self.wait_spooler(s, "RUNNING")
                self.assertEqual(len(wizkit.reg_values(s, PORT_KEYS[0])), 10)
                self.assertEqual(wizkit.reg_values(s, PORT_KEYS[1]), {})
                wait = d.find_window(pid=w.pid, name="frmWait", visible=False, timeout=20)
                self.assertFalse(d.visible(wait))
                w.shot("registry-refused")
                d.press(box["hwnd"], h.IDOK)
                d.wait_until(lambda: d.enabled(w.control("btnStartInstall")), what="the button")
                self.assertTrue(d.enabled(w.main))
                self.assertEqual(d.status(w.control("StatusBar1"))[1], cap(71))
                self.assertEqual(d.message_boxes(w.pid), [])
            finally:
                self.forget_port(s)


if __name__ == "__main__":
    h.main()
