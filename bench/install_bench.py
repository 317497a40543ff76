"""Times network installation runs of the wizard under Wine (tools/install-bench): prepares a
kit folder for the bench program (the stand-in commands are the prefix's system commands) and
prints its line.

    python3 bench/install_bench.py [runs]

Uses the end-to-end harness's Wine prefix (WIZ_E2E_WORK) and win64 build (WIZ_WIN64_BIN).
"""
import shutil
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
import harness as h  # noqa: E402


def main():
    runs = sys.argv[1] if len(sys.argv) > 1 else "5"
    folder = h.scratch_dir("install-bench")
    for item in h.KIT.iterdir():
        (shutil.copytree if item.is_dir() else shutil.copy)(item, folder / item.name)
    shutil.copy(h.WIN64_BIN / "install-bench.exe", folder)
    with h.Session("install-bench") as s:
        done = subprocess.run(["wine", str(folder / "install-bench.exe"), runs], cwd=folder,
                              env=s.env(), capture_output=True, timeout=1800)
    sys.stdout.write(done.stdout.decode("utf-8", "replace"))
    sys.stderr.write(done.stderr.decode("utf-8", "replace"))
    return done.returncode


if __name__ == "__main__":
    sys.exit(main())
