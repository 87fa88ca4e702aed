#!/usr/bin/python3
"""One measured run of one saver on a running Xvfb; prints one JSON line.

    run_one.py --name NAME --work DIR --seconds S --xvfb-pid PID
               [--wine-prefix PREFIX] [--first-cap 15] [--settle 1] -- COMMAND...

The program is started with Mesa's heads-up display counting frames into a
dump file (drawn nowhere), and the root window is watched until a picture
shows. After a short settle the CPU clocks of the program, the X server and
(under Wine) Wine's own processes are read, S seconds pass, and they are read
again. The program is then ended by its own PID (and those of its children).
"""

import argparse
import ctypes
import ctypes.util
import json
import os
import signal
import struct
import subprocess
import sys
import time
import zlib

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
PAGE = os.sysconf("SC_PAGE_SIZE")


# ---------------------------------------------------------------- /proc

def read_stat(pid):
    """(ppid, utime + stime in ticks, cutime + cstime in ticks) or None."""
    try:
        with open(f"/proc/{pid}/stat", "rb") as f:
            text = f.read().decode("latin-1")
    except OSError:
        return None
    # The command name may hold spaces and parentheses: split after the last ')'.
    fields = text[text.rindex(")") + 2:].split()
    ppid = int(fields[1])
    own = int(fields[11]) + int(fields[12])
    reaped = int(fields[13]) + int(fields[14])
    return ppid, own, reaped


def all_pids():
    return [int(n) for n in os.listdir("/proc") if n.isdigit()]


def descendants(root):
    """root and every process below it, by parent links."""
    children = {}
    for pid in all_pids():
        st = read_stat(pid)
        if st is not None:
            children.setdefault(st[0], []).append(pid)
    found, todo = [], [root]
    while todo:
        pid = todo.pop()
        found.append(pid)
        todo.extend(children.get(pid, []))
    return found


def tree_ticks(root):
    """CPU ticks of a process tree: every live member's own threads, plus
    what the root has collected from children it already reaped."""
    total = 0
    for pid in descendants(root):
        st = read_stat(pid)
        if st is None:
            continue
        total += st[1]
        if pid == root:
            total += st[2]
    return total


def pids_of_prefix(prefix):
    """Processes whose environment names this WINEPREFIX (wineserver and
    Wine's system processes as well as the saver)."""
    wanted = b"WINEPREFIX=" + prefix.encode() + b"\0"
    found = []
    for pid in all_pids():
        try:
            with open(f"/proc/{pid}/environ", "rb") as f:
                env = f.read()
        except OSError:
            continue
        if wanted in env or env.endswith(wanted[:-1]):
            found.append(pid)
    return found


def ticks_of(pids):
    total = 0
    for pid in pids:
        st = read_stat(pid)
        if st is not None:
            total += st[1]
    return total


def status_kb(pid, key):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith(key + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def sysv_maps(pid):
    try:
        with open(f"/proc/{pid}/maps") as f:
            return sum(1 for line in f if "/SYSV" in line)
    except OSError:
        return None


# ---------------------------------------------------------------- the screen

class ZPixmapImage(ctypes.Structure):
    # The leading members of Xlib's XImage, up to the ones read here.
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
        ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
        ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
        ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
        ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
    ]


class Screen:
    """The root window through one Xlib connection: one XGetImage per look,
    so polling costs neither a process start nor an image encoding."""

    ALL_PLANES = ctypes.c_ulong(0xFFFFFFFF)
    Z_PIXMAP = 2

    def __init__(self, display_name):
        self.x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XGetImage.restype = ctypes.POINTER(ZPixmapImage)
        self.x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x.XFree.argtypes = [ctypes.c_void_p]
        self.x.XClearWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x.XDisplayWidth.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.dpy = self.x.XOpenDisplay(display_name.encode())
        if not self.dpy:
            raise RuntimeError(f"cannot open display {display_name}")
        self.root = self.x.XDefaultRootWindow(self.dpy)
        self.width = self.x.XDisplayWidth(self.dpy, 0)
        self.height = self.x.XDisplayHeight(self.dpy, 0)

    def clear(self):
        # A program drawing into the root window leaves its last frame there;
        # clearing restores the server's black background for the next run.
        self.x.XClearWindow(self.dpy, self.root)
        self.x.XSync(self.dpy, 0)

    def grab(self):
        """(width, height, bytes per line, pixel bytes) of the root window."""
        img = self.x.XGetImage(self.dpy, self.root, 0, 0, self.width, self.height,
                               self.ALL_PLANES, self.Z_PIXMAP)
        if not img:
            return None
        im = img.contents
        size = im.bytes_per_line * im.height
        data = ctypes.string_at(im.data, size)
        bpl, bpp = im.bytes_per_line, im.bits_per_pixel
        ctypes.CDLL(None).free(ctypes.c_void_p(im.data))
        self.x.XFree(img)
        if bpp != 32:
            raise RuntimeError(f"expected 32 bits per pixel, got {bpp}")
        return self.width, self.height, bpl, data

    def close(self):
        self.x.XCloseDisplay(self.dpy)


