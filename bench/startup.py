#!/usr/bin/python3
"""Start-up benchmark: time from spawning a program to its top-level window
being mapped on the X server, and the process's peak memory, for Halvora and
for a bare Qt window started the same way. Run under Xvfb (bench/run.sh)."""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from Xlib import X, display, protocol

RUNS = int(os.environ.get("RUNS", "15"))


# One connection for the whole run: an X server without clients resets
# itself, and a connection opened during that reset is refused.
d = display.Display()
d.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)
d.sync()


def run_once(argv, cwd):
    while d.pending_events():
        d.next_event()
    start = time.perf_counter()
    proc = subprocess.Popen(argv, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    mapped = None
    while mapped is None:
        ev = d.next_event()
        if ev.type == X.MapNotify:
            mapped = time.perf_counter() - start
            window = ev.window
    # Closing the way a window manager does, then collect the peak memory.
    protocols = d.intern_atom("WM_PROTOCOLS")
    delete = d.intern_atom("WM_DELETE_WINDOW")
    event = protocol.event.ClientMessage(window=window, client_type=protocols,
                                         data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    window.send_event(event, event_mask=X.NoEventMask)
    d.flush()
    _, status, usage = os.wait4(proc.pid, 0)
    return mapped, usage.ru_maxrss / 1024.0, status


def measure(name, argv, cwd):
    times, peaks = [], []
    run_once(argv, cwd)  # warm the file cache
    for _ in range(RUNS):
        t, rss, status = run_once(argv, cwd)
        if status != 0:
            sys.exit(f"{name} exited with status {status}")
        times.append(t * 1000)
        peaks.append(rss)
    med = statistics.median(times)
    print(f"{name:14s} start-up to mapped window: median {med:7.1f} ms "
          f"(min {min(times):6.1f}, max {max(times):6.1f}); peak RSS {statistics.median(peaks):6.1f} MiB")
    return med, statistics.median(peaks)


def main():
    halvora, bare, db = sys.argv[1:4]
    with tempfile.TemporaryDirectory() as work:
        shutil.copy(halvora, os.path.join(work, "halvora"))
        shutil.copy(db, os.path.join(work, "BazaIzotopow.mdb"))
        b_t, b_m = measure("bare window", [bare], work)
        h_t, h_m = measure("halvora", [os.path.join(work, "halvora")], work)
    print(f"ratio halvora / bare window: start-up {h_t / b_t:.2f}x (target <= 1.3x), "
          f"peak memory {h_m / b_m:.2f}x")


if __name__ == "__main__":
    main()
