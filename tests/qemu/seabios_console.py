"""Boots a disk image in QEMU with SeaBIOS, reads the screen SeaBIOS mirrors
to the serial port and judges it; and the command line every case file
shares, which boots on SeaBIOS or on Bochs (bochs_console.py):
CASES.py --list | CASES.py CASE BUS BIOS --workdir DIR [--show] [FILES]"""

import argparse
import os
import re
import select
import subprocess
import sys
import time

import bochs_console

BOOTING = "Booting from Hard Disk..."
ANSI_ESCAPE = re.compile(r"\x1b(\[[0-9;?]*[A-Za-z]|[A-Za-z])")
BUSES = {
    "usb": lambda image: ["-drive", f"if=none,id=stick,format=raw,file={image}",
                          "-device", "usb-ehci,id=ehci",
                          "-device", "usb-storage,bus=ehci.0,drive=stick"],
    "ide": lambda image: ["-drive", f"file={image},format=raw,if=ide"],
}
# Where a case boots unless it names its runs: SeaBIOS from USB storage and
# from IDE; Bochs's BIOS boots no USB storage, so there from IDE alone.
ALL_RUNS = ("usb.seabios", "ide.seabios", "ide.bochs")


def screen_text(raw):
    return ANSI_ESCAPE.sub("", raw.decode("latin-1")).replace("\r", "")


def after_booting(raw):
    """The screen after the first "Booting from Hard Disk...", with wrapped
    lines joined (SeaBIOS breaks them at 80 columns); None before it."""
    text = screen_text(raw).replace("\n", "")
    start = text.find(BOOTING)
    return None if start < 0 else text[start + len(BOOTING):]


def boot(image, bus, workdir, expected, key_after=None, limit=30.0, quiet=5.0):
    """Boots until the screen shows `expected` (and a moment more, for what
    follows), stays unchanged for `quiet` seconds once booting from the disk
    (a guest halted on something else) or `limit` seconds pass; types a key
    once `key_after` shows. Returns (raw console bytes, qemu's stderr)."""
    port_file = os.path.join(workdir, "sercon-port")
    with open(port_file, "wb") as f:
        f.write(b"\xf8\x03")        # the serial console at port 3F8h
    command = ["timeout", "--kill-after=2", str(int(limit) + 5),
               "qemu-system-i386", "-nodefaults", "-m", "32", "-display", "none",
               "-serial", "stdio", "-fw_cfg", f"name=etc/sercon-port,file={port_file}",
               "-boot", "order=c", *BUSES[bus](image)]
    raw = b""
    with open(os.path.join(workdir, "qemu.stderr"), "w+b") as err:
        qemu = subprocess.Popen(command, stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE, stderr=err)
        deadline = time.monotonic() + limit
        try:
            while (left := deadline - time.monotonic()) > 0:
                ready = select.select([qemu.stdout], [], [], min(quiet, left))[0]
                chunk = os.read(qemu.stdout.fileno(), 4096) if ready else b""
                screen = after_booting(raw := raw + chunk)
                if not chunk and (ready or screen is not None):
                    break                   # QEMU gone, or quiet once booting
                screen = screen or ""
                if key_after and key_after in screen:
                    qemu.stdin.write(b" ")
                    qemu.stdin.flush()
                    key_after = None
                if expected in screen:
                    deadline = min(deadline, time.monotonic() + 0.3)
        finally:
            qemu.terminate()        # `timeout` hands it on to QEMU
            qemu.wait(timeout=5)
        err.seek(0)
        return raw, err.read().decode("latin-1").strip()


def main(cases, make, files=()):
    """A case file's command line. make(case, args) builds the disk in
    args.workdir and returns (image, expected text, key_after, (heads,
    sectors a track) for an IDE disk)."""
    listing = "--list" in sys.argv
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", action="store_true")
    parser.add_argument("case", nargs="?" if listing else None, choices=sorted(cases))
    parser.add_argument("bus", nargs="?" if listing else None, choices=sorted(BUSES))
    parser.add_argument("bios", nargs="?" if listing else None, choices=("seabios", "bochs"))
    parser.add_argument("--show", action="store_true", help="print the boot screen")
    for option in ("--workdir", *files):
        parser.add_argument(option, required=not listing)
    args = parser.parse_args()
    if listing:   # CASE.BUS.BIOS for each run of each case
        print(";".join(f"{name}.{run}" for name, case in cases.items()
                       for run in (case.get("runs", ALL_RUNS) if isinstance(case, dict) else ALL_RUNS)))
        return 0
    os.makedirs(args.workdir, exist_ok=True)
    image, expected, key_after, geometry = make(cases[args.case], args)
    where = f"{args.case} on {args.bus} with {args.bios}"
    if f"{args.bus}.{args.bios}" not in ALL_RUNS:
        parser.error(f"no such machine: {where}")
    raw, log = (bochs_console.boot(image, args.workdir, expected, key_after, geometry)
                if args.bios == "bochs" else boot(image, args.bus, args.workdir, expected, key_after))
    if args.show:
        print(f"== {args.bios} boots {image} from {args.bus.upper()}:\n{screen_text(raw).rstrip()}")
    got = after_booting(raw) or ""
    print(f"{where}: {got!r}" if got == expected else
          f"{where}: FAILED\n  expected: {expected!r}\n  got:      {got!r}\n"
          f"  screen:   {screen_text(raw)!r}\n  log:      {log!r}")
    return int(got != expected)
