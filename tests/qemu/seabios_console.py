"""Boots a disk image in QEMU with SeaBIOS and reads the screen text that
SeaBIOS mirrors to the serial port, stopping as soon as a run has an end."""

import os
import re
import select
import subprocess
import time

# SeaBIOS takes the serial console port from this fw_cfg file (0x3F8, LE).
SERCON_PORT = b"\xf8\x03"
BOOTING = "Booting from Hard Disk..."
ANSI_ESCAPE = re.compile(r"\x1b(\[[0-9;?]*[A-Za-z]|[A-Za-z])")

BUSES = {
    "usb": lambda image: [
        "-drive", f"if=none,id=stick,format=raw,file={image}",
        "-device", "usb-ehci,id=ehci",
        "-device", "usb-storage,bus=ehci.0,drive=stick"],
    "ide": lambda image: ["-drive", f"file={image},format=raw,if=ide"],
}


def screen_text(raw):
    """The console bytes as text, escape sequences removed, lines intact."""
    return ANSI_ESCAPE.sub("", raw.decode("latin-1"))


def after_booting(text, first=False):
    """The screen after the last (or the first) "Booting from Hard Disk...",
    wrapped lines joined (SeaBIOS breaks them at 80 columns); None before
    it."""
    joined = text.replace("\r", "").replace("\n", "")
    start = joined.find(BOOTING) if first else joined.rfind(BOOTING)
    return None if start < 0 else joined[start + len(BOOTING):]


def boot(image, bus, workdir, finished, limit=20.0, grace=0.3, quiet=5.0,
         answer=None):
    """Boots image from bus until finished(text) is true (then `grace` more
    seconds, to catch anything printed after it), the screen stays unchanged
    for `quiet` seconds once it has begun (a guest halted on something
    unexpected) or `limit` seconds pass. answer: (asks(text), keys): the
    keys are typed on the serial port once, as soon as asks(text) is true.
    Returns (text, finished, qemu's stderr)."""
    port_file = os.path.join(workdir, "sercon-port")
    with open(port_file, "wb") as f:
        f.write(SERCON_PORT)
    stderr_path = os.path.join(workdir, "qemu.stderr")
    command = ["timeout", "--kill-after=2", str(int(limit) + 5),
               "qemu-system-i386", "-nodefaults", "-m", "32",
               "-display", "none", "-serial", "stdio",
               "-fw_cfg", f"name=etc/sercon-port,file={port_file}",
               "-boot", "order=c", *BUSES[bus](image)]
    raw = b""
    done = False
    with open(stderr_path, "wb") as err:
        qemu = subprocess.Popen(
            command, stdout=subprocess.PIPE, stderr=err,
            stdin=subprocess.PIPE if answer else subprocess.DEVNULL)
        try:
            deadline = time.monotonic() + limit
            while time.monotonic() < deadline:
                ready, _, _ = select.select(
                    [qemu.stdout], [], [],
                    min(quiet, deadline - time.monotonic()))
                if not ready:
                    if raw and not done:
                        break
                    continue
                chunk = os.read(qemu.stdout.fileno(), 4096)
                if not chunk:
                    break
                raw += chunk
                if answer and answer[0](screen_text(raw)):
                    qemu.stdin.write(answer[1])
                    qemu.stdin.flush()
                    answer = None
                if not done and finished(screen_text(raw)):
                    done = True
                    deadline = min(deadline, time.monotonic() + grace)
        finally:
            qemu.terminate()
            try:
                qemu.wait(timeout=3)
            except subprocess.TimeoutExpired:
                qemu.kill()
                qemu.wait()
    with open(stderr_path, "rb") as err:
        return screen_text(raw), done, err.read().decode("latin-1")


def report(name, bus, expected, got, done, text, stderr):
    """Prints the case's outcome; 0 when the screen showed what was expected."""
    if done and got == expected:
        print(f"{name} on {bus}: {got!r}")
        return 0
    print(f"{name} on {bus}: FAILED{'' if done else ' (no ending on the screen)'}")
    print(f"  expected: {expected!r}")
    print(f"  got:      {got!r}")
    print(f"  screen:   {text!r}")
    print(f"  qemu:     {stderr.strip()!r}")
    return 1
