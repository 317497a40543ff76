"""The vendor's zip as an end user gets it: unpacked and started from its folder, the wizard
reaches the welcome page with the sealed kit, without a refusal.

The zip holds the 32-bit program and library, and this machine's Wine runs only 64-bit
programs: the test puts the 64-bit build of the same sources in their place. Everything else
(the sealed install.dat, pictures, driver folders) is the zip's, unchanged.
"""
import os
import shutil
import subprocess
import sys
import unittest
import zipfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness as h  # noqa: E402
import wizkit  # noqa: E402
from wizard_ui import MODELS, Wizard, library_version  # noqa: E402


class Release(unittest.TestCase):
    def test_the_unpacked_zip_reaches_the_welcome_page(self):
        if not os.environ.get("WIZ_RELEASE_MADE"):  # ctest's release_package made it
            made = subprocess.run(["bash", str(h.ROOT / "scripts" / "release.sh")],
                                  capture_output=True, text=True, timeout=1800)
            self.assertEqual(made.returncode, 0, made.stdout[-2000:] + made.stderr[-2000:])
        version = (h.ROOT / "VERSION").read_text().split()[0]
        name = f"ODAXPrintDrive-{version}-kit"
        where = h.scratch_dir("release")
        with zipfile.ZipFile(h.ROOT / "build" / "release" / f"{name}.zip") as z:
            z.extractall(where)
        kit = where / name
        sealed = (kit / "install.dat").read_bytes()
        for f in ("ODAXPrintDrive.exe", "USBPrinterlibary.dll"):
            shutil.copy(h.WIN64_BIN / f, kit / f)

        settings = wizkit.read_profile(sealed)
        cap = settings["CAPTION_EN"]
        with h.Session("release") as s:
            w = Wizard(s, kit)
            d = w.d
            self.assertEqual(w.shown_pages(), ["tbsWelcome"])
            self.assertEqual(d.message_boxes(w.pid), [])
            self.assertEqual(d.text(w.main), f"{cap['CAPTION_20']} DLL Ver:{library_version()} "
                                             f"Tool Ver: {settings['CONFIG']['SOFTVER']}")
            w.click("btnNext")
            w.wait_page("tbsPort")
            w.click("btnNext")
            w.wait_page("tbsDriveNameSelect")
            self.assertEqual(d.items(w.control("chkPrintSelect"))["items"], MODELS)
            w.shot("release-models")
        self.assertEqual((kit / "install.dat").read_bytes(), sealed)


if __name__ == "__main__":
    h.main()
