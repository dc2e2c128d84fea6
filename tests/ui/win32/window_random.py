#!/usr/bin/env python3
"""Runs form1_random_test.exe, the randomized window test, once per locale row (a period and a
comma locale), each in its own headless Wine session that ends with it.

Usage: window_random.py VELTRIX.EXE FORM1_RANDOM_TEST.EXE BUILD-DIR. VELTRIX_RANDOM_SEED and
VELTRIX_RANDOM_RELEASES pass through to the test program."""

import os
import pathlib
import sys
import tempfile
import time

sys.path[:0] = [str(pathlib.Path(__file__).parent), str(pathlib.Path(__file__).parents[2])]
import harness  # noqa: E402
from wine_session import WineSession, windows_path  # noqa: E402

ROWS = (("period", "C.UTF-8", "."), ("comma", "cs_CZ.UTF-8", ","))
ROW_SECONDS = 270


def main(program, test_program, build_dir):
    harness.claim_leftovers("window_random")
    seed = os.environ.get("VELTRIX_RANDOM_SEED", "the default")
    print(f"seed {seed}; replay a failed row with\n"
          f"  VELTRIX_RANDOM_SEED=<seed> ctest --test-dir {build_dir} -R window_random -V", flush=True)
    for row, locale, separator in ROWS:
        started = time.monotonic()
        with WineSession(build_dir, locale=locale) as session, tempfile.TemporaryFile() as log:
            run = session.start(test_program, windows_path(program), row, separator, stdout=log, stderr=log)
            ended = harness.wait_for(lambda: run.poll() is not None, ROW_SECONDS, 0.2,
                                     f"the {row} row to end")
            if not ended:
                run.kill()
            log.seek(0)
            print(log.read().decode("utf-8", errors="replace"), end="")
        print(f"{row}: {time.monotonic() - started:.1f} s", flush=True)
        harness.check(ended and run.returncode == 0, f"every release of the {row} row matched")
    return harness.summary()


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
