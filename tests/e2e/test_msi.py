"""`odax-kit msi` end to end: the host build's tool makes a Windows Installer package of the
64-bit kit with wixl, msitools reads its tables back, and Wine's msiexec installs, upgrades and
removes it as a deployment tool would (`/qn`, properties on the command line). msiexec is
started through the driver, so its exit code is the whole 32-bit one (1603, not 1603 & 255).
"""
import re
import shutil
import subprocess
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness as h  # noqa: E402
import wizkit  # noqa: E402
from test_kit_tool import host_tool  # noqa: E402

MODEL = wizkit.MODELS[0]
BUILT_IN = "192.168.1.50"
SITE = "192.168.1.90"
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
FOLDER = h.PREFIX / "drive_c" / "Program Files" / "ODAX Demo Technology Co. Ltd" / MODEL
MSIEXEC_TIMEOUT = 240


class MsiPackage(h.WineTestCase):
    runs = 0

    @classmethod
    def setUpClass(cls):
        for f in (wizkit.EXE,):
            if not f.is_file():
                raise FileNotFoundError(f"{f} is missing: build the win64 preset first")
        if host_tool() is None:
            raise FileNotFoundError("the host build's odax-kit was not found (set WIZ_HOST_BIN)")
        for tool in ("wixl", "msiinfo"):
            if shutil.which(tool) is None:
                raise FileNotFoundError(f"{tool} is missing: scripts/setup.sh installs it")
        super().setUpClass()

    def package(self, name, softver, *args):
        """A kit of that version and the package `odax-kit msi` makes of it; (path, output)."""
        kit = wizkit.make_kit("msi-" + name, config={"SoftVer": softver})
        out = h.scratch_dir("msi-out-" + name) / f"{name}.msi"
        done = subprocess.run([str(host_tool()), "msi", str(kit), "--out", str(out), *args],
                              capture_output=True, timeout=120)
        text = done.stdout.decode("utf-8", "replace") + done.stderr.decode("utf-8", "replace")
        self.assertEqual(done.returncode, 0, text)
        self.assertTrue(out.is_file(), text)
        return out, text

    def product_code(self, output):
        return re.search(r"product code: (\{[0-9A-F-]{36}\})", output).group(1)

    def msiexec(self, *args):
        """msiexec with its arguments, waited for; (exit code, its verbose log, the install
        log's lines written meanwhile)."""
        MsiPackage.runs += 1
        log = h.WORK / "scratch" / f"msiexec-{MsiPackage.runs}.log"
        size = wizkit.install_log_size()
        line = " ".join(args) + f' /l*v "{h.to_windows_path(log)}"'
        # Its output (and the program's, which it passes on) to a file: never the driver's pipe.
        pid = self.driver.start("C:\\windows\\system32\\msiexec.exe", args=line,
                                stdout=log.with_suffix(".out"))
        code = self.driver.wait_exit(pid, timeout=MSIEXEC_TIMEOUT)
        self.assertIsNotNone(code, f"msiexec {line} did not end in {MSIEXEC_TIMEOUT} s")
        text = log.read_bytes().decode("utf-8", "replace") if log.exists() else ""
        return code, text, wizkit.install_log_since(size)

    def queue(self):
        return next((p for p in self.driver.printers() if p["name"] == MODEL), None)

    def files(self):
        return sorted(str(p.relative_to(FOLDER)) for p in FOLDER.rglob("*") if p.is_file()) \
            if FOLDER.exists() else []

    def uninstall_entries(self):
        done = self.session.run("reg", ["query", UNINSTALL], timeout=60)
        return set(re.findall(r"\{[0-9A-F-]{36}\}", done.stdout.decode("utf-8", "replace")))

    def clean(self):
        wizkit.remove_queues(wizkit.make_kit("msi-clean"))
        for key in wizkit.port_keys(SITE) + wizkit.port_keys(BUILT_IN):
            self.session.run("reg", ["delete", key, "/f"], timeout=60)

    def test_install_upgrade_and_removal_through_msiexec(self):
        self.clean()
        v1, out1 = self.package("v1", "1.0.0", "/connection", "network", "/address", BUILT_IN,
                                "/model", MODEL)
        code1 = self.product_code(out1)
        # The custom actions that run the program: deferred (0x400) and not impersonating
        # (0x800), an installed program's file with its command line (type 18).
        actions = subprocess.run(["msiinfo", "export", str(v1), "CustomAction"],
                                 capture_output=True, text=True, check=True).stdout
        types = dict(re.findall(r"^(Odax\w+)\t(\d+)\t", actions, re.M))
        self.assertEqual(set(types), {"OdaxInstall", "OdaxReinstall", "OdaxRemove"}, actions)
        for name, kind in types.items():
            self.assertEqual(int(kind), 3090, name)
        self.assertIn("ProgramFile\t/quiet /connection network /address 192.168.1.50 /model "
                      f'"{MODEL}" /set "address=[ADDRESS]"', actions)
        sequence = subprocess.run(["msiinfo", "export", str(v1), "InstallExecuteSequence"],
                                  capture_output=True, text=True, check=True).stdout
        placed = {a: int(n) for a, n in re.findall(r"^(\w+)\t[^\t\n]*\t(\d+)", sequence, re.M)}
        self.assertLess(placed["InstallInitialize"], placed["OdaxRemove"])
        self.assertLess(placed["OdaxRemove"], placed["RemoveFiles"])
        self.assertLess(placed["InstallFiles"], placed["OdaxInstall"])
        self.assertLess(placed["OdaxInstall"], placed["InstallFinalize"])

        # The site's address as a property replaces the built-in one.
        code, msilog, log = self.msiexec(f'/i "{h.to_windows_path(v1)}"', "/qn", f"ADDRESS={SITE}")
        self.assertEqual(code, 0, log + msilog[-3000:])
        self.assertIn(f"quiet: /quiet /connection network /address {SITE} /model \"{MODEL}\"", log)
        queue = self.queue()
        self.assertIsNotNone(queue, self.driver.printers())
        self.assertEqual((queue["port"], queue["driver"]), (SITE, MODEL))
        self.assertEqual(self.files(), ["CN/ODAX.GPD", "CN/ODAXLabel.inf", "CN/ODAXPOS.inf",
                                        "EN/ODAX.GPD", "EN/ODAXLabel.inf", "EN/ODAXPOS.inf",
                                        "ODAXPrintDrive.exe", "USBPrinterlibary.dll",
                                        "install.dat"])
        self.assertIn(code1, self.uninstall_entries())
        entry = wizkit.reg_values(self.session, UNINSTALL + "\\" + code1)
        self.assertEqual(entry["DisplayVersion"][1], "1.0.0", entry)
        self.assertEqual(entry["URLInfoAbout"][1], "https://www.example.com/odax", entry)

        # A repair installs again with /replace, the site's address kept. (Wine's msiexec has
        # no /fa; REINSTALL=ALL is the same request.)
        code, msilog, log = self.msiexec(f'/i "{h.to_windows_path(v1)}"', "REINSTALL=ALL",
                                         "REINSTALLMODE=vomus", "/qn")
        self.assertEqual(code, 0, log + msilog[-3000:])
        self.assertIn(f"quiet: /quiet /connection network /address {SITE} /model \"{MODEL}\" "
                      "/replace", log)
        self.assertEqual(self.queue()["port"], SITE)

        # A newer kit upgrades in place: one entry, the printer on the address the first
        # install was given (the package keeps its properties), installed again with /replace.
        # Wine's RemoveExistingProducts does not tell the old package that it is upgraded
        # (UPGRADINGPRODUCTCODE), so here its removal runs first; Windows skips it.
        v2, out2 = self.package("v2", "1.0.1", "/connection", "network", "/address", BUILT_IN,
                                "/model", MODEL)
        code2 = self.product_code(out2)
        self.assertNotEqual(code2, code1)
        code, msilog, log = self.msiexec(f'/i "{h.to_windows_path(v2)}"', "/qn")
        self.assertEqual(code, 0, log + msilog[-3000:])
        self.assertIn(f"quiet: /quiet /connection network /address {SITE} /model \"{MODEL}\" "
                      "/replace", log)
        entries = self.uninstall_entries()
        self.assertIn(code2, entries)
        self.assertNotIn(code1, entries)
        queue = self.queue()
        self.assertIsNotNone(queue, self.driver.printers())
        self.assertEqual(queue["port"], SITE)
        self.assertEqual(len(self.files()), 9)

        # Removal takes the printer and the files away.
        code, msilog, log = self.msiexec("/x", code2, "/qn")
        self.assertEqual(code, 0, log + msilog[-3000:])
        self.assertIn(f"quiet: /quiet /remove /name \"{MODEL}\"", log)
        self.assertIsNone(self.queue())
        self.assertEqual(self.files(), [])
        self.assertFalse(FOLDER.parent.exists(), "the vendor's folder is left")
        self.assertNotIn(code2, self.uninstall_entries())
        upgrade = re.search(r"upgrade code: (\{[0-9A-F-]{36}\})", out2).group(1)
        self.assertIsNone(wizkit.reg_values(
            self.session, r"HKLM\Software\ODAXPrintDrive\Packages" + "\\" + upgrade))

    def test_an_address_the_program_refuses_fails_the_package_and_leaves_nothing(self):
        self.clean()
        pkg, out = self.package("bad", "1.0.0", "/connection", "network", "/address", BUILT_IN,
                                "/model", MODEL)
        code, msilog, log = self.msiexec(f'/i "{h.to_windows_path(pkg)}"', "/qn",
                                         "ADDRESS=999.1.1.1")
        # Windows ends an install whose custom action failed with 1603; Wine's msiexec with
        # 1627 (function failed). Either is a failure a deployment tool reports.
        self.assertIn(code, (1603, 1627), log + msilog[-3000:])
        self.assertIn("==== Run ended: error, exit code 3: /address \"999.1.1.1\" is no IPv4 "
                      "address", log)
        self.assertIsNone(self.queue())
        self.assertEqual(self.files(), [])
        self.assertNotIn(self.product_code(out), self.uninstall_entries())


if __name__ == "__main__":
    h.main()
