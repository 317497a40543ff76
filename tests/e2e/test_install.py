"""Installation runs of the wizard under Wine, driven as a user would drive them.

Each test copies the demo kit into a scratch folder together with the wizard and the USB
library. The command-recording stand-ins (net.exe, rundll32.exe) are the prefix's system
commands: they write every command line into the kit's commands.log, the net stand-in really
stops and starts Wine's spooler and the rundll32 stand-in creates the driver and the queue when
the INF file names the model.

Wine's spooler has no Standard TCP/IP port monitor, so it never lists a port from the keys the
wizard writes. Where a test needs the spooler to list such a port (the question about an
existing port), it lists the address as a port of Wine's local port monitor, as Windows'
monitor would list it after the spooler's restart.
"""
import re
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness as h  # noqa: E402
import wizkit  # noqa: E402

EXE = wizkit.EXE
MODELS = wizkit.MODELS
IP = "192.168.1.100"
PORT_KEYS = wizkit.port_keys(IP)
LOCAL_PORTS = wizkit.LOCAL_PORTS
PORT_VALUES = [  # name, type as reg.exe shows it, data as reg.exe shows it
    ("HostName", "REG_SZ", IP), ("IPAddress", "REG_SZ", ""), ("HWAddress", "REG_SZ", ""),
    ("SNMP Community", "REG_SZ", "public"), ("Protocol", "REG_DWORD", "0x1"),
    ("Version", "REG_DWORD", "0x2"), ("PortNumber", "REG_DWORD", "0x238c"),
    ("SNMP Enabled", "REG_DWORD", "0x0"), ("SNMP Index", "REG_DWORD", "0x1"),
    ("PortMonMibPortIndex", "REG_DWORD", "0x0"),
]
# Pages of pcPage by index, and the connection buttons.
NET_PAGE, RS232_PAGE, LPT_PAGE = "tbsNet", "tbsRs232", "tbsLpt"
RUN_TIMEOUT = 120


cap = wizkit.cap


def make_kit(name, config=None, drop=()):
    """The demo kit with the wizard in a scratch folder, sealed by the
    vendor tool under the same Wine; `config` changes [CONFIG] values, `drop` removes files."""
    return wizkit.make_kit("install-" + name, config=config, drop=drop)


def commands(kit):
    return wizkit.commands(kit / "commands.log")


def install_command(kit, model, port, lang="EN", inf="ODAXPOS.inf"):
    folder = h.to_windows_path(kit) + "\\"
    return (f'rundll32 printui.dll,PrintUIEntry /if /b "{model}" /f "{folder}{lang}\\{inf}" '
            f'/r "{port}" /m "{model}"')


