"""Boots a disk image in Bochs 2.7 with its own BIOS (rombios, which shares
no code with SeaBIOS) from an ATA disk. Bochs mirrors no text to a serial
port: its debugger stops the machine at each timer tick, and where the
BIOS's INT 18h handler starts (the BIOS may end Bochs from there), and reads
the text screen at B800:0000. The display library `term` draws on a
pseudo-terminal, which nobody reads."""

import os
import pty
import re
import select
import subprocess

SCREEN, ROWS, COLUMNS = 0xB8000, 25, 80
TICK = 0xFFF53          # the BIOS's dummy IRET, its INT 1Ch: called each timer tick
INT18_VECTOR = 0x60
# A space (scan code 39h) in the BIOS's empty keyboard buffer, as its
# keyboard handler leaves a typed key: head 1Eh, tail 20h.
TYPE_KEY = ("setpmem 0x41e 2 0x3920", "setpmem 0x41a 4 0x0020001e")
ENDED = re.compile(rb"following message:\s*\[[^\]]*\]\s*([^\r\n]*)")


def config(image, workdir, heads, sectors):
    """An ATA disk has at most 16 heads: more are asked of rombios's LBA
    translation, which gives 255 heads of 63 sectors from 4 GiB on (fewer
    below). An empty floppy drive follows the disk, as under SeaBIOS."""
    translation, (heads, sectors) = ("none", (heads, sectors)) if heads <= 16 else ("lba", (16, 63))
    cylinders = os.path.getsize(image) // (512 * heads * sectors)
    return (f"ata0-master: type=disk, path={image}, cylinders={cylinders}, heads={heads}, "
            f"spt={sectors}, translation={translation}\nboot: disk, floppy\nfloppya: type=1_44\n"
            "romimage: file=/usr/share/bochs/BIOS-bochs-latest, options=fastboot\nmegs: 32\n"
            "vgaromimage: file=/usr/share/vgabios/vgabios.bin\ndisplay_library: term\n"
            "sound: waveoutdrv=dummy\nclock: sync=none, time0=946681200\n"
            f"log: {os.path.join(workdir, 'bochs.log')}\n")


def boot(image, workdir, expected, key_after=None, geometry=(16, 63), ticks=360):
    """Boots until the screen shows `expected` (and three ticks more, for
    what follows), Bochs ends or `ticks` ticks (20 s of the machine's time)
    pass; types a key once `key_after` shows. Returns (the screen's rows and
    the words Bochs ended with, if it did; the end of its log)."""
    path = os.path.join(workdir, "bochsrc")
    with open(path, "w") as f:
        f.write(config(image, workdir, *geometry))
    terminal, drawn = pty.openpty()
    bochs = subprocess.Popen(["timeout", "--kill-after=2", "50", "bochs-bin", "-q", "-unlock", "-f", path],
                             stdin=subprocess.PIPE, stdout=drawn, stderr=drawn,
                             env=dict(os.environ, TERM="xterm"))
    os.close(drawn)
    out, prompts, screen, settle = b"", 0, "", 3

    def debug(command):
        """The command's output; None once Bochs has ended or is stuck."""
        nonlocal out, prompts
        bochs.stdin.write(command.encode() + b"\n")
        bochs.stdin.flush()
        prompts += 1
        while b"<bochs:%d>" % (prompts + 1) not in out:
            try:
                if not select.select([terminal], [], [], 10)[0]:
                    return None
                out += os.read(terminal, 65536)
            except OSError:             # the terminal closed: Bochs ended
                return None
        done, out = out.split(b"<bochs:%d>" % (prompts + 1), 1)
        return done.decode("latin-1")

    try:
        debug(f"lb {TICK:#x}")
        for tick in range(ticks):
            if debug("c") is None:
                break
            if tick == 0:
                vector = int(debug(f"xp /1wx {INT18_VECTOR:#x}").split()[-1], 16)
                debug(f"lb {(vector >> 16) * 16 + (vector & 0xFFFF):#x}")
            cells = [int(word, 16) for line in debug(f"xp /{ROWS * COLUMNS}hx {SCREEN:#x}").splitlines()
                     if ">:" in line for word in line.split(":", 1)[1].split()]
            screen = "\n".join("".join(chr(c & 0xFF) for c in cells[row * COLUMNS:][:COLUMNS]).rstrip()
                               for row in range(ROWS))
            if key_after and key_after in screen:
                for command in TYPE_KEY:
                    debug(command)
                key_after = None
            settle -= expected in screen.replace("\n", "")
            if settle < 0:
                break
        debug("q")
    finally:
        bochs.terminate()               # `timeout` hands it on to Bochs
        bochs.wait(timeout=5)
        os.close(terminal)
    ended = ENDED.search(out)
    with open(os.path.join(workdir, "bochs.log"), "rb") as log:
        tail = log.read()[-2000:].decode("latin-1")
    return (screen + ("\n" + ended.group(1).decode("latin-1") if ended else "")).encode("latin-1"), tail
