"""The driver acts on the test window as a user would and reads its state back."""
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness as h  # noqa: E402

CONTROL_NAMES = {"lblCount", "btnCount", "btnMessage", "chkOption", "rbFirst", "rbSecond",
                 "edtName", "cbChoice", "lstItems", "meLog", "pbProgress", "StatusBar1"}


class TestWindowDriving(h.WineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.pid = cls.driver.start(h.WIN64_BIN / "test-window.exe")
        cls.main = cls.driver.find_window(pid=cls.pid, name="frmTest", timeout=30)

    def control(self, name):
        return self.driver.find(self.main, name)

    def panel(self):
        return self.driver.status(self.control("StatusBar1"))[1]

    def clicks(self):
        return int(self.driver.text(self.control("lblCount")).split(": ")[1])

    def test_names_reach_across_processes(self):
        d = self.driver
        self.assertEqual(d.info(self.main)["caption"], "Test window")
        named = {c["name"] for c in d.controls(self.main)}
        self.assertEqual(named, CONTROL_NAMES)
        with self.assertRaises(h.DriverError):
            d.find(self.main, "btnNoSuchThing", timeout=0.2)

    def test_click_updates_label_progress_status_and_memo(self):
        d = self.driver
        before = self.clicks()
        pos, low, high = d.progress(self.control("pbProgress"))
        self.assertEqual((low, high), (0, 5))
        self.assertEqual(d.click(self.control("btnCount"), via="mouse"), "mouse")
        d.wait_until(lambda: self.clicks() == before + 1, what="the counter")
        self.assertEqual(d.progress(self.control("pbProgress"))[0], pos + 1)
        self.assertEqual(d.status(self.control("StatusBar1")),
                         ["Ready", f"Clicked {before + 1} times"])
        self.assertEqual(d.memo(self.control("meLog"))[-1], f"Click {before + 1}")
        # Clicks in quick succession each count once (no double click in between).
        d.click(self.control("btnCount"))
        d.click(self.control("btnCount"))
        d.wait_until(lambda: self.clicks() == before + 3, what="two more clicks")
        shot = self.session.screenshot("after-clicks", rect=d.rect(self.main))
        self.assertGreater(shot.stat().st_size, 1000)

    def test_message_box_found_read_and_answered(self):
        d = self.driver
        # Invoked, the click is a message sent from the driver's process that the box holds
        # until it is answered; the driver answers at once all the same.
        for answer, said, via in ((h.IDYES, "Yes", "auto"), (h.IDNO, "No", "invoke")):
            with self.subTest(said):
                self.assertEqual(d.message_boxes(self.pid), [])
                d.click(self.control("btnMessage"), via=via)
                box = d.message_box(pid=self.pid)
                self.assertEqual(box["title"], "Question")
                self.assertEqual(box["text"], "Continue with the test?")
                self.assertEqual({(b["id"], b["text"]) for b in box["buttons"]},
                                 {(h.IDYES, "&Yes"), (h.IDNO, "&No")})
                if answer == h.IDYES:
                    self.session.screenshot("message-box")
                d.press(box["hwnd"], answer)
                self.assertTrue(d.wait_gone(box["hwnd"]))
                d.wait_until(lambda: self.panel() == f"Answer: {said}", what="the answer")
                self.assertEqual(d.memo(self.control("meLog"))[-1], f"Answer {said}")

    def test_lists_combo_and_check_list(self):
        d = self.driver
        combo, checks = self.control("cbChoice"), self.control("lstItems")
        self.assertEqual(d.items(combo)["items"], ["Red", "Green", "Blue"])
        for pick in (dict(text="Green"), dict(index=2)):
            d.select(combo, **pick)
            want = pick.get("text", "Blue")
            d.wait_until(lambda: self.panel() == f"Choice: {want}", what=f"choice {want}")
            self.assertEqual(d.items(combo)["items"][d.items(combo)["selected"]], want)

        state = d.items(checks)
        self.assertEqual(state["items"], ["Alpha", "Beta", "Gamma", "Delta", "Epsilon"])
        marked = state["marks"][3]
        d.click_item(checks, 3, area="check")
        d.wait_until(lambda: d.items(checks)["marks"][3] != marked, what="the mark to toggle")
        d.click_item(checks, 3, area="check")
        d.wait_until(lambda: d.items(checks)["marks"][3] == marked, what="the mark back")
        # The last item lies below the visible part: the list scrolls to it. Its text area
        # selects without touching the mark.
        marks = d.items(checks)["marks"]
        d.click_item(checks, 4)
        d.wait_until(lambda: d.items(checks)["selected"] == 4, what="item 4 selected")
        self.assertEqual(d.items(checks)["marks"], marks)

    def test_check_box_and_radio_group(self):
        d = self.driver
        option = self.control("chkOption")
        was = d.checked(option)
        d.click(option)
        d.wait_until(lambda: d.checked(option) != was, what="the check box")
        first, second = self.control("rbFirst"), self.control("rbSecond")
        d.click(second)
        d.wait_until(lambda: d.checked(second) and not d.checked(first), what="rbSecond")
        d.click(first)
        d.wait_until(lambda: d.checked(first) and not d.checked(second), what="rbFirst")

    def test_keyboard_typing_focus_and_keys(self):
        d = self.driver
        edit = self.control("edtName")
        d.focus(edit)
        self.assertTrue(d.focused(edit))
        d.keys("End", "Shift+Home", "Delete")
        d.wait_until(lambda: d.text(edit) == "", what="an empty field")
        d.type("Grüße 中文 ok", hwnd=edit)
        d.wait_until(lambda: d.text(edit) == "Grüße 中文 ok", what="the typed text")
        d.keys("Backspace", "Backspace")
        d.wait_until(lambda: d.text(edit) == "Grüße 中文 ", what="two characters fewer")
        d.type("!", hwnd=edit, via="chars")
        d.wait_until(lambda: d.text(edit) == "Grüße 中文 !", what="a posted character")
        d.keys("Tab")
        d.wait_until(lambda: not d.focused(edit), what="the focus to move on")
        before = self.clicks()
        d.keys("Alt+C", hwnd=self.main)  # the Count button's mnemonic
        d.wait_until(lambda: self.clicks() == before + 1, what="Alt+C to count")

    def test_close_box_ends_the_program(self):
        d = self.driver
        pid = d.start(h.WIN64_BIN / "test-window.exe")
        window = d.find_window(pid=pid, name="frmTest", timeout=30)
        self.assertIn(window, [w["hwnd"] for w in d.windows(pid=pid)])
        d.close(window)
        self.assertEqual(d.wait_exit(pid, timeout=20), 0)
        self.assertEqual(d.windows(pid=pid), [])


if __name__ == "__main__":
    h.main()