class InstallRuns(h.WineTestCase):
    @classmethod
    def setUpClass(cls):
        if not EXE.exists():
            raise FileNotFoundError(f"{EXE} is missing: build the win64 preset first")
        super().setUpClass()

    # ---- the world outside the wizard --------------------------------------------------

    def reg(self, *args):
        return self.session.run("reg", args, timeout=60)

    def forget_port(self):
        for key in PORT_KEYS:
            self.reg("delete", key, "/f")
        self.reg("delete", LOCAL_PORTS, "/v", IP, "/f")

    def remove_queues(self, kit):
        wizkit.remove_queues(kit)
        self.assertFalse({p["name"] for p in self.driver.printers()} & set(MODELS))

    def queue(self, name):
        for p in self.driver.printers():
            if p["name"] == name:
                return p
        return None

    # ---- the wizard --------------------------------------------------------------------

    def start(self, kit):
        d = self.driver
        self.pid = d.start(kit / EXE.name, cwd=kit, env=wizkit.log_env(kit))
        self.addCleanup(self.end_wizard, self.pid)
        self.main = d.find_window(pid=self.pid, name="frmMain", timeout=60)
        d.wait_until(lambda: d.enabled(self.control("btnNext")), timeout=60,
                     what="the welcome page")
        return self.main

    def end_wizard(self, pid):
        if self.driver.wait_exit(pid, timeout=0) is None:
            self.driver.kill(pid)

    def control(self, name, parent=None):
        return self.driver.find(parent or self.main, name, timeout=20)

    def wait_window(self):
        return self.driver.find_window(pid=self.pid, name="frmWait", visible=False, timeout=20)

    def next(self):
        self.driver.click(self.control("btnNext"))

    def page_shown(self, page):
        return self.driver.visible(self.control(page))

    def walk_to(self, connection, page, model=0, refresh=False):
        """From the welcome page to the port page of a connection, choosing a model. The
        port lists are filled when a connection is chosen; `refresh` chooses another one
        first, since a click on the chosen one changes nothing."""
        d = self.driver
        self.next()
        d.wait_until(lambda: self.page_shown("tbsPort"), what="the connection page")
        if refresh:
            other = "rbRs232" if connection != "rbRs232" else "rbLPT"
            d.click(self.control(other))
            d.wait_until(lambda: d.checked(self.control(other)), what=other)
        d.click(self.control(connection))
        d.wait_until(lambda: d.checked(self.control(connection)), what=connection)
        self.next()
        d.wait_until(lambda: self.page_shown("tbsDriveNameSelect"), what="the model page")
        models = self.control("chkPrintSelect")
        if model:
            d.click_item(models, model)
            d.wait_until(lambda: d.items(models)["marks"][model], what="the model's mark")
        self.assertEqual(d.items(models)["items"], MODELS)
        self.next()
        d.wait_until(lambda: self.page_shown(page), what=page)
        d.wait_until(lambda: d.enabled(self.control("btnStartInstall")), what="the install button")

    def install(self):
        self.driver.click(self.control("btnStartInstall"))

    def press(self, box, answer):
        self.driver.press(box["hwnd"], answer)
        self.assertTrue(self.driver.wait_gone(box["hwnd"], timeout=RUN_TIMEOUT))

    def box(self, title, text, answer):
        """Waits for the next message box, checks it and answers it."""
        seen = self.driver.answer(answer, pid=self.pid, timeout=RUN_TIMEOUT)
        self.assertEqual((seen["title"], seen["text"]), (title, text))
        return seen

    def finish(self, name):
        """The kit's default-printer question (answered No), end message and quit question
        (answered No)."""
        d = self.driver
        question = d.message_box(pid=self.pid, timeout=RUN_TIMEOUT)
        self.assertEqual(question["title"], cap(8))
        # The current default printer's name stands between the two texts.
        self.assertTrue(question["text"].startswith(cap(55)), question["text"])
        self.assertTrue(question["text"].endswith("," + cap(54)), question["text"])
        self.press(question, h.IDNO)
        self.box(cap(42), cap(44), h.IDOK)
        self.session.screenshot(f"{name}-quit-question")
        self.box(cap(8), cap(43), h.IDNO)

    def wait_run_over(self):
        d = self.driver
        d.wait_until(lambda: d.enabled(self.control("btnStartInstall")), timeout=RUN_TIMEOUT,
                     what="the end of the run")
        d.wait_until(lambda: d.status(self.control("StatusBar1"))[1] == cap(18),
                     what="the ready text")
        self.assertFalse(d.visible(self.wait_window()))

    # ---- tests -------------------------------------------------------------------------

    def test_network_install_creates_the_port_and_the_queue(self):
        kit = make_kit("network")
        self.remove_queues(kit)
        self.forget_port()
        wizkit.set_spooler(self.session, running=True)  # as on a machine in use
        d = self.driver
        log_size = wizkit.install_log_size()
        self.start(kit)
        self.walk_to("rbNet", NET_PAGE)
        me = self.control("meText")
        d.type(IP, hwnd=me)
        self.install()

        # The port creation announces its end while the wait dialog shows its log.
        box = d.message_box(pid=self.pid, timeout=RUN_TIMEOUT)
        self.assertEqual((box["title"], box["text"]), (cap(8), cap(59) + IP + "," + cap(32)))
        wait = self.wait_window()
        self.assertTrue(d.visible(wait))
        log = d.memo(self.control("mmoWait", wait))
        self.assertEqual(log[:3], [cap(56), cap(57), cap(58)])
        self.assertEqual(log[3], "HostName\uff1a" + IP)
        self.assertEqual(log[-1], cap(59) + IP + cap(60))
        self.assertEqual(d.progress(self.control("pbWait", wait)), (22, 0, 22))
        link = self.control("lblLog", wait)
        self.assertTrue(d.visible(link))
        self.assertEqual(d.text(link), cap(82))
        self.assert_link_placed(wait, link)
        self.session.screenshot("network-port-created")
        self.session.screenshot("wait-dialog-en", rect=d.client_rect(wait))
        self.press(box, h.IDOK)
        self.finish("network")
        self.wait_run_over()

        for key in PORT_KEYS:
            self.assertEqual(wizkit.reg_values(self.session, key),
                             {name: (kind, data) for name, kind, data in PORT_VALUES}, key)
        self.assertEqual(commands(kit), [  # none at the window's creation: the spooler ran
            "net stop spooler", "net start spooler",  # the port
            "net start spooler", install_command(kit, MODELS[0], IP)])
        queue = self.queue(MODELS[0])
        self.assertIsNotNone(queue)
        self.assertEqual((queue["port"], queue["driver"]), (IP, MODELS[0]))
        # net start ends with 2 when the spooler runs already, as after the port's restart.
        self.assert_logged_run(wizkit.install_log_since(log_size), kit, "installed",
                               ["0", "0", "2", "0"])

        # The spooler lists the port now: a second install to the address asks first, and
        # Yes ends the run with the cursor back in the address.
        self.reg("add", LOCAL_PORTS, "/v", IP, "/t", "REG_SZ", "/d", "", "/f")
        self.assertIn(IP, d.ports())
        for _ in range(3):
            d.click(self.control("btnPrevious"))
        d.wait_until(lambda: self.page_shown("tbsWelcome"), what="the welcome page")
        self.walk_to("rbNet", NET_PAGE, refresh=True)
        before = len(commands(kit))
        self.install()
        self.box(cap(8), cap(30), h.IDYES)
        d.wait_until(lambda: d.focused(me), what="the cursor in the address")
        self.assertEqual(len(commands(kit)), before)
        self.assertFalse(d.visible(self.wait_window()))

    def test_serial_and_parallel_installs(self):
        for connection, page, model, port_list in (("rbRs232", RS232_PAGE, 1, "cbRs232"),
                                                   ("rbLPT", LPT_PAGE, 2, "cbLpt")):
            with self.subTest(connection):
                kit = make_kit(connection)
                self.remove_queues(kit)
                d = self.driver
                self.start(kit)
                self.walk_to(connection, page, model)
                ports = d.items(self.control(port_list))
                port = ports["items"][ports["selected"]]
                self.assertRegex(port, r"^(COM|LPT)1:?$")
                self.install()
                self.finish(connection)
                self.wait_run_over()
                self.assertEqual(commands(kit)[-1], install_command(kit, MODELS[model], port))
                self.assertEqual(self.queue(MODELS[model])["port"], port)
                self.end_wizard(self.pid)

    def test_default_printer_is_set_and_the_wizard_quits(self):
        kit = make_kit("default", config={"MrPrintSet": "1", "SetupAutoQuit": "1"})
        self.remove_queues(kit)
        self.start(kit)
        self.walk_to("rbRs232", RS232_PAGE, 1)
        self.install()
        self.box(cap(42), cap(44), h.IDOK)
        self.box(cap(8), cap(45) + cap(76), h.IDOK)
        self.box(cap(8), cap(43), h.IDYES)
        self.assertEqual(self.driver.wait_exit(self.pid, timeout=60), 0)
        self.assertTrue(self.default_device().startswith(MODELS[1] + ","))

    def default_device(self):
        """[windows] "device" of win.ini; Wine keeps that section in the registry."""
        done = self.reg("query", r"HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows",
                        "/v", "Device")
        m = re.search(r"Device\s+REG_SZ\s+(.*)", done.stdout.decode("utf-8", "replace"))
        if m:
            return m.group(1).strip()
        win_ini = h.PREFIX / "drive_c" / "windows" / "win.ini"
        sections = wizkit.read_profile(win_ini.read_bytes(), "latin-1")
        return sections.get("WINDOWS", {}).get("DEVICE", "")

    def assert_link_placed(self, wait, link):
        """The log link lies inside the wait dialog, below the progress bar and clear of the
        button, which keep their places."""
        d = self.driver
        left, top, right, bottom = d.client_rect(wait)
        l, t, r, b = d.rect(link)
        bar, button = d.rect(self.control("pbWait", wait)), d.rect(self.control("BitBtn1", wait))
        self.assertTrue(left <= l and r <= right and top <= t and b <= bottom, (l, t, r, b))
        self.assertGreaterEqual(t, bar[3])
        self.assertLessEqual(r, button[0])

    def assert_logged_run(self, log, kit, outcome, exit_codes):
        """The install log holds the run: its start with the versions, every command the
        stand-ins saw run with its exit code, the steps the wait dialog showed and the end."""
        self.assertIn("==== Run started: wizard (installation)\r\n", log)
        self.assertRegex(log, r"\r\n    Program: ODAXPrintDrive \d+\.\d+\.\d+ \(")
        self.assertRegex(log, r"\r\n    Kit: SoftVer \S+, OEMID \S+\r\n    Language: English\r\n")
        for line in log.splitlines():
            if line and not line.startswith("    "):
                self.assertRegex(line, r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} ")
        # The run's commands as they were started, each with the exit code it ended with (the
        # spooler ran, so the window's creation started none).
        run = log[log.index("==== Run started"):]
        logged = re.findall(r" Command: (.*)\r\n    Exit code: (\d+)\r\n", run)
        self.assertEqual([c for c, _ in logged], wizkit.full_commands(kit / "commands.log"))
        self.assertEqual([code for _, code in logged], exit_codes)
        for step in (cap(47), cap(49), cap(46), cap(45)):
            self.assertIn(" " + step + "\r\n", run)
        self.assertTrue(run.endswith(" ==== Run ended: " + outcome + "\r\n"), run[-300:])

    def assert_failure_shown(self, failure_line, screenshot):
        """The run ended in the verification's failure: its box (key 78 below the line), the
        line last in the wait dialog's log and in the status bar, no success text, and after OK
        the windows usable again."""
        d = self.driver
        box = d.message_box(pid=self.pid, timeout=RUN_TIMEOUT)
        self.assertEqual((box["title"], box["text"]), (cap(8), failure_line + "\r\n" + cap(78)))
        wait = self.wait_window()
        log = d.memo(self.control("mmoWait", wait))
        self.assertEqual(log[-1], failure_line)
        for success in (cap(45), MODELS[0] + " " + cap(15), cap(44)):
            self.assertNotIn(success, log)
        self.session.screenshot(screenshot)
        self.press(box, h.IDOK)
        d.wait_until(lambda: d.enabled(self.control("btnStartInstall")), what="the button")
        self.assertTrue(d.enabled(self.main))
        self.assertEqual(d.status(self.control("StatusBar1"))[1], failure_line)
        self.assertTrue(d.enabled(self.control("BitBtn1", wait)))

    def test_a_missing_inf_file_ends_in_the_failure_message(self):
        kit = make_kit("no-inf", drop=["EN/ODAXPOS.inf"])
        self.remove_queues(kit)
        d = self.driver
        self.start(kit)
        self.walk_to("rbLPT", LPT_PAGE)
        self.install()
        self.assert_failure_shown(cap(77) + MODELS[0], "missing-inf-failure")
        self.assertEqual(d.message_boxes(self.pid), [])  # no end message, no quit question
        self.assertTrue(commands(kit)[-1].startswith("rundll32 printui.dll,PrintUIEntry /if"))
        self.assertIsNone(self.queue(MODELS[0]))

    def add_queue(self, kit, model, port):
        """A printer of the model's name on `port`, set up before the wizard runs (by the
        stand-in's own setup command, kept out of the command log)."""
        inf = h.to_windows_path(kit / "EN" / "ODAXPOS.inf")
        done = h.run_windows_program(wizkit.STAND_IN_RUNDLL32, [
            "printui.dll,PrintUIEntry", "/if", "/b", model, "/f", inf, "/r", port, "/m", model],
            cwd=kit, env=wizkit.log_env(kit))
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        (kit / "commands.log").unlink(missing_ok=True)

    def test_a_printer_of_that_name_on_another_port_is_a_failure(self):
        kit = make_kit("existing-other-port")
        self.remove_queues(kit)
        self.forget_port()
        d = self.driver
        other = next(p for p in d.ports() if re.match(r"^(LPT|COM)\d:?$", p))
        self.add_queue(kit, MODELS[0], other)
        self.assertEqual(self.queue(MODELS[0])["port"], other)
        self.start(kit)
        self.walk_to("rbNet", NET_PAGE)
        d.type(IP, hwnd=self.control("meText"))
        self.install()
        self.box(cap(8), cap(59) + IP + "," + cap(32), h.IDOK)
        # The user keeps the printer that is there.
        self.box(cap(8), cap(34), h.IDNO)

        self.assert_failure_shown(f"{cap(77)}{MODELS[0]} ({other}, {MODELS[0]})",
                                  "existing-printer-failure")
        self.assertEqual(d.message_boxes(self.pid), [])  # no end message, no quit question
        self.assertEqual(commands(kit)[-1], install_command(kit, MODELS[0], IP))
        queue = self.queue(MODELS[0])
        self.assertEqual((queue["port"], queue["driver"]), (other, MODELS[0]))


if __name__ == "__main__":
    h.main()
