"""The wizard's two languages under Wine: the language of the user's locale at start, the
switch by the language buttons, the window title with the version numbers, the About dialog."""
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness as h  # noqa: E402
import wizkit  # noqa: E402
from wizard_ui import Wizard, kit_settings, library_version  # noqa: E402

SETTINGS = kit_settings()
OEM = SETTINGS["OEM"]

# Control (or status bar panel) and the caption key it shows.
CAPTION_TABLE = [
    ("lblLanguage", 1), ("rbNet", 2), ("rbUsb", 3), ("rbRs232", 4), ("rbLPT", 5),
    ("lblNetIP", 6), ("lblUSBTitle", 7), ("gbUSBprompt", 8), ("lblUSBPrompt", 9),
    ("lblRs232", 10), ("lblLpt", 11), ("btnAbout", 12), ("btnPrevious", 13),
    ("btnNext", 14), ("btnStartInstall", 15), ("btnQuit", 16), ("btnFindUSB", 17),
    (("StatusBar1", 0), 8), (("StatusBar1", 1), 18), ("lblPrintModelSelect", 19),
    ("lblWelcome", 21), ("lblWeb", 22),
]


def caption(lang, n):
    return SETTINGS["CAPTION_" + lang].get(f"CAPTION_{n}", "")


def title(lang):
    return (f"{caption(lang, 20)} DLL Ver:{library_version()} "
            f"Tool Ver: {SETTINGS['CONFIG']['SOFTVER']}")


# A page's controls get their windows when the page is first shown: the captions of the pages
# after the welcome page are read once each connection's pages have been walked.
LATER_PAGES = {"rbNet", "rbUsb", "rbRs232", "rbLPT", "lblPrintModelSelect", "lblNetIP",
               "lblRs232", "lblLpt", "lblUSBTitle", "gbUSBprompt", "lblUSBPrompt", "btnFindUSB"}
LAST_PAGES = [("rbNet", "tbsNet"), ("rbRs232", "tbsRs232"), ("rbLPT", "tbsLpt"),
              ("rbUsb", "tbsUSB")]
# No search on entering the USB page while the pages are walked.
CONFIG = {"USBPortAutoInstall": "0"}


