"""The wizard with the keyboard only and with an assistive technology client, under Wine.

Keys are real key presses on the test's X display (xdotool, through the X server's input path
into Wine as a user's keys come); the test driver only reads: windows, message boxes, and what
an accessibility client learns through AccessibleObjectFromWindow and IAccessible across
processes (Wine 8 carries that; its UI Automation answers UiaNodeFromHandle with E_NOTIMPL,
checked below, so the same objects are read through MSAA only).

Wine 8 always reports high contrast as off (SPI_GETHIGHCONTRAST), whatever colours the
prefix has: the high-contrast road sets a dark theme's colours in the registry and tells the
wizard with WIZ_HIGH_CONTRAST=1 that the theme is on.
"""
import contextlib
import shutil
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness as h  # noqa: E402
import wizkit  # noqa: E402
import wizard_ui  # noqa: E402

cap = wizkit.cap
MODELS = wizkit.MODELS
RUN_TIMEOUT = 120
LANGS = {"EN": "en_US.UTF-8", "CN": "zh_CN.UTF-8"}
COLORS = r"HKCU\Control Panel\Colors"
# A dark high-contrast theme: white text on black, yellow links.
DARK_THEME = {"Window": "0 0 0", "WindowText": "255 255 255", "ButtonFace": "0 0 0",
              "ButtonText": "255 255 255", "HotTrackingColor": "255 255 0",
              "Highlight": "26 235 255", "HighlightText": "0 0 0", "GrayText": "63 242 63"}


def label_name(text):
    """A field's accessible name: its label without the closing colon."""
    return text.rstrip(" :\uff1a")


