"""odax-kit.exe under Wine: the vendor tool with the system's own profile functions. A kit
sealed there must be accepted by the host build (our profile emulation) and the other way
round, since both must compute the value the wizard computes."""
import json
import os
import re
import shutil
import subprocess
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402
import wizkit  # noqa: E402

TOOL = harness.WIN64_BIN / "odax-kit.exe"


def host_tool():
    """The host build's odax-kit: WIZ_HOST_BIN, else the bin folder of the build that runs
    this test (ctest runs it in <build>/tests/e2e)."""
    candidates = []
    if os.environ.get("WIZ_HOST_BIN"):
        candidates.append(Path(os.environ["WIZ_HOST_BIN"]) / "odax-kit")
    candidates.append(Path.cwd().parents[1] / "bin" / "odax-kit")
    for c in candidates:
        if c.is_file():
            return c
    return None


def make_kit(name, encoding=None):
    """The demo kit in a scratch folder, its settings file in `encoding` (UTF16 or ANSI) when
    given, as it was sealed otherwise."""
    folder = harness.scratch_dir("kit-tool-" + name)
    shutil.copytree(harness.KIT, folder, dirs_exist_ok=True)
    if encoding:
        wizkit.edit_settings(folder / "install.dat", lambda text: text, encoding)
    return folder


def edit(settings, pattern, replacement):
    """Replaces the first match of `pattern` in the settings file's text, in its own encoding."""
    def once(text):
        changed, n = re.subn(pattern, replacement, text, count=1)
        assert n == 1, pattern
        return changed
    wizkit.edit_settings(settings, once)


def without_value(settings):
    return re.sub(r"ConfigID=[^\r\n]*", "ConfigID=", wizkit.decode_settings(settings), count=1)


def run_wine(*args, cwd=None):
    done = harness.run_windows_program(TOOL, list(args), cwd=cwd)
    return done.returncode, done.stdout.decode("utf-8", "replace"), done.stderr.decode("utf-8", "replace")


def run_host(*args):
    done = subprocess.run([str(host_tool()), *args], capture_output=True, timeout=60)
    return done.returncode, done.stdout.decode("utf-8", "replace"), done.stderr.decode("utf-8", "replace")


class KitToolUnderWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not TOOL.is_file():
            raise unittest.SkipTest(f"{TOOL} is not built")
        harness.ensure_prefix()

    @classmethod
    def tearDownClass(cls):
        harness.wineserver_kill()

    def test_seal_verify_and_refusal(self):
        for encoding in wizkit.FORMS:
            with self.subTest(encoding=encoding):
                kit = make_kit("seal-" + encoding, encoding)
                settings = kit / "install.dat"
                before = settings.read_bytes()
                code, out, err = run_wine("seal", harness.to_windows_path(kit))
                self.assertEqual(code, 0, out + err)
                after = settings.read_bytes()
                self.assertEqual(wizkit.settings_encoding(after), encoding)
                value = re.search(r"ConfigID=([0-9a-f]{32})\r\n", wizkit.decode_settings(after))
                self.assertIsNotNone(value, after[:200])
                # Only the value changed.
                self.assertEqual(without_value(after), without_value(before))
                self.assertIn(value.group(1), out)

                code, out, err = run_wine("verify", harness.to_windows_path(settings))
                self.assertEqual(code, 0, out + err)
                self.assertIn("accepted", out)

                edit(settings, "CAPTION_8=", "Caption_8=")
                code, out, err = run_wine("verify", harness.to_windows_path(kit))
                self.assertEqual(code, 1, out + err)
                self.assertIn("does not match the content", out)

    def test_host_and_windows_builds_agree(self):
        host = host_tool()
        if host is None:
            self.skipTest("the host build's odax-kit was not found (set WIZ_HOST_BIN)")
        kit = make_kit("agree")
        code, out, err = run_wine("seal", harness.to_windows_path(kit))
        self.assertEqual(code, 0, out + err)
        code, out, err = run_host("verify", str(kit))
        self.assertEqual(code, 0, out + err)

        kit2 = make_kit("agree-host")
        edit(kit2 / "install.dat", r"OEMID=[^\r\n]*", "OEMID=ODAX-HOST")
        code, out, err = run_host("seal", str(kit2))
        self.assertEqual(code, 0, out + err)
        code, out, err = run_wine("verify", harness.to_windows_path(kit2))
        self.assertEqual(code, 0, out + err)
        # The same file sealed by either build holds the same value.
        sealed_by_host = (kit2 / "install.dat").read_bytes()
        code, out, err = run_wine("seal", harness.to_windows_path(kit2))
        self.assertEqual(code, 0, out + err)
        self.assertEqual((kit2 / "install.dat").read_bytes(), sealed_by_host)

    def test_lint_and_exit_codes(self):
        kit = make_kit("lint")
        settings = kit / "install.dat"
        edit(settings, r"DefaultAbout=[^\r\n]*", "DefaultAbout=yes")
        code, out, err = run_wine("lint", harness.to_windows_path(kit))
        self.assertEqual(code, 1, out + err)
        line = next(l for l in out.splitlines() if "DefaultAbout" in l)
        self.assertRegex(line, r"install\.dat:\d+: \[CONFIG\] DefaultAbout: 'yes' is not a valid boolean value")
        number = int(re.search(r"install\.dat:(\d+):", line).group(1))
        lines = re.split(r"\r\n|\r|\n", wizkit.decode_settings(settings.read_bytes()))
        self.assertIn("DefaultAbout=yes", lines[number - 1])

        self.assertEqual(run_wine("pack", harness.to_windows_path(kit))[0], 2)
        self.assertEqual(run_wine("verify", harness.to_windows_path(kit / "missing"))[0], 2)
        code, out, _ = run_wine("--help")
        self.assertEqual(code, 0)
        self.assertIn("usage: odax-kit", out)

    def test_deploy_checks_a_command_against_the_kit(self):
        kit = make_kit("deploy")
        for f in (wizkit.EXE, harness.WIN64_BIN / "USBPrinterlibary.dll"):
            shutil.copy(f, kit)
        where = harness.to_windows_path(kit)
        model = wizkit.MODELS[0]
        command = ["/connection", "network", "/address", "192.168.1.50", "/model", model]
        key = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\" + model
        install = f'ODAXPrintDrive.exe /quiet /connection network /address 192.168.1.50 /model "{model}"'
        uninstall = f'ODAXPrintDrive.exe /quiet /remove /model "{model}"'

        code, out, err = run_wine("deploy", where, *command)
        self.assertEqual(code, 0, out + err)
        lines = out.splitlines()
        for field, value in (("install command:", install), ("uninstall command:", uninstall),
                             ("detection rule: the printer's registry key exists", key)):
            self.assertEqual(lines[lines.index(field) + 1].strip(), value, out)
        self.assertIn("  7  the program does not run with administrator rights", lines)

        code, out, err = run_wine("deploy", "--json", where, *command)
        self.assertEqual(code, 0, out + err)
        result = json.loads(out)
        self.assertEqual((result["ok"], result["failed"]), (True, None))
        self.assertEqual(result["install"], install)
        self.assertEqual(result["uninstall"], [uninstall])
        self.assertEqual(result["detection"]["registryKeys"], [key])
        self.assertEqual([c["code"] for c in result["exitCodes"]], list(range(10)))

        # Each refusal names its check and the exit code the program would end with.
        cases = [
            ("model", 3, ["/connection", "network", "/address", "192.168.1.50", "/model", "ODAX-99"]),
            ("address", 3, ["/connection", "network", "/address", "192.168.1", "/model", model]),
            ("seal", 2, command),
        ]
        for check, exit_code, args in cases:
            with self.subTest(check=check):
                if check == "seal":
                    edit(kit / "install.dat", "CAPTION_8=", "Caption_8=")
                code, out, err = run_wine("deploy", "--json", where, *args)
                self.assertEqual(code, 1, out + err)
                failed = json.loads(out)["failed"]
                self.assertEqual((failed["check"], failed["exitCode"]), (check, exit_code), out)


