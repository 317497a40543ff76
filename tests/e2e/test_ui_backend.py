"""The Windows window backend under Wine: the control gallery (tools/ui-gallery) driven from
outside as a user would, checking that input reaches the control model and that the model's
state reaches the windows. The gallery's label `lblState` spells out the model's state.

Most clicks are the controls' own (a button's BM_CLICK, a mouse press and release posted to
the window): under Wine a synthetic mouse click now and then comes out where the pointer was
before (the release, or both halves), which would make a test flaky for a reason outside the
backend. `MouseTest` clicks with the real mouse and allows for that.
"""
import sys
import unittest

from harness import IDOK, WIN64_BIN, Session, wait_until

GALLERY = WIN64_BIN / "ui-gallery.exe"


class GalleryCase(unittest.TestCase):
    """One gallery per test class; tests look at changes, not at absolute counts."""

    screen = "1024x768x24"
    log_pixels = None  # the display's DPI for this class; None keeps the prefix's

    @classmethod
    def setUpClass(cls):
        cls.session = Session(cls.__name__, screen=cls.screen)
        cls.session.__enter__()
        cls.addClassCleanup(cls.session.__exit__, None, None, None)
        if cls.log_pixels:
            cls.set_log_pixels(cls.log_pixels)
            cls.addClassCleanup(cls.set_log_pixels, None)
        cls.d = cls.session.driver()
        cls.pid = cls.d.start(GALLERY)
        cls.form = cls.d.find_window(pid=cls.pid, name="frmGallery", timeout=60)
        wait_until(lambda: cls.d.info(cls.form)["foreground"], what="the gallery in front")

    @classmethod
    def set_log_pixels(cls, dpi):
        key = r"HKCU\Control Panel\Desktop"
        args = (["add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"] if dpi
                else ["delete", key, "/v", "LogPixels", "/f"])
        result = cls.session.run("reg", args, timeout=120)
        if dpi and result.returncode != 0:
            raise RuntimeError(f"reg {args}: {result.stderr!r}")

    @classmethod
    def state(cls):
        text = cls.d.text(cls.d.find(cls.form, "lblState"))
        return dict(line.split(": ", 1) for line in text.splitlines() if ": " in line)

    def find(self, name):
        return self.d.find(self.form, name)

    def wait_state(self, key, value):
        wait_until(lambda: self.state()[key] == value, what=f"{key}: {value}")

    def click(self, name):
        self.d.click(self.find(name), via="message")

    def click_item(self, name, index, on_box):
        """A press and release on a check list item, on its box or on its text."""
        lst = self.find(name)
        left, top, right, _ = self.d.rect(lst)
        border, height = 2, self.item_height
        x = border + 6 if on_box else (right - left) // 2
        self.d.click(lst, via="message", x=x, y=border + index * height + height // 2)

    item_height = 19

    def applied(self):
        """Presses Apply and waits for it: every input sent before it has been handled."""
        before = self.d.progress(self.find("pbGallery"))[0]
        self.click("btnApply")
        wait_until(lambda: self.d.progress(self.find("pbGallery"))[0] != before, what="Apply")


class GalleryTest(GalleryCase):

    def test_a_radio_click_checks_it_and_unchecks_its_group_only(self):
        one, two, red, blue = (self.find(n) for n in ("rbOne", "rbTwo", "rbRed", "rbBlue"))
        self.assertTrue(self.d.checked(one))
        self.click("rbTwo")
        self.wait_state("choice", "rbTwo")
        self.assertEqual((self.d.checked(one), self.d.checked(two)), (False, True))
        self.assertEqual(self.state()["colour"], "rbRed")
        self.assertTrue(self.d.checked(red))
        self.click("rbBlue")
        self.wait_state("colour", "rbBlue")
        self.assertEqual((self.d.checked(red), self.d.checked(blue), self.d.checked(two)),
                         (False, True, True))
        self.assertEqual(self.state()["choice"], "rbTwo")

    def test_check_list_marks_follow_clicks_on_boxes_and_the_space_bar(self):
        lst = self.find("chkList")
        self.click_item("chkList", 2, on_box=True)
        self.wait_state("marks", "0010")
        self.assertEqual(self.d.items(lst)["marks"], [False, False, True, False])
        self.click_item("chkList", 1, on_box=False)  # selects without marking
        self.wait_state("item", "1")
        self.assertEqual(self.d.items(lst)["marks"], [False, False, True, False])
        self.assertEqual(self.d.items(lst)["selected"], 1)
        self.d.focus(lst)
        self.d.keys("Space")
        self.wait_state("marks", "0110")
        self.click_item("chkList", 2, on_box=True)
        self.wait_state("marks", "0100")
        self.assertEqual(self.d.items(lst)["data"][1:3], [1, 0])

    def test_masked_edit_types_an_address_as_a_user_expects(self):
        edit = self.find("meText")
        self.d.type("192.168.1", hwnd=edit)
        self.d.type(".100", hwnd=edit)
        wait_until(lambda: self.d.text(edit) == "192.168.1  .100", what="the typed address")
        self.session.screenshot("address-typed")
        self.d.keys("Backspace", "Backspace")
        self.d.type("x7", hwnd=edit)  # a letter is refused
        wait_until(lambda: self.d.text(edit) == "192.168.1  .17 ", what="edited address")
        self.d.keys("Home", "Delete")
        wait_until(lambda: self.d.text(edit) == " 92.168.1  .17 ", what="a deleted digit")
        self.applied()
        self.assertEqual(self.state()["address"], "[ 92.168.1  .17 ]")

    def test_escape_presses_the_cancel_button_only_while_it_is_enabled(self):
        cancel = self.find("btnCancel")
        before = int(self.state()["cancel"])
        self.click("btnToggle")
        wait_until(lambda: not self.d.enabled(cancel), what="cancel disabled")
        self.d.keys("Esc", "Alt+C", hwnd=self.form)
        self.applied()
        self.assertEqual(int(self.state()["cancel"]), before)
        self.assertTrue(self.d.visible(self.form))

        self.click("btnToggle")
        wait_until(lambda: self.d.enabled(cancel), what="cancel enabled")
        self.d.keys("Esc", hwnd=self.form)
        self.wait_state("cancel", str(before + 1))
        self.d.keys("Alt+C", hwnd=self.form)  # the accelerator of "取消(&C)"
        self.wait_state("cancel", str(before + 2))

    def test_enter_presses_the_default_button_and_tab_follows_the_tab_order(self):
        pick, edit = self.find("cbPick"), self.find("meText")
        self.d.focus(edit)
        self.d.keys("Tab")
        wait_until(lambda: self.d.focused(pick), what="Tab to the combo box")
        self.d.select(pick, text="Gamma", via="message")
        before = self.d.progress(self.find("pbGallery"))[0]
        self.d.keys("Enter")
        wait_until(lambda: self.d.progress(self.find("pbGallery"))[0] != before, what="Enter")
        self.assertEqual(self.state()["pick"], "Gamma")
        panels = self.d.status(self.find("sbGallery"))
        self.assertEqual(panels[0], "\tReady")  # the status bar's own mark for centred text
        self.assertTrue(panels[1].startswith("Applied "))

    def test_pages_switch_and_pictures_and_labels_take_clicks(self):
        first, second = self.find("tbsFirst"), self.find("tbsSecond")
        self.assertEqual((self.d.visible(first), self.d.visible(second)), (True, False))
        self.click("imgLandscape")
        wait_until(lambda: self.d.memo(self.find("mmoLog"))[-1] == "imgLandscape",
                   what="the picture's click in the log")
        links = int(self.state()["link"])
        self.click("lblLink")
        self.wait_state("link", str(links + 1))
        self.click("btnPage")
        self.wait_state("page", "1")
        self.assertEqual((self.d.visible(first), self.d.visible(second)), (False, True))
        self.assertTrue(self.d.visible(self.find("imgBadge")))
        self.assertFalse(self.d.visible(self.find("imgLandscape")))
        self.assertFalse(self.d.shown(self.form, "cbHidden"))
        self.session.screenshot("second-page")
        self.click("btnPage")
        self.wait_state("page", "0")

    def test_a_modal_dialog_disables_its_owner_until_it_is_answered(self):
        for keys, answer in (("Enter", "1"), ("Esc", "2"), (None, "2")):
            self.click("btnModal")
            dialog = self.d.find_window(pid=self.pid, name="frmQuestion")
            wait_until(lambda: not self.d.enabled(self.form), what="the owner disabled")
            if keys:
                self.session.screenshot("modal")
                self.d.keys(keys, hwnd=dialog)
            else:
                self.d.close(dialog)  # the close box
            self.wait_state("modal", answer)
            wait_until(lambda: self.d.enabled(self.form), what="the owner enabled again")
            self.assertNotIn("frmQuestion", [w["name"] for w in self.d.windows(pid=self.pid, all=True)])

    def test_a_control_hidden_from_the_start_gets_its_window_when_first_shown(self):
        names = lambda: [c["name"] for c in self.d.controls(self.form)]  # noqa: E731
        self.assertNotIn("btnLate", names())
        self.assertNotIn("cbHidden", names())  # a list the program only reads: never made
        self.click("btnReveal")
        late = self.find("btnLate")
        self.assertTrue(self.d.visible(late))
        self.assertEqual(self.d.text(late), "Made when shown")
        self.d.focus(self.find("btnReveal"))
        self.d.keys("Tab")
        wait_until(lambda: self.d.focused(late), what="Tab from Reveal to the late button")
        self.assertNotIn("cbHidden", names())

    def test_a_failing_handler_shows_the_error_box_and_the_program_goes_on(self):
        # The click reaches the handler through the form's window procedure, whose guard
        # catches the error: nothing may unwind into the system's code that called it.
        self.click("btnFail")
        box = self.d.message_box(pid=self.pid, timeout=20)
        # OK by message, as the other clicks here: closed before any check, so that a failed
        # check leaves no box holding the gallery for the tests after it.
        self.d.click(box["buttons"][0]["hwnd"], via="message")
        self.assertTrue(self.d.wait_gone(box["hwnd"], timeout=20))
        self.assertEqual(box["text"], "The gallery failed on purpose.")
        self.assertEqual([b["id"] for b in box["buttons"]], [IDOK])
        self.assertEqual(self.d.memo(self.find("mmoLog"))[-1], "btnFail")
        self.applied()  # the gallery still answers
        self.assertEqual(self.d.message_boxes(pid=self.pid), [])

    def test_z_screenshot(self):
        self.session.screenshot("gallery")


class HighDpiTest(GalleryCase):
    """At 144 DPI every 96-DPI position and size is half as large again."""

    log_pixels = 144

    item_height = 28  # 19 at 96 DPI

    def test_positions_and_sizes_are_scaled(self):
        form_rect = self.d.rect(self.form)
        apply = self.d.rect(self.find("btnApply"))
        self.assertAlmostEqual(apply[2] - apply[0], 201, delta=1)  # 134 at 96 DPI
        self.assertAlmostEqual(apply[3] - apply[1], 45, delta=1)   # 30
        edit = self.d.rect(self.find("meText"))
        self.assertAlmostEqual(edit[2] - edit[0], 252, delta=1)    # 168
        self.assertGreater(form_rect[2] - form_rect[0], 960)       # 640 client pixels
        self.click_item("chkList", 3, on_box=True)
        self.wait_state("marks", "0001")
        self.session.screenshot("144dpi")


class MouseTest(GalleryCase):
    """Real mouse clicks: a radio button inside a group box and a check list item's box."""

    def click_until(self, act, check, what):
        # A lost click (see the module's text) is clicked again; a click that arrived is not.
        for attempt in range(3):
            act()
            try:
                return wait_until(check, timeout=3, what=what)
            except AssertionError:
                if attempt == 2:
                    raise

    def test_mouse_clicks_reach_the_model(self):
        two, lst = self.find("rbTwo"), self.find("chkList")
        self.click_until(lambda: self.d.click(two, via="mouse"),
                         lambda: self.state()["choice"] == "rbTwo", "rbTwo checked")
        self.assertFalse(self.d.checked(self.find("rbOne")))
        self.click_until(lambda: self.d.click_item(lst, 1, area="check"),
                         lambda: self.state()["marks"] == "0100", "item 1 marked")
        self.assertEqual(self.d.items(lst)["data"], [0, 1, 0, 0])


if __name__ == "__main__":
    sys.exit(not unittest.main(exit=False).result.wasSuccessful())
