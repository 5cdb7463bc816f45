#!/usr/bin/env python3
"""Decides once whether a Wine loader starts on this machine.

usage: wine_probe.py [--may-skip] LOADER VERDICT

Runs LOADER --version and writes one line to VERDICT, which
tools/wine-test.sh --verdict reads before every Wine test:
  run VERSION    the loader starts (exit 0)
  skip REASON    the machine cannot execute it, with --may-skip only: the
                 kernel refuses the program ("Exec format error", as on a
                 kernel that runs no 32-bit code) or there is no loader
                 (exit 77, ctest's "skipped")
  fail REASON    anything else: it crashed, hung, said something else, or
                 it may not be skipped (exit 1)
"""
import errno
import os
import subprocess
import sys

TIMEOUT_SECONDS = 60


def probe(loader, may_skip):
    cannot = "skip" if may_skip else "fail"
    environment = dict(os.environ, WINEDEBUG="-all")
    try:
        # Executed directly, never through a shell or execvp, which would take
        # a file the kernel refuses for a shell script.
        done = subprocess.run([loader, "--version"], env=environment, stdin=subprocess.DEVNULL,
                              capture_output=True, text=True, timeout=TIMEOUT_SECONDS)
    except FileNotFoundError:
        return cannot, f"there is no Wine loader {loader}"
    except OSError as error:
        if error.errno == errno.ENOEXEC:
            return cannot, (f"this machine cannot execute {loader}: {error.strerror} "
                            "(the kernel runs no 32-bit programs)")
        return "fail", f"{loader} does not start: {error.strerror}"
    except subprocess.TimeoutExpired:
        return "fail", f"{loader} --version did not end within {TIMEOUT_SECONDS} s"
    said = (done.stdout + done.stderr).strip()[:300]
    if done.returncode != 0:
        return "fail", f"{loader} --version ended with status {done.returncode}: {said}"
    if not done.stdout.startswith("wine-"):
        return "fail", f"{loader} --version said {said!r}, not a Wine version"
    return "run", done.stdout.strip()


def main(arguments):
    may_skip = arguments[:1] == ["--may-skip"]
    arguments = arguments[1:] if may_skip else arguments
    if len(arguments) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    loader, verdict_file = arguments
    verdict, text = probe(loader, may_skip)
    text = " / ".join(line.strip() for line in text.splitlines() if line.strip())
    with open(verdict_file, "w", encoding="utf-8") as out:
        out.write(f"{verdict} {text}\n")
    print(f"wine-probe: {verdict}: {text}")
    return {"run": 0, "skip": 77}.get(verdict, 1)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