class Languages(unittest.TestCase):
    def shown_captions(self, w, walk=True):
        """Every caption of CAPTION_TABLE as the windows show it, after walking from the
        welcome page to each connection's last page and back; without `walk`, those of the
        welcome page only."""
        panels = w.d.status(w.control("StatusBar1"))
        shown = {target: panels[target[1]].strip()
                 for target, _ in CAPTION_TABLE if isinstance(target, tuple)}
        for connection, page in LAST_PAGES if walk else []:
            w.enter(connection, page)
            while w.shown_pages() != ["tbsWelcome"]:
                before = w.shown_pages()
                w.click("btnPrevious")
                w.d.wait_until(lambda: w.shown_pages() != before, what="the page before")
        for target, _ in CAPTION_TABLE:
            if not isinstance(target, tuple) and (walk or target not in LATER_PAGES):
                shown[target] = w.text(target)
        return shown

    def expected_captions(self, lang):
        return {target: caption(lang, n) for target, n in CAPTION_TABLE}

    def check_about(self, w, lang, shot):
        """Opens the About dialog (a new window per click), checks it and closes it with OK."""
        d = w.d
        w.click("btnAbout")
        about = d.find_window(pid=w.pid, name="frmAbout", timeout=20)
        ok = w.control("OKButton", about)
        d.wait_until(lambda: d.focused(ok), what="the focus on OK")
        suffix = lang  # the address and the company name follow the display language
        name = OEM["COMPANYNAME" + suffix]
        self.assertEqual(d.text(about), name)
        self.assertEqual(d.text(w.control("lblCompanyName", about)), name)
        # Hidden in English: it may have no window at all then.
        self.assertEqual(d.shown(about, "lblCompanyNameEN"), lang == "CN")
        if lang == "CN":
            self.assertEqual(d.text(w.control("lblCompanyNameEN", about)), OEM["COMPANYNAMEEN"])
        cap = lambda n: caption(lang, n)  # noqa: E731
        self.assertEqual(d.memo(w.control("Memo1", about)), [
            "", cap(61) + OEM["SERVERTEL"], "", cap(62) + OEM["QQ"], "", cap(63) + OEM["WEB"],
            "", cap(64) + OEM["ADDR" + suffix], "",
            cap(65) + OEM["TEL"] + "    " + cap(66) + OEM["FAX"]])
        self.assertEqual(d.text(ok), cap(16))
        self.assertEqual(d.text(w.control("lblWeb", about)), OEM["WEB"])
        for picture in ("imgLogo", "imgQR"):
            self.assertTrue(d.visible(w.control(picture, about)), picture)
        self.assertFalse(d.enabled(w.main), "the dialog is modal")
        centre = lambda r: ((r[0] + r[2]) / 2, (r[1] + r[3]) / 2)  # noqa: E731
        for got, want in zip(centre(d.rect(about)), centre(d.rect(w.main))):
            self.assertAlmostEqual(got, want, delta=2, msg="centred on the main window")
        w.shot(shot, about)
        self.assertEqual(w.unpainted(about), [])
        d.click(ok)
        self.assertTrue(d.wait_gone(about, timeout=20))
        d.wait_until(lambda: d.enabled(w.main), what="the main window usable again")

    def test_chinese_locale_then_english_and_about(self):
        kit = wizkit.make_kit("languages", config=CONFIG)
        with h.Session("languages") as s:
            w = Wizard(s, kit, "zh_CN.UTF-8")
            d = w.d
            self.assertTrue(d.checked(w.control("rbChinese")))
            self.assertFalse(d.checked(w.control("rbEnglish")))
            self.assertEqual(d.text(w.main), title("CN"))
            self.assertEqual(self.shown_captions(w), self.expected_captions("CN"))
            # The language buttons keep their own texts in both languages.
            self.assertEqual((w.text("rbChinese"), w.text("rbEnglish")), ("中文", "English"))
            self.assertTrue(d.visible(w.control("ImgCompanyLogo")))
            w.shot("welcome-cn")
            self.assertEqual(w.unpainted(), [])
            self.check_about(w, "CN", "about-cn")

            w.choose("rbEnglish")
            d.wait_until(lambda: d.text(w.main) == title("EN"), what="the English title")
            self.assertFalse(d.checked(w.control("rbChinese")))
            self.assertEqual(self.shown_captions(w), self.expected_captions("EN"))
            self.assertEqual((w.text("rbChinese"), w.text("rbEnglish")), ("中文", "English"))
            self.assertTrue(d.visible(w.control("ImgCompanyLogo")))
            w.shot("welcome-en")
            self.assertEqual(w.unpainted(), [])
            self.check_about(w, "EN", "about-en")

            # And back: the Chinese texts return, message boxes read the Chinese section.
            w.choose("rbChinese")
            d.wait_until(lambda: d.text(w.main) == title("CN"), what="the Chinese title")
            self.assertEqual(self.shown_captions(w), self.expected_captions("CN"))
            w.click("btnQuit")
            box = d.answer(h.IDNO, pid=w.pid)
            self.assertEqual((box["title"], box["text"]), (caption("CN", 8), caption("CN", 43)))

    def test_chinese_chosen_on_an_english_system(self):
        # Windows reads an ANSI settings file in the system's code page (1252 here): only the
        # UTF-16LE form, the demo kit's, shows the Chinese captions after the switch. English
        # reads the same from both.
        expected = self.expected_captions("CN")
        non_ascii = [t for t, text in expected.items() if not text.isascii()]
        self.assertTrue(non_ascii)
        for encoding in wizkit.FORMS:
            kit = wizkit.make_kit("languages-switch-" + encoding, config=CONFIG,
                                  encoding=encoding)
            with self.subTest(encoding=encoding), \
                    h.Session("languages-switch-" + encoding) as s:
                w = Wizard(s, kit, "en_US.UTF-8")
                d = w.d
                # The other pages get their windows after the switch, in Chinese at once.
                shown = self.shown_captions(w, walk=False)
                self.assertEqual(shown, {t: c for t, c in self.expected_captions("EN").items()
                                         if t in shown})
                w.choose("rbChinese")
                d.wait_until(lambda: d.text(w.main) != title("EN"), what="the title switched")
                shown = self.shown_captions(w)
                if encoding == wizkit.UTF16:
                    self.assertEqual(d.text(w.main), title("CN"))
                    self.assertEqual(shown, expected)
                    w.shot("welcome-cn-on-en")
                    self.assertEqual(w.unpainted(), [])
                else:
                    garbled = [t for t in non_ascii if shown[t] != expected[t]]
                    self.assertEqual(garbled, non_ascii)
                d.close(w.main)
                self.assertEqual(w.process.wait(timeout=30), 0)


if __name__ == "__main__":
    h.main()
