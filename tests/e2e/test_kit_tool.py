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
        self.assertEqual([c["code"] for c in result["exitCodes"]], list(range(8)))

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


if __name__ == "__main__":
    unittest.main()
