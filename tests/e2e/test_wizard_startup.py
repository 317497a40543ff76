"""Starting the wizard under Wine: the refusals, the welcome page, quitting."""
import subprocess
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness as h  # noqa: E402
import wizkit  # noqa: E402


class StartUp(unittest.TestCase):
    def refused(self, name, lang, drop, title, text, encoding=None):
        kit = wizkit.make_kit(name, drop=drop, encoding=encoding)
        with h.Session(f"startup-{name}") as s:
            d = s.driver()
            p = wizkit.start(s, kit, lang)
            box = d.message_box(timeout=60)
            s.screenshot("refusal")
            self.assertEqual(box["title"], title)
            self.assertEqual(box["text"], text)
            self.assertEqual([b["id"] for b in box["buttons"]], [h.IDOK])
            d.press(box["hwnd"], h.IDOK)
            self.assertEqual(p.wait(timeout=30), 0)

    def test_missing_settings_in_english(self):
        self.refused("no-settings-en", "en_US.UTF-8", ["install.dat"], "Warning", wizkit.MISSING_EN)

    def test_missing_settings_in_chinese(self):
        self.refused("no-settings-cn", "zh_CN.UTF-8", ["install.dat"], "警告", wizkit.MISSING_CN)

    def test_missing_library(self):
        # With the settings file in either form: the refusal comes before it is read.
        for encoding in wizkit.FORMS:
            with self.subTest(encoding=encoding):
                self.refused("no-library-" + encoding, "en_US.UTF-8", ["USBPrinterlibary.dll"],
                             "Warning", wizkit.MISSING_EN, encoding)

    def test_welcome_page_then_quit(self):
        kit = wizkit.make_kit("welcome")
        cap = wizkit.captions("EN")
        with h.Session("startup-welcome") as s:
            wizkit.set_spooler(s, running=False)  # so the window's set-up starts it
            d, p, main = self.welcome(s, kit)
            self.assertEqual(d.text(d.find(main, "lblWelcome")), cap["CAPTION_21"])
            self.assertTrue(d.text(main).startswith(cap["CAPTION_20"] + " DLL Ver:"))
            self.assertTrue(d.checked(d.find(main, "rbEnglish")))
            self.assertFalse(d.enabled(d.find(main, "btnPrevious")))
            self.assertFalse(d.enabled(d.find(main, "btnStartInstall")))
            self.assertEqual([t.strip() for t in d.status(d.find(main, "StatusBar1"))[:2]],
                             [cap["CAPTION_8"], cap["CAPTION_18"]])
            s.screenshot("welcome-en")
            self.assertIn("net start spooler", wizkit.commands(kit / "commands.log"))
            self.assertEqual(wizkit.spooler_state(s), "RUNNING")
            self.quit(d, p, main, "mouse")

    def test_a_running_spooler_is_left_alone(self):
        # The set-up only makes sure the spooler runs: a running one costs no command.
        kit = wizkit.make_kit("spooler-running")
        with h.Session("startup-spooler-running") as s:
            d = s.driver()
            wizkit.set_spooler(s, running=True)
            d, p, main = self.welcome(s, kit, d=d)
            self.assertTrue(d.enabled(d.find(main, "btnNext")))
            self.assertEqual(d.message_boxes(), [])
            self.assertEqual(wizkit.commands(kit / "commands.log"), [])
            self.assertEqual(wizkit.spooler_state(s), "RUNNING")
            d.close(main)
            self.assertEqual(p.wait(timeout=30), 0)

    def test_quit_invoked_through_automation(self):
        # A screen reader or automation tool clicks through UI Automation's Invoke: the click
        # arrives as a message sent from another process, and the quit question opens inside it.
        kit = wizkit.make_kit("invoke-quit")
        with h.Session("startup-invoke-quit") as s:
            d, p, main = self.welcome(s, kit)
            self.quit(d, p, main, "invoke")

    def welcome(self, s, kit, cwd=None, d=None):
        """Starts the wizard in English (from `cwd` by its full path, when given) and waits for
        its welcome page; returns the driver (`d` or a new one), the process and the main
        window."""
        d = d or s.driver()
        p = wizkit.start(s, kit, "en_US.UTF-8", cwd=cwd)
        main = d.find_window(name="frmMain", timeout=60)
        h.wait_until(lambda: d.visible(d.find(main, "tbsWelcome")), what="the welcome page")
        return d, p, main

    def quit(self, d, p, main, via):
        """Quit asks; No keeps the wizard running, Yes ends the process."""
        quit_button = d.find(main, "btnQuit")
        self.assertEqual(d.click(quit_button, via=via), via)
        box = d.answer(h.IDNO)
        self.assertEqual(box["text"], wizkit.cap(43))
        self.assertTrue(d.visible(main))
        self.assertIsNone(p.poll())
        self.assertEqual(d.click(quit_button, via=via), via)
        d.answer(h.IDYES)
        try:
            code = p.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.fail(f"the wizard still runs 30 s after Yes (Quit clicked via {via})")
        self.assertEqual(code, 0)

    def test_close_box_ends_without_asking(self):
        kit = wizkit.make_kit("closebox")
        with h.Session("startup-closebox") as s:
            d = s.driver()
            p = wizkit.start(s, kit)
            main = d.find_window(name="frmMain", timeout=60)
            d.close(main)
            self.assertEqual(p.wait(timeout=30), 0)
            self.assertEqual(d.message_boxes(), [])

    def test_changed_settings_are_refused_and_left_untouched(self):
        for encoding in wizkit.FORMS:
            for lang, title, text in (("en_US.UTF-8", "Warning", wizkit.INTEGRITY_EN),
                                      ("zh_CN.UTF-8", "警告", wizkit.INTEGRITY_CN)):
                with self.subTest(lang=lang, encoding=encoding):
                    name = f"tampered-{lang[:2]}-{encoding}"
                    kit = wizkit.make_kit(name, encoding=encoding)
                    text_before = wizkit.decode_settings((kit / "install.dat").read_bytes())
                    self.assertIn("Welcome to the ODAX", text_before)
                    wizkit.edit_settings(
                        kit / "install.dat",
                        lambda t: t.replace("Welcome to the ODAX", "Welcome to the XDAO"))
                    tampered = (kit / "install.dat").read_bytes()
                    self.assertEqual(wizkit.settings_encoding(tampered), encoding)
                    stamp = (kit / "install.dat").stat().st_mtime_ns
                    with h.Session("startup-" + name) as s:
                        d = s.driver()
                        p = wizkit.start(s, kit, lang)
                        box = d.message_box(timeout=60)
                        self.assertEqual((box["title"], box["text"]), (title, text))
                        d.press(box["hwnd"], h.IDOK)
                        self.assertEqual(p.wait(timeout=30), 0)
                    self.assertEqual((kit / "install.dat").read_bytes(), tampered)
                    self.assertEqual((kit / "install.dat").stat().st_mtime_ns, stamp)

    def test_started_from_another_folder_reads_its_own(self):
        # A shortcut or "Run as administrator" can start it in any working folder; the
        # settings and the USB library are still the ones beside it.
        kit = wizkit.make_kit("elsewhere")
        other = h.scratch_dir("elsewhere-cwd")
        with h.Session("startup-elsewhere") as s:
            d, p, main = self.welcome(s, kit, cwd=other)
            self.assertEqual(d.message_boxes(), [])
            d.close(main)
            self.assertEqual(p.wait(timeout=30), 0)

if __name__ == "__main__":
    h.main()