class DeployedByBatchFile(harness.WineTestCase):
    """A model whose name cmd reads as its own, installed and removed by batch files holding
    the commands `deploy` printed, run by Wine's cmd as a deployment tool's script would."""
    MODEL = "R&D-80 50%"
    IP = "192.168.7.58"

    @classmethod
    def setUpClass(cls):
        for f in (TOOL, wizkit.EXE):
            if not f.is_file():
                raise unittest.SkipTest(f"{f} is not built")
        super().setUpClass()

    def make_kit(self):
        """The demo kit with its first model renamed, in install.dat and in the INF files
        (which write a % of their own text as %%), sealed by the tool."""
        kit = wizkit.make_kit("deploy-batch", seal=False)
        wizkit.edit_settings(kit / "install.dat",
                             lambda text: text.replace(wizkit.MODELS[0], self.MODEL))
        for inf in kit.glob("*/*.inf"):
            data = inf.read_bytes()
            encoding = "utf-16-le" if data[:2] == b"\xff\xfe" else "ascii"
            text = data[2:].decode(encoding) if encoding != "ascii" else data.decode(encoding)
            text = text.replace(f'"{wizkit.MODELS[0]}"', '"' + self.MODEL.replace("%", "%%") + '"')
            inf.write_bytes((b"\xff\xfe" if encoding != "ascii" else b"") + text.encode(encoding))
        sealed = harness.run_windows_program(wizkit.KIT_TOOL, ["seal", harness.to_windows_path(kit)])
        self.assertEqual(sealed.returncode, 0, sealed.stdout + sealed.stderr)
        harness.run_windows_program(wizkit.STAND_IN_RUNDLL32,
                                    ["printui.dll,PrintUIEntry", "/dd", "/m", self.MODEL],
                                    cwd=kit, env=wizkit.log_env(kit))
        (kit / "commands.log").unlink(missing_ok=True)
        return kit

    def run_batch(self, kit, name, line):
        """Runs `line` as a batch file in the kit folder under Wine's cmd, which waits for the
        windowed program there as Windows' cmd does and ends with its exit code; returns
        that code and the run's entries in the install log."""
        (kit / name).write_bytes(("@echo off\r\n" + line + "\r\n").encode("ascii"))
        size = wizkit.install_log_size()
        done = self.session.run("cmd", ["/c", name], cwd=kit, env=wizkit.log_env(kit))
        return done.returncode, wizkit.install_log_since(size)

    def test_the_printed_batch_commands_install_and_remove_the_printer(self):
        kit = self.make_kit()
        code, out, err = run_wine("deploy", "--json", harness.to_windows_path(kit), "/connection",
                                  "network", "/address", self.IP, "/model", self.MODEL)
        self.assertEqual(code, 0, out + err)
        deployment = json.loads(out)
        install = deployment["installCmd"]
        self.assertEqual(install, "ODAXPrintDrive.exe /quiet /connection network /address "
                                  f'{self.IP} /model "R&D-80 50%%"')
        self.assertEqual(deployment["detection"]["registryKeys"],
                         ["HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\"
                          + self.MODEL])

        code, log = self.run_batch(kit, "install.cmd", install)
        self.assertEqual(code, 0, log)
        self.assertIn(f" ==== Run ended: exit code 0: the printer \"{self.MODEL}\" is installed "
                      f"on {self.IP}\r\n", log)
        queue = next((p for p in self.driver.printers() if p["name"] == self.MODEL), None)
        self.assertIsNotNone(queue, self.driver.printers())
        self.assertEqual((queue["port"], queue["driver"]), (self.IP, self.MODEL))
        setup = [c for c in wizkit.commands(kit / "commands.log") if "/if " in c]
        self.assertEqual(len(setup), 1, setup)
        self.assertIn(f'/b "{self.MODEL}" ', setup[0])
        # The registry rule deploy printed finds the printer.
        found = self.session.run("reg", ["query", deployment["detection"]["registryKeys"][0]],
                                 timeout=60)
        self.assertEqual(found.returncode, 0, found.stdout + found.stderr)

        code, log = self.run_batch(kit, "uninstall.cmd", deployment["uninstallCmd"][0])
        self.assertEqual(code, 0, log)
        self.assertIn(f" ==== Run ended: exit code 0: the printer \"{self.MODEL}\" was removed",
                      log)
        self.assertNotIn(self.MODEL, [p["name"] for p in self.driver.printers()])


if __name__ == "__main__":
    unittest.main()
