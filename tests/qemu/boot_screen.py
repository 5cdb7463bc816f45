"""Boots a disk image and reads the text screen at B800:0000 through the emulator's monitor: QEMU
with SeaBIOS, from USB storage or IDE, as it runs; or Bochs 2.7 with its own BIOS, rombios (no code
in common with SeaBIOS), from an ATA disk, at each timer tick. The command line all case files share:
  CASES.py --list | CASES.py CASE.BUS.BIOS --workdir DIR [--show] [FILES]"""

import argparse
import os
import re
import sys
import time

import pexpect

BOOTING = "Booting from Hard Disk..."
# Unless a case names its runs. No usb.bochs: rombios boots no USB storage.
ALL_RUNS = ("usb.seabios", "ide.seabios", "ide.bochs")
QEMU_DISKS = {"usb": ["-drive", "if=none,id=stick,format=raw,file={}", "-device", "usb-ehci,id=ehci",
                      "-device", "usb-storage,bus=ehci.0,drive=stick"],
              "ide": ["-drive", "file={},format=raw,if=ide"]}
VALUE = re.compile(r"\s0x([0-9a-f]{4})(?=\s)")    # 16 bits, as `xp` shows them in both
TICK = 0xFFF53          # rombios's dummy IRET, its INT 1Ch: called at each timer tick
# A space (scan code 39h) typed as rombios's keyboard handler leaves it: at
# the buffer's head (1Eh while no key was ever typed), the tail moved past.
BOCHS_KEY = "setpmem 0x41c 4 0x39200020"
BOCHS_ENDED = re.compile(r"following message:\s*\[[^\]]*\]\s*([^\r\n]*)")


def boot(image, bus, bios, workdir, expected, key_after=None, geometry=(16, 63), looks=120):
    """Boots until the screen shows `expected` (and three looks more, for what follows), the
    emulator ends or `looks` looks pass (QEMU's every 50 ms, Bochs's every tick: 6.6 s of its
    time); types a key once `key_after` shows. Returns (the screen's rows, and the words
    Bochs ended with if it did; the emulator's last words)."""
    command, prompt, key = ["qemu-system-i386", "-nodefaults", "-vga", "std", "-m", "32", "-display", "none",
                            "-monitor", "stdio", "-boot", "order=c",
                            *(a.format(image) for a in QEMU_DISKS[bus])], r"\(qemu\) ", "sendkey spc"
    if bios == "bochs":
        # An ATA disk has at most 16 heads: more are asked of rombios's LBA translation, which gives
        # 255 heads of 63 sectors from 4 GiB on (fewer below). An empty floppy drive follows, as in QEMU.
        translation, (heads, sectors) = ("none", geometry) if geometry[0] <= 16 else ("lba", (16, 63))
        with open(os.path.join(workdir, "bochsrc"), "w") as f:
            print(f"ata0-master: type=disk, path={image}, heads={heads}, spt={sectors}, translation="
                  f"{translation}, cylinders={os.path.getsize(image) // (512 * heads * sectors)}",
                  "boot: disk, floppy", "floppya: type=1_44", "megs: 32", "display_library: term",
                  "romimage: file=/usr/share/bochs/BIOS-bochs-latest, options=fastboot",
                  "vgaromimage: file=/usr/share/vgabios/vgabios.bin", "sound: waveoutdrv=dummy",
                  "clock: sync=none, time0=946681200", f"log: {workdir}/bochs.log", sep="\n", file=f)
        command, prompt, key = ["bochs-bin", "-q", "-unlock", "-f", f.name], r"<bochs:\d+> ", BOCHS_KEY
    machine = pexpect.spawn("timeout", ["--kill-after=2", "50", *command], env=dict(os.environ, TERM="xterm"),
                            encoding="latin-1", timeout=10, dimensions=(25, 80), maxread=1 << 16)
    machine.delaybeforesend, screen, settle = None, "", 3

    def monitor(command):
        machine.sendline(command)
        machine.expect(prompt)
        return machine.before

    try:
        machine.expect(prompt)
        if bios == "bochs":     # rombios may end Bochs from INT 18h: stop where that starts too
            monitor(f"lb {TICK:#x}")
            monitor("c")        # a tick: the BIOS has set its vectors
            offset, segment = (int(v, 16) for v in VALUE.findall(monitor("xp /2hx 0x60")))
            monitor(f"lb {segment * 16 + offset:#x}")
        while (looks := looks - 1) > 0 and settle >= 0:
            monitor("c") if bios == "bochs" else time.sleep(0.05)
            cells = [int(cell, 16) for cell in VALUE.findall(monitor("xp /2000hx 0xb8000"))]
            screen = "\n".join("".join(chr(c & 0xFF) for c in cells[row:row + 80]).rstrip()
                               for row in range(0, 2000, 80))
            if key_after and key_after in screen:
                monitor(key)
                key_after = None
            settle -= expected in screen.replace("\n", "")
    except pexpect.EOF:         # it ended
        pass
    except pexpect.TIMEOUT:     # no tick: a halt with interrupts off, whose screen is never read
        screen += "\n(no answer for 10 s)"
    finally:
        machine.terminate(force=True)
    ended = BOCHS_ENDED.search(machine.before or "")
    return screen + ("\n" + ended.group(1) if ended else ""), (machine.before or "")[-2000:]


def main(cases, make, files=()):
    """A case file's command line. make(case, args) builds the disk in args.workdir and
    returns (image, expected text, key_after, (heads, sectors a track) of the ATA disk)."""
    runs = [f"{name}.{run}" for name, case in cases.items()
            for run in (case.get("runs", ALL_RUNS) if isinstance(case, dict) else ALL_RUNS)]
    if sys.argv[1:] == ["--list"]:
        print(";".join(runs))
        return 0
    parser = argparse.ArgumentParser()
    parser.add_argument("run", choices=runs, metavar="CASE.BUS.BIOS")
    parser.add_argument("--show", action="store_true", help="print the boot screen")
    for option in ("--workdir", *files):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    name, bus, bios = args.run.rsplit(".", 2)
    os.makedirs(args.workdir, exist_ok=True)
    image, expected, key_after, geometry = make(cases[name], args)
    screen, last_words = boot(image, bus, bios, args.workdir, expected, key_after, geometry)
    if args.show:
        print(f"== {bios} boots {image} from {bus.upper()}:\n{screen.rstrip()}")
    got = screen.replace("\n", "").partition(BOOTING)[2]
    print(f"{args.run}: {got!r}" if got == expected else f"{args.run}: FAILED\n  expected: {expected!r}\n"
          f"  got:      {got!r}\n  screen:   {screen!r}\n  emulator: {last_words!r}")
    return int(got != expected)
