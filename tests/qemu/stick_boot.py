"""Makes a virtual stick bootable with the real program on the simulated
machine (tarnwick-sim), then boots it in QEMU to the probe IO.SYS's
verdict. Usage: stick_boot.py CASE BUS --sim SIM --diskcopy DLL --workdir DIR
(--list prints the cases)."""

import argparse
import json
import os
import re
import subprocess
import sys

import seabios_console
from seabios_console import after_booting

VERDICT = re.compile(r"IOSYS PROBE \S+")

# The stick's geometry is the one the BIOS presents for 64 MiB (16 heads,
# 63 sectors), so that cylinder-head-sector reads land where they should.
CASES = {
    "chs": {"lba": False, "expect": "IOSYS PROBE OK LBA=06 DI=0002 PATCHED"},
    "lba": {"lba": True, "expect": "IOSYS PROBE OK LBA=0E DI=0002 PATCHED"},
}


def scenario(case, diskcopy):
    actions = [{"do": "type", "control": "IDC_LABEL", "text": "DOSBOOT"},
               {"do": "click", "control": "IDC_QUICK_FORMAT"}]
    if CASES[case]["lba"]:
        actions.append({"do": "click", "control": "IDC_ENABLE_LBA"})
    actions.append({"do": "click", "control": "IDOK"})
    # A user's machine: the system disk at C: (which the program must never
    # write), a floppy drive at A: and a CD drive at D:, then the stick.
    return {
        "disks": [{
            "friendlyName": "WDC WD800JD-75MSA3",
            "instanceId": "IDE\\DiskWDC_WD800JD-75MSA3\\5&2d5cd3b&0&0.0.0",
            "media": "fixed", "protected": True, "size": 80026361856,
            "partitions": [{"slot": 0, "start": 63, "sectors": 156296322, "type": 7,
                            "active": True, "format": "raw", "letter": "C"}]}, {
            "friendlyName": "Generic Flash Disk USB Device",
            "instanceId": "USBSTOR\\Disk&Ven_Generic&Prod_Flash_Disk\\1",
            "media": "removable", "size": 64 << 20, "heads": 16,
            "sectorsPerTrack": 63, "image": "stick.img",
            "partitions": [{"slot": 0, "start": 63, "sectors": (64 << 11) - 63,
                            "type": 11, "format": "fat", "label": "OLDSTICK",
                            "letter": "E"}]}],
        "letters": {"A": "floppy", "D": "cdrom"},
        "diskcopy": diskcopy,
        "answers": ["yes"],
        "actions": actions,
    }


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", action="store_true")
    parser.add_argument("case", nargs="?", choices=sorted(CASES))
    parser.add_argument("bus", nargs="?", choices=sorted(seabios_console.BUSES))
    for option in ("--sim", "--diskcopy", "--workdir"):
        parser.add_argument(option)
    parser.add_argument("--show", action="store_true",
                        help="print the program's transcript and the boot screen")
    args = parser.parse_args()
    if args.list:
        print(";".join(CASES))
        return 0
    os.makedirs(args.workdir, exist_ok=True)
    image = os.path.join(args.workdir, "stick.img")
    if os.path.exists(image):
        os.remove(image)
    path = os.path.join(args.workdir, "scenario.json")
    with open(path, "w") as f:
        json.dump(scenario(args.case, args.diskcopy), f)
    made = subprocess.run([args.sim, path], capture_output=True, text=True)
    if args.show:
        print(made.stdout, end="")
    if made.returncode != 0 or "Operation Completed Successfully!" not in made.stdout:
        print(f"tarnwick-sim failed ({made.returncode}):\n{made.stdout}{made.stderr}")
        return 1
    # The first letter free after C:, A: and D:, as Windows gives it.
    if '"Formating Drive...E:\\\\"' not in made.stdout:
        print(f"the stick was not formatted as E:\n{made.stdout}")
        return 1

    def finished(text):
        return VERDICT.search(after_booting(text, first=True) or "")

    text, done, stderr = seabios_console.boot(image, args.bus, args.workdir, finished)
    got = after_booting(text, first=True)
    expected = CASES[args.case]["expect"]
    if args.show:
        print(f"== QEMU boots {image} from {args.bus.upper()}:")
        print(text.replace("\r", "").rstrip())
    return seabios_console.report(args.case, args.bus, expected, got, done, text, stderr)


if __name__ == "__main__":
    sys.exit(main())
