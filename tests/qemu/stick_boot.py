#!/usr/bin/env python3
"""The whole program: tarnwick-sim makes a virtual stick bootable on a
user's machine, then QEMU boots it to the probe IO.SYS's verdict.
  stick_boot.py CASE.BUS.BIOS --workdir DIR --sim SIM --diskcopy DLL [--show]"""

import json
import os
import subprocess
import sys
from pathlib import Path

import boot_screen

GIB = 1 << 30


def stick(size, heads=16, sectors=63, lba=False, runs=boot_screen.ALL_RUNS):
    """A stick of `size` bytes with the geometry Windows reports for it, made
    with Enable LBA ticked or not. Read by CHS, the geometry must be the one
    the BIOS presents on the bus it boots from."""
    return dict(locals())


CASES = {
    # 64 MiB: both SeaBIOS on USB and QEMU on IDE give 16 heads of 63 sectors.
    "chs": stick(64 << 20),
    "lba": stick(64 << 20, lba=True),
    # Sticks over 2 GiB get a volume of just under 2 GiB at their start, whose
    # root directory and IO.SYS lie in cylinder 0, where any head count
    # reads the same sectors.
    "chs-3gib": stick(3 * GIB, 255),
    "chs-4gib-16x63": stick(4 * GIB, 16, runs=("ide.seabios", "ide.bochs")),
    "lba-8gib": stick(8 * GIB, 255, lba=True, runs=("usb.seabios", "ide.bochs")),
    "chs-16x32": stick(64 << 20, 16, 32),
}


def scenario(case, diskcopy):
    """The system disk at C: (never to be written), a floppy drive at A:
    and a CD drive at D:, then the stick, formatted at E:."""
    ticks = ["IDC_QUICK_FORMAT"] + ["IDC_ENABLE_LBA"] * case["lba"] + ["IDOK"]
    return {"disks": [
        {"friendlyName": "WDC WD800JD-75MSA3", "media": "fixed", "protected": True,
         "instanceId": "IDE\\DiskWDC_WD800JD-75MSA3\\5&2d5cd3b&0&0.0.0", "size": 80026361856,
         "partitions": [{"slot": 0, "start": 63, "sectors": 156296322, "type": 7,
                         "active": True, "format": "raw", "letter": "C"}]},
        {"friendlyName": "Generic Flash Disk USB Device", "media": "removable",
         "instanceId": "USBSTOR\\Disk&Ven_Generic&Prod_Flash_Disk\\1", "size": case["size"],
         "heads": case["heads"], "sectorsPerTrack": case["sectors"], "image": "stick.img",
         "partitions": [{"slot": 0, "start": 63, "sectors": (64 << 11) - 63, "type": 11,
                         "format": "fat", "label": "OLDSTICK", "letter": "E"}]}],
        "letters": {"A": "floppy", "D": "cdrom"}, "diskcopy": diskcopy, "answers": ["yes"],
        "actions": [{"do": "type", "control": "IDC_LABEL", "text": "DOSBOOT"}]
                   + [{"do": "click", "control": c} for c in ticks]}


def make(case, args):
    image = os.path.join(args.workdir, "stick.img")
    Path(image).unlink(missing_ok=True)     # the scenario makes a new one
    path = os.path.join(args.workdir, "scenario.json")
    with open(path, "w") as f:
        json.dump(scenario(case, args.diskcopy), f)
    made = subprocess.run([args.sim, path], capture_output=True, text=True)
    if args.show:
        print(made.stdout, end="")
    # E: is the first letter free after C:, A: and D:, as Windows gives it.
    if made.returncode or "Operation Completed Successfully!" not in made.stdout \
            or '"Formating Drive...E:\\\\"' not in made.stdout:
        sys.exit(f"tarnwick-sim did not make the stick at E: ({made.returncode}):\n"
                 f"{made.stdout}{made.stderr}")
    return (image, f"IOSYS PROBE OK LBA={'0E' if case['lba'] else '06'} DI=0002 PATCHED", None,
            (case["heads"], case["sectors"]))


if __name__ == "__main__":
    sys.exit(boot_screen.main(CASES, make, ("--sim", "--diskcopy")))