def lit_fraction(shot):
    """Share of sampled pixels with some channel above 24 (of 255)."""
    width, height, bpl, data = shot
    pixels = memoryview(data).cast("I")
    # A prime stride samples every row and column phase without a pattern.
    sample = pixels[::61]
    lit = 0
    for p in sample:
        if (p & 0xFF) > 24 or ((p >> 8) & 0xFF) > 24 or ((p >> 16) & 0xFF) > 24:
            lit += 1
    return lit / max(1, len(sample))


def write_png(path, shot):
    width, height, bpl, data = shot
    rows = bytearray()
    for y in range(height):
        row = data[y * bpl:y * bpl + width * 4]
        rgb = bytearray(width * 3)
        rgb[0::3] = row[2::4]
        rgb[1::3] = row[1::4]
        rgb[2::3] = row[0::4]
        rows += b"\0" + rgb

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(bytes(rows), 1)))
        f.write(chunk(b"IEND", b""))


# ---------------------------------------------------------------- the run

def hud_values(path):
    try:
        with open(path) as f:
            return [float(line) for line in f if line.strip()]
    except (OSError, ValueError):
        return []


def stop_tree(root, grace):
    """SIGTERM to the program and its children (by PID), SIGKILL after grace."""
    members = descendants(root)
    for pid in members:
        try:
            os.kill(pid, signal.SIGTERM)
        except OSError:
            pass
    deadline = time.monotonic() + grace
    while time.monotonic() < deadline and any(read_stat(p) for p in members if p != root):
        time.sleep(0.05)
    for pid in members:
        if read_stat(pid) is not None and pid != root:
            try:
                os.kill(pid, signal.SIGKILL)
            except OSError:
                pass


def on_term(signum, frame):
    # timeout(1) ends the run with SIGTERM: unwind, so that the program is
    # stopped by the cleanup below rather than left running.
    raise SystemExit(128 + signum)


