#!/usr/bin/env python3
"""Runs form1_random_test.exe, the randomized window test, once per locale row (a period and a
comma locale), each in its own headless Wine session that ends with it.

Usage: window_random.py VELTRIX.EXE FORM1_RANDOM_TEST.EXE BUILD-DIR. VELTRIX_RANDOM_SEED and
VELTRIX_RANDOM_RELEASES pass through to the test program."""

import pathlib
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).parent))
from wine_session import WineSession, windows_path  # noqa: E402

ROWS = (("period", "C.UTF-8", "."), ("comma", "cs_CZ.UTF-8", ","))


def main(program, test_program, build_dir):
    failed = []
    for row, locale, separator in ROWS:
        started = time.monotonic()
        with WineSession(build_dir, locale=locale) as session:
            run = session.start(test_program, windows_path(program), row, separator,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                encoding="utf-8", errors="replace")
            output, _ = run.communicate(timeout=600)
        print(output, end="")
        print(f"{row}: {time.monotonic() - started:.1f} s", flush=True)
        if run.returncode != 0:
            failed.append(row)
    if failed:
        print(f"FAILED rows: {', '.join(failed)}. Replay with the seed printed above:\n"
              f"  VELTRIX_RANDOM_SEED=<seed> ctest --test-dir {build_dir} -R window_random -V")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
