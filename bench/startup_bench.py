"""Start-up time of the wizard under Wine against a bare Win32 program with one control of each
kind the wizard uses (tools/test-window): from starting the program to its main window shown
and enabled. Both are started and watched the same way, through the end-to-end driver, one
after the other, after a first start of each that is not counted.

    python3 bench/startup_bench.py [runs]

Prints each program's median and the ratio (goal: at most 1.3), then where the wizard's time
goes, step by step (medians). The spooler runs before the first counted start, as on a machine
in use. Uses the end-to-end harness's Wine prefix (WIZ_E2E_WORK; ctest's e2e_prefix makes it)
and win64 build (WIZ_WIN64_BIN).

The steps come from the wizard itself: when WIZ_STARTUP_TIMES names a file, the program writes
each start-up step's begin and end there on the system clock once its main window is shown
(without the variable nothing is timed). A Wine trace would name library loads only, and its
own output slows every step it watches.
"""
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
import harness as h  # noqa: E402
import wizkit  # noqa: E402

# What the breakdown shows, in start-up order: a label and how to get its seconds from one
# start's steps (the wizard's step names, see src/main.cpp and src/shell/untMain.cpp).
BREAKDOWN = [
    ("start request to process (Wine)", lambda s: s["process"][0] - s["request"][0]),
    ("process to program entry (libraries)", lambda s: length(s, "process")),
    ("platform services, window classes", lambda s: length(s, "services") + length(s, "units")),
    ("form windows, their create handlers", lambda s: length(s, "windows") - length(s, "spooler")),
    ("spooler (state, command if stopped)", lambda s: length(s, "spooler")),
    ("USB library load", lambda s: length(s, "library")),
    ("seal", lambda s: length(s, "seal")),
    ("settings reads, captions set", lambda s: length(s, "settings") + length(s, "language")
     - length(s, "picture") - length(s, "ports")),
    ("pictures", lambda s: length(s, "picture")),
    ("port and printer lists", lambda s: length(s, "ports") + length(s, "printers")),
    ("controls' windows (first showing)", lambda s: length(s, "controls")),
    ("showing the window", lambda s: length(s, "show") - sum(
        length(s, n) for n in ("library", "seal", "settings", "language", "printers", "controls"))),
    ("until seen shown and enabled", lambda s: s["seen"][0] - s["show"][1]),
]


def length(steps, name):
    begin, end = steps.get(name, (0.0, 0.0))
    return end - begin


def started(d, exe, name, cwd, env=None):
    """Seconds from the start request to the named main window shown and enabled, and the
    system-clock times of the request and of the moment it was seen."""
    request = time.time()
    begin = time.monotonic()
    pid = d.start(exe, cwd=cwd, env=env)
    hwnd = d.find_window(pid=pid, name=name, timeout=120)
    d.wait_until(lambda: d.enabled(hwnd), timeout=60, what=f"{name} enabled")
    took = time.monotonic() - begin
    seen = time.time()
    d.kill(pid)
    d.wait_exit(pid, timeout=30)
    return took, request, seen


def read_steps(path, request, seen):
    """The wizard's steps by name as (begin, end) on the system clock, with the benchmark's
    own request and seen moments."""
    steps = {"request": (request, request), "seen": (seen, seen)}
    for line in path.read_text(encoding="ascii").splitlines():
        name, begin, end = line.split()
        steps.setdefault(name, (float(begin), float(end)))  # the first, where a step repeats
    return steps


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 10
    kit = wizkit.make_kit("startup-bench")
    times_file = kit / "startup-times.txt"
    wizard_env = {**wizkit.log_env(kit), "WIZ_STARTUP_TIMES": h.to_windows_path(times_file)}
    programs = {
        "wizard": (kit / wizkit.EXE.name, "frmMain", kit, wizard_env),
        "bare window": (h.WIN64_BIN / "test-window.exe", "frmTest", h.WIN64_BIN, None),
    }
    times = {name: [] for name in programs}
    breakdowns = []
    with h.Session("startup-bench") as s:
        d = s.driver()  # Wine ends the spooler with a session's last program
        wizkit.set_spooler(s, running=True)
        for name, (exe, form, cwd, env) in programs.items():
            started(d, exe, form, cwd, env)  # the first start fills the caches of both
        for _ in range(runs):
            for name, (exe, form, cwd, env) in programs.items():
                times_file.unlink(missing_ok=True)
                took, request, seen = started(d, exe, form, cwd, env)
                times[name].append(took)
                if env:
                    steps = read_steps(times_file, request, seen)
                    breakdowns.append([part(steps) for _, part in BREAKDOWN])
    medians = {name: statistics.median(t) for name, t in times.items()}
    for name, t in times.items():
        print(f"{name:12} median {medians[name] * 1000:7.0f} ms  "
              f"(min {min(t) * 1000:.0f}, max {max(t) * 1000:.0f}, {runs} runs)")
    ratio = medians["wizard"] / medians["bare window"]
    print(f"start-up ratio wizard / bare window: {ratio:.2f} (goal: at most 1.3)")
    print("where the wizard's time goes (median of each step):")
    for i, (label, _) in enumerate(BREAKDOWN):
        print(f"  {label:38} {statistics.median(b[i] for b in breakdowns) * 1000:7.1f} ms")
    return 0


if __name__ == "__main__":
    sys.exit(main())