class KeyboardRoads(h.WineTestCase):
    @classmethod
    def setUpClass(cls):
        if not shutil.which("xdotool"):
            raise FileNotFoundError("xdotool is missing: run scripts/setup.sh")
        super().setUpClass()

    def keys(self, *keys):
        """Presses keys on the display, as a user at the keyboard does."""
        subprocess.run(["xdotool", "key", "--delay", "120", *keys], check=True, timeout=60,
                       env={"DISPLAY": self.session.display})

    def type_text(self, text):
        subprocess.run(["xdotool", "type", "--delay", "80", text], check=True, timeout=60,
                       env={"DISPLAY": self.session.display})

    def start(self, kit, lang, env=None):
        # One wizard at a time: the keys go to the one in front, and a road that failed may
        # have left its wizard open.
        for earlier in getattr(self, "started", []):
            self.end(earlier)
        w = wizard_ui.Wizard(self.session, kit, lang=LANGS[lang], env=env)
        self.started = [w]
        self.addCleanup(self.end, w)
        # X sends keys to the focused window: the wizard's, as after a click on its title.
        self.assertTrue(w.d.foreground(w.main))
        return w

    def end(self, w):
        """Closes the wizard by its close box, which asks nothing."""
        with contextlib.suppress(h.DriverError):
            if w.d.visible(w.main):
                w.d.close(w.main)
                w.d.wait_gone(w.main, timeout=20)

    def accessible(self, w, name, parent=None):
        return w.d.call("accessible", hwnd=w.control(name, parent))

    def focused_name(self, w):
        names = [c["name"] for c in w.d.controls(w.main) if c["visible"] and c["name"]]
        return next((n for n in names if w.d.focused(w.control(n))), None)

    def wait_focus(self, w, name):
        w.d.wait_until(lambda: self.focused_name(w) == name, what=f"the focus on {name}")

    def box(self, w, lang, text_start):
        box = w.d.message_box(pid=w.pid, timeout=RUN_TIMEOUT)
        self.assertTrue(box["text"].startswith(text_start), box["text"])
        return box

    def answer(self, w, box, *keys):
        self.keys(*keys)
        self.assertTrue(w.d.wait_gone(box["hwnd"], timeout=RUN_TIMEOUT), box["text"])

    def expect_names(self, w, lang, expected):
        """What an accessibility client reads of the controls a keyboard reaches now."""
        for name, want in expected.items():
            got = self.accessible(w, name)
            self.assertEqual(got["name"], want, name)
            self.assertIn("focusable", got["state"], name)

    def finish(self, w, lang):
        """The default-printer question (No), the end message (Enter), quitting (No)."""
        self.answer(w, self.box(w, lang, cap(55, lang)), "n")
        self.answer(w, self.box(w, lang, cap(44, lang)), "Return")
        self.answer(w, self.box(w, lang, cap(43, lang)), "n")
        w.d.wait_until(lambda: w.d.enabled(w.control("btnStartInstall")), timeout=RUN_TIMEOUT,
                       what="the end of the run")

    def model_page(self, w, lang, choose):
        """On the model page: the list's items as a screen reader hears them, and Space moving
        the mark to the model `choose` (an index) with the keys Home and Down."""
        self.wait_focus(w, "chkPrintSelect")
        lst = self.accessible(w, "chkPrintSelect")
        self.assertEqual((lst["role"], lst["name"]), ("list", label_name(cap(19, lang))))
        self.assertEqual([i["name"] for i in lst["items"]], MODELS)
        self.assertEqual([i["role"] for i in lst["items"]], ["check button"] * 3)
        self.assertEqual(["checked" in i["state"] for i in lst["items"]], [True, False, False])
        self.keys("Home", *["Down"] * choose)
        w.d.wait_until(lambda: "focused" in self.accessible(w, "chkPrintSelect")["items"][choose]
                       ["state"], what="the chosen model focused")
        self.keys("space")
        marks = [False] * 3
        marks[choose] = True
        w.d.wait_until(lambda: ["checked" in i["state"] for i in
                                self.accessible(w, "chkPrintSelect")["items"]] == marks,
                       what="the mark on the chosen model")
        self.assertEqual(w.d.items(w.control("chkPrintSelect"))["marks"], marks)

    def road(self, lang, connection, env=None):
        """Start to an installed printer with keys only: Alt+access keys between the pages, a
        connection by its access key, a model by arrows and Space, Alt+I to install, message
        boxes by their keys."""
        kit = wizkit.make_kit(f"keys-{connection}-{lang}")
        wizkit.remove_queues(kit)
        w = self.start(kit, lang, env)
        d = w.d
        buttons = {"btnAbout": 12, "btnPrevious": 13, "btnNext": 14, "btnStartInstall": 15,
                   "btnQuit": 16}
        for name, key in buttons.items():
            got = self.accessible(w, name)
            self.assertEqual((got["name"], got["role"]), (cap(key, lang).replace("&", ""),
                                                          "push button"), name)
        self.assertEqual(self.accessible(w, "btnNext")["shortcut"], "Alt+N")
        self.assertEqual(self.accessible(w, "ImgCompanyLogo")["name"], cap(89, lang))
        auto = d.call("accessible", hwnd=w.control("btnNext"), automation=True)["automation"]
        self.assertEqual(auto.get("error"), "UiaNodeFromHandle: 0x80004001")  # Wine 8

        self.keys("alt+n")
        w.wait_page("tbsPort")
        self.wait_focus(w, "rbNet")  # the kit's default connection
        radio = {"network": ("rbNet", "alt+w"), "serial": ("rbRs232", "alt+s")}[connection]
        self.keys(radio[1])
        d.wait_until(lambda: d.checked(w.control(radio[0])), what=radio[0])
        got = self.accessible(w, radio[0])
        self.assertEqual((got["role"], "checked" in got["state"]), ("radio button", True))
        self.keys("alt+n")
        w.wait_page("tbsDriveNameSelect")
        model = 2 if connection == "network" else 1  # not the kit's default
        self.model_page(w, lang, model)
        if lang == "EN":
            w.shot(f"model-page-{connection}-{lang.lower()}")
        self.keys("alt+n")
        return w, kit, model

    def test_network_and_serial_roads_in_both_languages(self):
        for lang in ("EN", "CN"):
            with self.subTest(f"network {lang}"):
                self.network_road(lang)
            with self.subTest(f"serial {lang}"):
                w, kit, model = self.road(lang, "serial")
                w.wait_page("tbsRs232")
                self.wait_focus(w, "cbRs232")
                self.expect_names(w, lang, {"cbRs232": label_name(cap(10, lang))})
                port = w.d.items(w.control("cbRs232"))
                self.keys("alt+i")
                self.finish(w, lang)
                self.assertEqual(wizkit.commands(kit / "commands.log")[-1].split('/r "')[1],
                                 port["items"][port["selected"]] + f'" /m "{MODELS[model]}"')
                self.end(w)

    def network_road(self, lang):
        ip = "192.168.50." + ("7" if lang == "EN" else "8")
        # English under a high-contrast theme, Chinese with the usual colours.
        theme = contextlib.nullcontext() if lang == "CN" else self.dark_theme()
        with theme:
            env = {"WIZ_HIGH_CONTRAST": "1"} if lang == "EN" else None
            w, kit, model = self.road(lang, "network", env)
            w.wait_page("tbsNet")
            self.wait_focus(w, "meText")
            self.expect_names(w, lang, {"meText": label_name(cap(6, lang))})
            self.type_text(ip)
            w.d.wait_until(lambda: w.d.text(w.control("meText")).replace(" ", "") == ip,
                           what="the typed address")
            self.keys("alt+i")
            box = self.box(w, lang, cap(59, lang) + ip)
            wait = w.d.find_window(pid=w.pid, name="frmWait", visible=False, timeout=20)
            heading = w.d.rect(w.control("Label1", wait))
            red = self.red_pixels(heading)
            if lang == "EN":
                self.assertEqual(red, 0, "the heading follows the theme")
                self.assertGreater(self.colour_pixels(heading, (255, 255, 255)), 50)
                shot = w.shot(f"wait-dialog-high-contrast-{lang.lower()}", hwnd=wait)
                self.assertTrue(shot.exists())
            else:
                self.assertGreater(red, 50, "the heading keeps its red without the theme")
            self.answer(w, box, "Return")
            self.finish(w, lang)
            self.assertEqual([p["port"] for p in w.d.printers() if p["name"] == MODELS[model]],
                             [ip])
            self.end(w)

    def test_after_a_usb_search_that_found_the_printer_enter_installs(self):
        kit = wizkit.make_kit("keys-usb", config={"USBPortAutoInstall": "1"})
        wizkit.remove_queues(kit)
        with wizkit.local_port(self.session, "USB001"):
            w = self.start(kit, "EN")
            self.keys("alt+n")
            w.wait_page("tbsPort")
            self.keys("alt+u")
            w.d.wait_until(lambda: w.d.checked(w.control("rbUsb")), what="rbUsb")
            self.keys("alt+n")  # the page's search runs at once
            box = self.box(w, "EN", cap(27) + "ODAX-80 Receipt")
            self.answer(w, box, "Return")
            w.search_over()
            self.wait_focus(w, "btnStartInstall")
            self.keys("Return")
            self.finish(w, "EN")
            self.assertIn('/r "USB001" /m "ODAX-80 Receipt"',
                          wizkit.commands(kit / "commands.log")[-1])
            self.end(w)

    # ---- pixels and themes ------------------------------------------------------------

    def pixels(self, rect):
        left, top, right, bottom = rect
        data = subprocess.run(
            ["import", "-display", self.session.display, "-window", "root", "-crop",
             f"{right - left}x{bottom - top}+{left}+{top}", "+repage", "-depth", "8", "rgb:-"],
            check=True, capture_output=True, timeout=60).stdout
        return [tuple(data[i:i + 3]) for i in range(0, len(data) - 2, 3)]

    def red_pixels(self, rect):
        return sum(1 for r, g, b in self.pixels(rect) if r > 180 and g < 80 and b < 80)

    def colour_pixels(self, rect, colour):
        return sum(1 for p in self.pixels(rect) if p == colour)

    @contextlib.contextmanager
    def dark_theme(self):
        """The theme's colours in the prefix until the block ends; the earlier ones after."""
        before = wizkit.reg_values(self.session, COLORS) or {}
        for name, value in DARK_THEME.items():
            self.session.run("reg", ["add", COLORS, "/v", name, "/t", "REG_SZ", "/d", value,
                                     "/f"], timeout=60)
        try:
            yield
        finally:
            for name in DARK_THEME:
                if name in before:
                    self.session.run("reg", ["add", COLORS, "/v", name, "/t", "REG_SZ", "/d",
                                             before[name][1], "/f"], timeout=60)
                else:
                    self.session.run("reg", ["delete", COLORS, "/v", name, "/f"], timeout=60)


if __name__ == "__main__":
    h.main()
