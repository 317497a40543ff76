"""The net and rundll32 stand-ins, the test prefix's system commands: they record each command
line, the net one starts and stops services itself, the rundll32 one really installs and
removes printer queues and refuses any other call."""
import re
import shutil
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness as h  # noqa: E402
import wizkit  # noqa: E402

MODEL = "Stand-in Model-1"  # a name no other test installs
INF = ('[Version]\r\nSignature="$Windows NT$"\r\nClass=Printer\r\n\r\n'
       '[Manufacturer]\r\n"ODAX"=ODAX,NTamd64\r\n\r\n'
       '[ODAX.NTamd64]\r\n"%s" = ODAX_M1, USBPRINT\\ODAXM1\r\n' % MODEL)
OTHER_INF = INF.replace(MODEL, "Stand-in Model-2")
TCP_PORTS = r"HKLM\SYSTEM\CurrentControlSet\Control\Print\Monitors\Standard TCP/IP Port\Ports"
LOCAL_PORTS = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\Ports"
TCP_PORT = "10.20.30.40"
RUNDLL32 = wizkit.STAND_IN_RUNDLL32
NET = h.SYSTEM32_WIN + "\\net.exe"


def install_command(queue, inf, port, model):
    return (f'rundll32 printui.dll,PrintUIEntry /if /b "{queue}" /f "{inf}" /r "{port}" '
            f'/m "{model}"')


def delete_command(model):
    return (f'rundll32 printui.dll,PrintUIEntry /dd /c\\\\machine /m "{model}" /h "x86" '
            f'/v "Type 3 - User Mode" ')


