"""The wizard's pages under Wine: every connection type walked forward to its last page and
back, with the page shown, the three buttons and the progress bar checked at every step; the
port lists against the system's ports; the address field."""
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness as h  # noqa: E402
import wizkit  # noqa: E402
from wizard_ui import MODELS, Wizard  # noqa: E402

# Connection button: the pages from the welcome page to the last one, with pbSchedule's
# position on each.
WALKS = {
    "rbNet": [("tbsWelcome", 0), ("tbsPort", 1), ("tbsDriveNameSelect", 2), ("tbsNet", 3)],
    "rbUsb": [("tbsWelcome", 0), ("tbsPort", 1), ("tbsUSB", 3)],
    "rbRs232": [("tbsWelcome", 0), ("tbsPort", 1), ("tbsDriveNameSelect", 2), ("tbsRs232", 3)],
    "rbLPT": [("tbsWelcome", 0), ("tbsPort", 1), ("tbsDriveNameSelect", 2), ("tbsLpt", 3)],
}
# Previous, Next, Install enabled, by progress position.
BUTTONS = {0: (False, True, False), 1: (True, True, False), 2: (True, True, False),
           3: (True, False, True)}
# Without the search on entering the USB page, its buttons are those of the page flow alone.
CONFIG = {"USBPortAutoInstall": "0"}


class Pages(unittest.TestCase):
    def at(self, w, page, position):
        w.wait_page(page)
        w.d.wait_until(lambda: w.schedule() == position, what=f"progress {position}")
        self.assertEqual(w.buttons(), BUTTONS[position], page)

    def test_each_connection_forward_and_back(self):
        kit = wizkit.make_kit("pages", config=CONFIG)
        with h.Session("pages") as s:
            w = Wizard(s, kit)
            d = w.d
            system_ports = d.ports()
            self.at(w, "tbsWelcome", 0)
            for radio, walk in WALKS.items():
                with self.subTest(radio):
                    for page, position in walk[1:]:
                        w.click("btnNext")
                        self.at(w, page, position)
                        if page == "tbsPort":
                            w.choose(radio)
                        elif page == "tbsDriveNameSelect":
                            models = d.items(w.control("chkPrintSelect"))
                            self.assertEqual(models["items"], MODELS)
                            # The kit's PrintName is marked each time the page is shown.
                            self.assertEqual(models["marks"], [True, False, False])
                    self.check_last_page(w, radio, system_ports)
                    for page, position in reversed(walk[:-1]):
                        w.click("btnPrevious")
                        self.at(w, page, position)

    def check_last_page(self, w, radio, system_ports):
        d = w.d
        if radio == "rbNet":
            me = w.control("meText")
            d.wait_until(lambda: d.focused(me), what="the cursor in the address")
            d.type("192.168.1")  # into the focused control: the cursor must be there
            d.type(".100")
            d.wait_until(lambda: d.text(me) == "192.168.1  .100", what="the typed address")
            w.shot("network")
        elif radio == "rbUsb":
            # The search does not run by itself with USBPortAutoInstall 0.
            self.assertEqual(d.message_boxes(w.pid), [])
            w.shot("usb")
        else:
            name, prefix, shot = (("cbRs232", "COM", "serial") if radio == "rbRs232"
                                  else ("cbLpt", "LPT", "parallel"))
            listed = d.items(w.control(name))
            wanted = [p for p in system_ports if p.upper().startswith(prefix)]
            self.assertTrue(wanted, f"Wine lists no {prefix} port")
            self.assertEqual(listed["items"], wanted)
            self.assertEqual(listed["selected"], 0)
            w.shot(shot)

    def test_model_page_marks_and_refusal(self):
        """The model page in English and Chinese; Next without a model refuses to move."""
        for lang, code in (("en_US.UTF-8", "EN"), ("zh_CN.UTF-8", "CN")):
            with self.subTest(lang):
                kit = wizkit.make_kit("pages-models-" + code, config=CONFIG)
                with h.Session("pages-" + code.lower()) as s:
                    w = Wizard(s, kit, lang)
                    d = w.d
                    w.shot("welcome-" + code.lower())
                    self.assertEqual(w.unpainted(), [])
                    w.click("btnNext")
                    self.at(w, "tbsPort", 1)
                    w.choose("rbRs232")
                    w.click("btnNext")
                    self.at(w, "tbsDriveNameSelect", 2)
                    models = w.control("chkPrintSelect")
                    self.assertEqual(d.items(models)["marks"], [True, False, False])
                    w.shot("models-" + code.lower())
                    if code == "CN":
                        continue
                    # Clearing the mark leaves no model: Next says so and stays.
                    d.click_item(models, 0)
                    d.wait_until(lambda: not any(d.items(models)["marks"]), what="no mark")
                    w.click("btnNext")
                    cap = wizkit.captions("EN")
                    box = d.answer(h.IDOK, pid=w.pid)
                    self.assertEqual((box["title"], box["text"]),
                                     (cap["CAPTION_8"], cap["CAPTION_26"]))
                    self.at(w, "tbsDriveNameSelect", 2)
                    # Another model marked goes on to the serial port page.
                    d.click_item(models, 2)
                    d.wait_until(lambda: d.items(models)["marks"] == [False, False, True],
                                 what="the third model's mark")
                    w.click("btnNext")
                    self.at(w, "tbsRs232", 3)


if __name__ == "__main__":
    h.main()
