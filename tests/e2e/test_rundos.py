"""RunDOS under Wine: real console commands, their output as CR LF lines, large output that
must not stall, the system's text for a command that does not exist, a command past its time
limit ended and reported, and the caller's window answering while a command runs."""
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness as h  # noqa: E402

PROBE = h.WIN64_BIN / "rundos-probe.exe"


def crlf_lines(raw):
    """Console output as the list of its lines, whatever line breaks it used."""
    return raw.replace("\r\n", "\n").replace("\r", "\n").splitlines()


class RunDosTest(h.WineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.scratch = h.scratch_dir("test_rundos")

    def run_dos(self, command, timeout=60, options=()):
        """RunDOS(command) in the probe: (exit code, returned text)."""
        return self.run_probe(command, timeout, options)[:2]

    def run_probe(self, command, timeout=60, options=()):
        """RunDOS(command) in the probe: (exit code, returned text, what the probe printed)."""
        out = self.scratch / "out.txt"
        out.unlink(missing_ok=True)
        r = self.session.run(PROBE, [*options, h.to_windows_path(out), command], timeout=timeout)
        return r.returncode, out.read_bytes().decode("utf-8"), r.stdout.decode("utf-8", "replace")

    def test_spooler_start_returns_the_commands_lines_with_crlf(self):
        # Start it first, so that both runs below meet a running spooler and say the same.
        self.session.run("net", ["start", "spooler"])
        code, text = self.run_dos("net start spooler")
        # Wine now and then hands a program started from Linux an empty standard output under
        # load; the text compared with must be what the command says, so ask it again then.
        for _ in range(3):
            direct = self.session.run("net", ["start", "spooler"])
            if direct.stdout.strip():
                break
        self.assertEqual(code, 0)
        self.assertTrue(text.endswith("\r\n"), repr(text))
        lines = text[:-2].split("\r\n")
        self.assertTrue(all("\r" not in l and "\n" not in l for l in lines), repr(text))
        self.assertEqual(lines, crlf_lines(direct.stdout.decode("utf-8", "replace")))
        self.assertTrue(any("spooler" in l.lower() for l in lines), repr(text))

    def test_large_output_arrives_whole(self):
        size = 4_000_000  # far beyond the pipe's buffer
        code, text = self.run_dos(f"rundos-probe --print {size}", timeout=90)
        self.assertEqual(code, 0)
        self.assertGreaterEqual(len(text), size)
        self.assertTrue(text.endswith("\r\n"))
        lines = text[:-2].split("\r\n")
        self.assertEqual(lines[0], "line 0")
        # Every line once, in order: nothing lost, doubled or cut.
        self.assertEqual(lines, [f"line {i}" for i in range(len(lines))])

    def test_silent_command_returns_empty_text(self):
        self.assertEqual(self.run_dos("rundos-probe --nothing"), (0, ""))

    def test_missing_command_raises_the_systems_text(self):
        code, text = self.run_dos("no-such-command-4711 /x")
        expected = self.driver.error_text(2).rstrip(" \r\n.")  # ERROR_FILE_NOT_FOUND
        self.assertTrue(expected)
        self.assertEqual((code, text), (2, "ERROR: " + expected))

    def test_a_command_past_its_time_limit_is_ended_and_reported(self):
        pid_file = self.scratch / "sleeper.pid"
        done = self.scratch / "sleeper.pid.done"
        pid_file.unlink(missing_ok=True)
        done.unlink(missing_ok=True)
        command = f"rundos-probe --sleep 60000 {h.to_windows_path(pid_file)}"
        # Well below the sleep: a runner that waited it out would hit this test's own limit.
        code, text = self.run_dos(command, timeout=45, options=["--limit", "10000"])
        expected = self.driver.error_text(1460).rstrip(" \r\n.")  # ERROR_TIMEOUT
        self.assertTrue(expected)
        self.assertEqual((code, text), (2, f"ERROR: {expected}: {command}"))
        self.assertTrue(pid_file.exists(), "the command never started")
        alive = self.session.run(PROBE, ["--alive", pid_file.read_text()])
        self.assertEqual(alive.stdout.decode().strip(), "gone")
        self.assertFalse(done.exists())

    def test_the_callers_window_answers_while_a_command_runs(self):
        # The command asks the probe's window for an answer while the probe waits for it; the
        # window's handler also asks the program to quit, which the wait must not lose.
        code, text, printed = self.run_probe("rundos-probe --ping", options=["--window"])
        self.assertEqual((code, text), (0, "answer 4711\r\n"))
        self.assertEqual(printed.split(), ["quit", "7"])


if __name__ == "__main__":
    h.main()