class StandInTest(h.WineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # The program under test runs its commands through RunDOS: the probe stands in for it.
        cls.kit = h.scratch_dir("test_standins")
        shutil.copy(h.WIN64_BIN / "rundos-probe.exe", cls.kit)
        (cls.kit / "EN").mkdir()
        (cls.kit / "EN" / "pos.inf").write_bytes(INF.encode("ascii"))
        (cls.kit / "EN" / "other.inf").write_bytes(OTHER_INF.encode("ascii"))
        (cls.kit / "EN" / "wide.inf").write_bytes(b"\xff\xfe" + INF.encode("utf-16-le"))
        (cls.kit / "ports.txt").write_text("USB001\r\n", encoding="ascii")
        cls.log = cls.kit / "commands.log"
        cls.env = {"WIZ_COMMANDS_LOG": h.to_windows_path(cls.log),
                   "WIZ_SIMULATED_PORTS": h.to_windows_path(cls.kit / "ports.txt")}
        # Nothing from an earlier run of these tests in the same prefix.
        cls.session.run(RUNDLL32, ["printui.dll,PrintUIEntry", "/dd", "/m", MODEL], env=cls.env)
        cls.session.run("reg", ["delete", f"{TCP_PORTS}\\{TCP_PORT}", "/f"])
        cls.session.run("reg", ["delete", LOCAL_PORTS, "/v", TCP_PORT, "/f"])

    def setUp(self):
        self.log.unlink(missing_ok=True)

    def inf(self, name):
        return h.to_windows_path(self.kit / "EN" / name)

    def run_dos(self, command):
        """RunDOS(command) from a program in the kit folder; returns the text it printed."""
        out = self.kit / "out.txt"
        r = self.session.run(self.kit / "rundos-probe.exe", [h.to_windows_path(out), command],
                             cwd=self.kit, env=self.env)
        self.assertEqual(r.returncode, 0, out.read_bytes())
        return out.read_bytes().decode("utf-8")

    def rundll32(self, command):
        """The stand-in started directly with the command's arguments, for its exit code."""
        args = command.split(" ", 1)[1]
        pid = self.driver.start(RUNDLL32, args=args, cwd=self.kit, env=self.env)
        code = self.driver.wait_exit(pid, timeout=60)
        self.assertIsNotNone(code, "the stand-in did not end")
        return code

    def logged(self):
        return self.log.read_bytes().decode("utf-8").split("\r\n")[:-1]

    def queues(self):
        return {p["name"]: (p["port"], p["driver"]) for p in self.driver.printers()}

    def test_install_then_delete(self):
        d = self.driver
        self.assertNotIn(MODEL, d.printer_drivers())
        cases = (("Front Desk", "pos.inf", "LPT1:"), ("Wide Desk", "wide.inf", "USB001"))
        for queue, inf, port in cases:
            command = install_command(queue, self.inf(inf), port, MODEL)
            self.run_dos(command)
            self.assertEqual(self.logged()[-1], command)
            self.assertEqual(self.queues().get(queue), (port, MODEL), inf)
        self.assertIn(MODEL, d.printer_drivers())

        self.run_dos(delete_command(MODEL))
        self.assertEqual(self.logged()[-1], delete_command(MODEL))
        for queue, _, _ in cases:
            self.assertNotIn(queue, self.queues())
        self.assertNotIn(MODEL, d.printer_drivers())

    def test_port_of_the_tcp_monitor_is_accepted(self):
        port = TCP_PORT  # unknown at the start: removed before the tests
        self.assertEqual(
            self.rundll32(install_command("Net Desk", self.inf("pos.inf"), port, MODEL)), 7)
        # The key the port creation writes makes the port known.
        self.session.run("reg", ["add", f"{TCP_PORTS}\\{port}", "/v", "HostName", "/d", port,
                                 "/f"])
        self.addCleanup(self.rundll32, delete_command(MODEL))
        self.assertEqual(
            self.rundll32(install_command("Net Desk", self.inf("pos.inf"), port, MODEL)), 0)
        self.assertEqual(self.queues().get("Net Desk"), (port, MODEL))

    def test_refusals_create_nothing(self):
        d = self.driver
        cases = (
            ("the INF lacks the model", self.inf("other.inf"), "LPT1:", MODEL, 4),
            ("the INF is missing", self.inf("missing.inf"), "LPT1:", MODEL, 3),
            ("the port does not exist", self.inf("pos.inf"), "USB009", MODEL, 7),
            ("the model is empty", self.inf("pos.inf"), "LPT1:", "", 2),
            ("a longer model only", self.inf("pos.inf"), "LPT1:", "Stand-in Model", 4),
        )
        for why, inf, port, model, exit_code in cases:
            with self.subTest(why):
                self.assertEqual(self.rundll32(install_command("Refused", inf, port, model)),
                                 exit_code)
                self.assertNotIn("Refused", self.queues())
                self.assertNotIn(model, d.printer_drivers())
        self.assertEqual(len(self.logged()), len(cases))

    def spooler(self):
        out = self.session.run("sc", ["query", "spooler"]).stdout.decode("utf-8", "replace")
        return re.search(r"STATE\s*:\s*\d+\s+(\w+)", out).group(1)

    def test_net_starts_and_stops_the_service_itself(self):
        self.run_dos("net start spooler")  # running, whatever it was before
        self.assertEqual(self.spooler(), "RUNNING")
        stopped = self.run_dos("net stop spooler")
        self.assertEqual(self.spooler(), "STOPPED")
        started = self.run_dos("net start spooler")
        self.assertEqual(self.spooler(), "RUNNING")
        self.assertEqual(self.logged(), ["net start spooler", "net stop spooler",
                                         "net start spooler"])
        self.assertIn("stopped", stopped.lower())
        self.assertIn("started", started.lower())

        def net(*args):
            r = self.session.run(NET, args, env=self.env)
            self.last_net = (r.stdout + r.stderr).decode("utf-8", "replace")
            return r.returncode, r.stdout.decode("utf-8", "replace")

        # Already in that state: exit 2 with net's message, the state unchanged.
        code, text = net("start", "spooler")
        self.assertEqual((code, self.spooler()), (2, "RUNNING"), self.last_net)
        self.assertIn("already been started", text)
        self.addCleanup(net, "start", "spooler")
        self.assertEqual(net("stop", "spooler")[0], 0)
        code, text = net("stop", "spooler")
        self.assertEqual((code, self.spooler()), (2, "STOPPED"))
        self.assertIn("not started", text)
        self.assertEqual(net("start", "spooler")[0], 0)
        self.assertEqual(self.spooler(), "RUNNING")

        code, text = net("start", "no-such-service")
        self.assertEqual(code, 2)
        self.assertIn("service name is invalid", text)
        # Anything else is refused, not passed on (the system's net is this program).
        refused = self.session.run(NET, ["use"], env=self.env)
        self.assertEqual(refused.returncode, 1)
        self.assertIn(b"only", refused.stderr)
        self.assertEqual(len(self.logged()), 9)

    def test_other_rundll32_calls_are_refused_once(self):
        # The stand-in is the system's rundll32: it cannot hand a call on without starting
        # itself again, so it refuses it, once.
        r = self.session.run(RUNDLL32, ["shell32.dll,Control_RunDLL", "desk.cpl"],
                             env=self.env, timeout=60)
        self.assertEqual(r.returncode, 1)
        self.assertIn(b"only printui.dll,PrintUIEntry", r.stderr)
        self.assertEqual(len(self.logged()), 1)
        self.assertIn("shell32.dll,Control_RunDLL desk.cpl", self.logged()[0])


if __name__ == "__main__":
    h.main()
