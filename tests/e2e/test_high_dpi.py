"""The wizard on a 150 % display (144 DPI): its main window, the controls on it and their fonts
come out half as large again as at 96 DPI, and a picture of it is kept beside the 100 % ones.

The display's DPI is the prefix's `LogPixels` (HKCU\\Control Panel\\Desktop), which Wine reads
when a program starts; the test gives the value back to the prefix when it ends."""
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness as h  # noqa: E402
import wizkit  # noqa: E402
from wizard_ui import Wizard  # noqa: E402

DESKTOP = r"HKCU\Control Panel\Desktop"
# The main window's client area at 96 DPI.
CLIENT_96 = (690, 438)
# Controls at fixed places: their sizes scale exactly (up to a pixel of rounding per edge).
PLACED = ("pcPage", "btnNext", "btnQuit", "pbSchedule", "rbEnglish", "StatusBar1")
# An auto-sized label: its size is its text's, so it grows only with its font.
TEXT_SIZED = "lblLanguage"


def size(rect):
    left, top, right, bottom = rect
    return right - left, bottom - top


class HighDpi(unittest.TestCase):
    def set_log_pixels(self, session, dpi):
        args = (["add", DESKTOP, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"]
                if dpi else ["delete", DESKTOP, "/v", "LogPixels", "/f"])
        done = session.run("reg", args, timeout=120)
        if dpi and done.returncode != 0:
            raise AssertionError(f"reg {args}: {done.stderr!r}")

    def measure(self, w):
        """Sizes of the client area and of the controls, by name."""
        sizes = {"client": size(w.d.client_rect(w.main))}
        for name in PLACED + (TEXT_SIZED,):
            sizes[name] = size(w.d.rect(w.control(name)))
        return sizes

    def quit(self, w):
        w.d.close(w.main)
        self.assertEqual(w.process.wait(timeout=30), 0)

    def test_main_window_at_150_percent(self):
        kit = wizkit.make_kit("high-dpi")
        # Wide enough for the window at 150 % (1035 client pixels).
        with h.Session("high-dpi", screen="1600x1200x24") as s:
            w = Wizard(s, kit)
            normal = self.measure(w)
            self.quit(w)
            self.assertEqual(normal["client"], CLIENT_96)

            self.set_log_pixels(s, 144)
            try:
                w = Wizard(s, kit)
                scaled = self.measure(w)
                w.shot("welcome-en-150")
                self.assertEqual(w.unpainted(), [])
                self.quit(w)
            finally:
                # Back to the prefix's own DPI before the session saves its registry.
                self.set_log_pixels(s, None)

        for name in ("client",) + PLACED:
            with self.subTest(control=name):
                for at_96, at_144 in zip(normal[name], scaled[name]):
                    self.assertAlmostEqual(at_144, at_96 * 1.5, delta=1)
        # The font is scaled with everything else: the label's text is half as large again
        # (give or take the font's hinting at its new size).
        for at_96, at_144 in zip(normal[TEXT_SIZED], scaled[TEXT_SIZED]):
            with self.subTest(control=TEXT_SIZED, at_96=at_96, at_144=at_144):
                self.assertGreater(at_144, at_96 * 1.35)
                self.assertLess(at_144, at_96 * 1.65)


if __name__ == "__main__":
    h.main()