def main():
    signal.signal(signal.SIGTERM, on_term)
    ap = argparse.ArgumentParser()
    ap.add_argument("--name", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--seconds", type=float, default=20.0)
    ap.add_argument("--settle", type=float, default=1.0)
    ap.add_argument("--first-cap", type=float, default=15.0)
    ap.add_argument("--poll", type=float, default=0.05)
    ap.add_argument("--lit", type=float, default=0.01,
                    help="share of lit pixels that counts as a picture")
    ap.add_argument("--xvfb-pid", type=int, required=True)
    ap.add_argument("--wine-prefix")
    ap.add_argument("--shot", help="PNG of the first picture and of the last moment")
    ap.add_argument("command", nargs=argparse.REMAINDER)
    args = ap.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command

    os.makedirs(args.work, exist_ok=True)
    hud_dir = os.path.join(args.work, "hud")
    os.makedirs(hud_dir, exist_ok=True)
    for name in os.listdir(hud_dir):
        os.unlink(os.path.join(hud_dir, name))
    env = dict(os.environ)
    env.pop("XSCREENSAVER_WINDOW", None)
    # Mesa's heads-up display, kept invisible, writes the frames swapped in
    # each one-second period to hud/fps: the same counter for all programs.
    env.update(GALLIUM_HUD="fps", GALLIUM_HUD_VISIBLE="false", GALLIUM_HUD_PERIOD="1",
               GALLIUM_HUD_DUMP_DIR=hud_dir, LIBGL_SHOW_FPS="1")
    log_path = os.path.join(args.work, "program.log")

    if read_stat(args.xvfb_pid) is None:
        raise SystemExit(f"the X server (PID {args.xvfb_pid}) has gone")
    screen = Screen(env["DISPLAY"])
    screen.clear()
    if lit_fraction(screen.grab()) >= args.lit:
        raise SystemExit("the screen is not black before the run")

    result = {"name": args.name, "command": command, "width": screen.width,
              "height": screen.height, "load1": os.getloadavg()[0],
              "seed": env.get("ZELLIK_SEED")}
    log = open(log_path, "wb")
    started = time.monotonic()
    proc = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL, stdout=log,
                            stderr=subprocess.STDOUT)
    try:
        first = None
        polls = 0
        while time.monotonic() - started < args.first_cap and proc.poll() is None:
            before = time.monotonic()
            shot = screen.grab()
            polls += 1
            if shot and lit_fraction(shot) >= args.lit:
                # The picture was on the screen when the server answered,
                # somewhere between the request and its arrival here.
                first = (before + time.monotonic()) / 2 - started
                if args.shot:
                    write_png(args.shot + "-first.png", shot)
                break
            time.sleep(args.poll)
        result["first_frame_s"] = first
        result["first_frame_polls"] = polls

        time.sleep(args.settle)
        if proc.poll() is not None:
            result["error"] = f"exited early with {proc.returncode}"
            return result

        wine_others = []
        if args.wine_prefix:
            mine = set(descendants(proc.pid))
            wine_others = [p for p in pids_of_prefix(args.wine_prefix) if p not in mine]
        hud_path = os.path.join(hud_dir, "fps")
        hud0 = len(hud_values(hud_path))
        t0 = time.monotonic()
        prog0 = tree_ticks(proc.pid)
        x0 = read_stat(args.xvfb_pid)[1]
        w0 = ticks_of(wine_others)
        time.sleep(args.seconds)
        t1 = time.monotonic()
        prog1 = tree_ticks(proc.pid)
        x1 = read_stat(args.xvfb_pid)[1]
        w1 = ticks_of(wine_others)
        hud = hud_values(hud_path)
        wall = t1 - t0
        result["wall_s"] = wall
        result["cpu"] = (prog1 - prog0) / CLOCK_TICKS / wall
        result["x_cpu"] = (x1 - x0) / CLOCK_TICKS / wall
        if args.wine_prefix:
            result["wine_cpu"] = (w1 - w0) / CLOCK_TICKS / wall
            result["wine_pids"] = len(wine_others)
        # Every period that ended inside the window; the first one may have
        # begun shortly before it.
        window = hud[hud0:]
        result["fps"] = sum(window) / len(window) if window else None
        result["fps_periods"] = len(window)
        result["hud_periods_total"] = len(hud)
        result["rss_peak_kb"] = status_kb(proc.pid, "VmHWM")
        result["threads"] = len(os.listdir(f"/proc/{proc.pid}/task"))
        # Whether the program hands its frames to the X server through a
        # shared memory segment (one MIT-SHM image) or copies them down the
        # socket: the X server's share depends on it.
        result["sysv_shm_maps"] = sysv_maps(proc.pid)
        if args.shot:
            shot = screen.grab()
            if shot:
                write_png(args.shot + "-last.png", shot)
        result["alive"] = proc.poll() is None
        if read_stat(args.xvfb_pid) is None:
            result["error"] = "the X server ended during the run"
        return result
    finally:
        if proc.poll() is None:
            stop_tree(proc.pid, 3.0)
            try:
                proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait(timeout=5)
        log.close()
        with open(log_path, "rb") as f:
            text = f.read().decode("latin-1")
        # Mesa prints "libGL: FPS = ..." only on its DRI2/DRI3 paths.
        result["show_fps_lines"] = sum(1 for line in text.splitlines() if "FPS" in line)
        screen.clear()
        screen.close()


if __name__ == "__main__":
    out = main()
    print(json.dumps(out), flush=True)
