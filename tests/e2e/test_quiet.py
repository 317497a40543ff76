"""The unattended mode under Wine: `ODAXPrintDrive.exe /quiet ...` started as a deployment tool
starts it, judged by its exit code, what it printed on its standard output, the commands the
stand-ins recorded and the printers Wine's spooler holds. While a quiet run works, the top-level
windows are listed again and again: none may appear.
"""
import re
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness as h  # noqa: E402
import wizkit  # noqa: E402

EXE = wizkit.EXE
MODELS = wizkit.MODELS
IP = "192.168.7.21"
RUN_TIMEOUT = 120


class QuietRuns(h.WineTestCase):
    @classmethod
    def setUpClass(cls):
        if not EXE.exists():
            raise FileNotFoundError(f"{EXE} is missing: build the win64 preset first")
        super().setUpClass()

    def make_kit(self, name, config=None):
        kit = wizkit.make_kit("quiet-" + name, config=config)
        wizkit.remove_queues(kit)
        self.assertFalse({p["name"] for p in self.driver.printers()} & set(MODELS))
        return kit

    def queue(self, name):
        return next((p for p in self.driver.printers() if p["name"] == name), None)

    def quiet(self, kit, *args, env=None, quiet="/quiet"):
        """Runs the program from its kit folder with /quiet (or `quiet` in its place, or nothing)
        and `args` to its end, its standard output going to a file, and lists the top-level
        windows of its process all the while; returns (exit code, printed lines). Fails when the
        process has any window."""
        d = self.driver
        output = kit / "quiet-output.txt"
        line = " ".join(f'"{a}"' if " " in a else a for a in ((quiet,) if quiet else ()) + args)
        pid = d.start(kit / EXE.name, args=line, cwd=kit, env={**wizkit.log_env(kit), **(env or {})},
                      stdout=output)
        windows = []
        deadline = time.monotonic() + RUN_TIMEOUT
        while (code := d.wait_exit(pid, timeout=0.05)) is None:
            windows += d.windows(pid=pid, all=True)
            if time.monotonic() > deadline:
                d.kill(pid)
                self.fail(f"the quiet run did not end in {RUN_TIMEOUT} s")
        self.assertEqual(windows, [], "the quiet run's process had windows")
        return code, output.read_text("utf-8").splitlines()

    def commands(self, kit):
        return wizkit.full_commands(kit / "commands.log")

    def assert_printed_commands(self, lines, commands):
        """Every recorded command line is printed, in order, as the program started it."""
        printed = [line[2:] for line in lines if line.startswith("> ")]
        self.assertEqual([c.lower() for c in printed], [c.lower() for c in commands])

    def test_network_install_run_again_and_remove(self):
        kit = self.make_kit("network")
        for key in wizkit.port_keys(IP):
            self.session.run("reg", ["delete", key, "/f"], timeout=60)
        model = MODELS[1]

        log_size = wizkit.install_log_size()
        code, lines = self.quiet(kit, "/connection", "network", "/address", IP, "/model", model)
        self.assertEqual(code, 0, "\n".join(lines))
        self.assertEqual(lines[-1], "Exit code 0")
        # The install log in its default place holds the run: how it was started, every
        # command with the exit code it ended with, and the end.
        log = wizkit.install_log_since(log_size)
        self.assertIn(" ==== Run started: quiet: /quiet /connection network /address " + IP, log)
        logged = re.findall(r" Command: (.*)\r\n    Exit code: (\d+)\r\n", log)
        self.assertEqual([c for c, _ in logged], self.commands(kit))
        self.assertTrue(log.endswith(" ==== Run ended: exit code 0: " + lines[-2] + "\r\n"),
                        log[-300:])
        for key in wizkit.port_keys(IP):
            self.assertEqual(wizkit.reg_values(self.session, key)["HostName"], ("REG_SZ", IP))
        queue = self.queue(model)
        self.assertIsNotNone(queue)
        self.assertEqual((queue["port"], queue["driver"]), (IP, model))
        installed = wizkit.commands(kit / "commands.log")
        self.assertEqual(installed[:3], ["net stop spooler", "net start spooler",
                                         "net start spooler"])
        self.assertRegex(installed[3], r'^rundll32 printui\.dll,PrintUIEntry /if /b "'
                         + re.escape(model) + r'" .* /r "' + re.escape(IP) + r'" .* /q$')
        self.assert_printed_commands(lines, self.commands(kit))
        # The wizard's own texts: the port creation's and the run's end.
        self.assertIn(wizkit.cap(59) + IP + wizkit.cap(60), lines)
        self.assertIn(wizkit.cap(44), lines)

        # Again: already as asked, nothing runs.
        ran = len(self.commands(kit))
        code, lines = self.quiet(kit, "/connection", "network", "/address", IP, "/model", model)
        self.assertEqual(code, 0, "\n".join(lines))
        self.assertEqual(len(self.commands(kit)), ran)
        self.assertIn("already installed", lines[-2])

        # Removed, and only that printer; removing it again is success with nothing run.
        # /log names another file, by its full path.
        code, lines = self.quiet(kit, "/remove", "/model", model, "/log",
                                 h.to_windows_path(kit / "removal.log"))
        self.assertEqual(code, 0, "\n".join(lines))
        self.assertIn(f'rundll32.exe" printui.dll,PrintUIEntry /dl /n "{model}" /q\r\n'
                      "    Exit code: 0\r\n", (kit / "removal.log").read_bytes().decode("utf-8"))
        self.assertEqual(wizkit.commands(kit / "commands.log")[ran:],
                         [f'rundll32 printui.dll,PrintUIEntry /dl /n "{model}" /q'])
        self.assertIsNone(self.queue(model))
        self.assert_printed_commands(lines, self.commands(kit)[ran:])
        code, lines = self.quiet(kit, "/remove", "/model", model)
        self.assertEqual(code, 0, "\n".join(lines))
        self.assertEqual(len(self.commands(kit)), ran + 1)

    def test_usb_install_picks_the_model_by_identifiers(self):
        # The printer is the second model; a kit without a default model lets the search take
        # whatever model it finds, as the wizard does.
        kit = self.make_kit("usb", config={"PrintName": ""})
        (kit / "USBPrinterlibary.sim.txt").write_text("USB001 1A2B 3C4E SN-7\n", encoding="utf-8")
        with wizkit.local_port(self.session, "USB001"):
            code, lines = self.quiet(kit, "/connection", "usb")
            self.assertEqual(code, 0, "\n".join(lines))
            queue = self.queue(MODELS[1])
            self.assertIsNotNone(queue)
            self.assertEqual((queue["port"], queue["driver"]), ("USB001", MODELS[1]))
            self.assertIn(wizkit.cap(37) + MODELS[1], lines)
            self.assert_printed_commands(lines, self.commands(kit))
            wizkit.remove_queues(kit)

        # No printer of a kit model: exit 6, nothing run.
        (kit / "USBPrinterlibary.sim.txt").write_text("USB001 1A2B 9999\n", encoding="utf-8")
        with wizkit.local_port(self.session, "USB001"):
            code, lines = self.quiet(kit, "/connection", "usb")
        self.assertEqual(code, 6, "\n".join(lines))
        self.assertEqual(self.commands(kit), [])

    def test_a_tampered_kit_exits_2_and_runs_nothing(self):
        kit = self.make_kit("tampered")
        data = (kit / "install.dat").read_bytes()
        encoding = "utf-16-le" if data[:2] == b"\xff\xfe" else "gbk"
        tampered = data.replace("MrPrintSet=2".encode(encoding), "MrPrintSet=1".encode(encoding))
        self.assertNotEqual(tampered, data)
        (kit / "install.dat").write_bytes(tampered)
        code, lines = self.quiet(kit, "/connection", "network", "/address", IP, "/model",
                                 MODELS[0])
        self.assertEqual(code, 2, "\n".join(lines))
        self.assertIn("seal", lines[-2])
        self.assertEqual(self.commands(kit), [])

    def test_a_bad_model_exits_3_and_names_it(self):
        kit = self.make_kit("bad-model")
        code, lines = self.quiet(kit, "/connection", "serial", "/port", "COM1", "/model",
                                 "ODAX-99")
        self.assertEqual(code, 3, "\n".join(lines))
        self.assertIn('/model "ODAX-99"', lines[-2])
        self.assertIn(MODELS[0], lines[-2])  # the kit's models are listed
        self.assertEqual(self.commands(kit), [])

    def test_without_quiet_the_usage_shows_in_a_message_box(self):
        # An argument the wizard does not understand is never ignored: the usage, exit 1;
        # asked for with /?, exit 0. Nothing else of the wizard starts.
        kit = self.make_kit("usage")
        d = self.driver
        for args, code, first in (("/bogus", 1, "unknown switch /bogus"),
                                  ("/model M", 1, "/model is only used with /quiet"),
                                  ("/?", 0, "ODAXPrintDrive.exe")):
            pid = d.start(kit / EXE.name, args=args, cwd=kit, env=wizkit.log_env(kit))
            box = d.message_box(pid=pid, timeout=RUN_TIMEOUT)
            self.assertTrue(box["text"].startswith(first), box["text"])
            self.assertIn("/quiet", box["text"])
            self.assertEqual([w["class"] for w in d.windows(pid=pid)], ["#32770"])
            d.press(box["hwnd"], h.IDOK)
            self.assertEqual(d.wait_exit(pid, timeout=20), code)
        self.assertEqual(self.commands(kit), [])

    def test_a_bad_command_line_with_quiet_anywhere_exits_1_without_a_window(self):
        kit = self.make_kit("bad-command")
        code, lines = self.quiet(kit, "/connection", "netwrk", "/quiet", quiet=None)
        self.assertEqual(code, 1, "\n".join(lines))
        self.assertIn('Error: /connection must be network, usb, serial or parallel, not "netwrk"',
                      lines)
        self.assertTrue(any("/quiet" in line for line in lines[1:]))  # the usage follows
        # The switches admins type from habit: /norestart before /quiet changes nothing.
        code, lines = self.quiet(kit, "/norestart", "/quiet", "/connection", "serial", "/port",
                                 "COM1", "/model", MODELS[0], quiet=None)
        self.assertEqual(code, 0, "\n".join(lines))
        self.assertIsNotNone(self.queue(MODELS[0]))
        wizkit.remove_queues(kit)

    def test_a_hanging_printer_setup_is_ended_with_all_it_started_and_exits_5(self):
        kit = self.make_kit("hanging-setup")
        ids = kit / "hanging-ids.txt"
        code, lines = self.quiet(kit, "/connection", "serial", "/port", "COM1", "/model",
                                 MODELS[0], "/timeout", "30",
                                 env={"WIZ_SETUP_HANGS": h.to_windows_path(ids)})
        self.assertEqual(code, 5, "\n".join(lines))
        self.assertIn("timeout", lines[-2].lower())
        self.assertIn("  (did not end)", lines)
        # The installer and the process it started are both gone.
        started = [int(pid) for pid in ids.read_text().split()]
        self.assertEqual(len(started), 2, started)
        for pid in started:
            self.assertTrue(self.driver.process_ended(pid, timeout=30), f"process {pid} lives")
        self.assertIsNone(self.queue(MODELS[0]))

    def test_a_log_folder_that_is_a_link_gets_nothing_and_the_install_goes_on(self):
        kit = self.make_kit("log-link")
        folder = wizkit.INSTALL_LOG.parent
        aside = folder.with_name(folder.name + ".aside")
        target = h.scratch_dir("log-link-target")
        if folder.exists():
            folder.rename(aside)
        try:
            folder.symlink_to(target, target_is_directory=True)
            code, lines = self.quiet(kit, "/connection", "serial", "/port", "COM1", "/model",
                                     MODELS[0])
            self.assertEqual(code, 0, "\n".join(lines))
            said = [line for line in lines if line.startswith("No install log is written: ")]
            self.assertEqual(len(said), 1, lines)
            self.assertIn("is a link", said[0])
            self.assertEqual(list(target.iterdir()), [])
            self.assertIsNotNone(self.queue(MODELS[0]))
        finally:
            folder.unlink(missing_ok=True)
            if aside.exists():
                aside.rename(folder)
            wizkit.remove_queues(kit)


if __name__ == "__main__":
    h.main()
