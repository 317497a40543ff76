#!/usr/bin/env python3
"""Runs clang-tidy (checks in the root .clang-tidy) over the sources of src/ and tools/ that
a build folder compiles, several files at a time; any finding fails.

    clang_tidy.py BUILD_DIR [--jobs N] [--clang-tidy PATH]
"""
import argparse
import json
import os
import subprocess
import sys
import time
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build_dir", type=Path)
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    parser.add_argument("--clang-tidy", default="clang-tidy")
    args = parser.parse_args()

    database = args.build_dir / "compile_commands.json"
    if not database.exists():
        sys.exit(f"no {database}: configure the build first")
    wanted = (ROOT / "src", ROOT / "tools")
    files = sorted({str(Path(entry["file"]).resolve())
                    for entry in json.loads(database.read_text())
                    if Path(entry["file"]).resolve().is_relative_to(wanted[0])
                    or Path(entry["file"]).resolve().is_relative_to(wanted[1])})
    if not files:
        sys.exit(f"{database} names no file of src/ or tools/")

    def run(path):
        done = subprocess.run([args.clang_tidy, "-p", str(args.build_dir), "--quiet",
                               "--warnings-as-errors=*", path],
                              capture_output=True, text=True)
        return path, done.returncode, done.stdout + done.stderr

    start = time.monotonic()
    failed = []
    with ThreadPoolExecutor(max_workers=max(1, args.jobs)) as pool:
        for path, code, output in pool.map(run, files):
            if code != 0:
                failed.append(path)
                print(output, end="")
    print(f"{len(files)} files, {len(failed)} with findings, "
          f"{time.monotonic() - start:.0f} s with {args.jobs} jobs")
    for path in failed:
        print("  " + os.path.relpath(path, ROOT))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
