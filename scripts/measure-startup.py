#!/usr/bin/env python3
"""Start-up time of the desktop: from process launch to the main window shown.

Runs the desktop several times on the demo installation under a virtual X
server (its own Xvfb unless DISPLAY is set), and prints each run and the
median in milliseconds. The desktop reports the moment its main window is
first exposed when ORBA_STARTUP_PROBE is set, then quits.

    scripts/measure-startup.py [--runs N] [--offscreen]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=11)
    parser.add_argument("--offscreen", action="store_true",
                        help="use Qt's offscreen platform instead of an X server")
    args = parser.parse_args()

    orba = os.path.join(ROOT, "build", "bin", "orba")
    demo = os.path.join(ROOT, "build", "demo")
    if not os.path.exists(os.path.join(demo, "orba.ini")):
        subprocess.run([os.path.join(ROOT, "build", "bin", "orba-make-demo"), demo], check=True)
    languages = os.path.join(demo, "Orba", "languages")
    os.makedirs(languages, exist_ok=True)
    for name in os.listdir(os.path.join(ROOT, "build", "languages")):
        shutil.copy(os.path.join(ROOT, "build", "languages", name), languages)

    env = dict(os.environ, ORBA_SETTINGS=os.path.join(demo, "orba.ini"),
               ORBA_USER_SETTINGS=os.path.join(demo, "user.ini"), ORBA_STARTUP_PROBE="1")
    xvfb = None
    if args.offscreen:
        env["QT_QPA_PLATFORM"] = "offscreen"
    elif not env.get("DISPLAY"):
        if not shutil.which("Xvfb"):
            sys.exit("Xvfb is not installed; use --offscreen")
        env["DISPLAY"] = ":97"
        xvfb = subprocess.Popen(["Xvfb", ":97", "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(1.0)
        env.pop("QT_QPA_PLATFORM", None)

    times = []
    try:
        for _ in range(args.runs):
            start = time.monotonic_ns()
            out = subprocess.run([orba], cwd=os.path.join(demo, "Orba", "bin"), env=env,
                                 capture_output=True, text=True, timeout=60)
            line = [l for l in out.stdout.splitlines() if l.startswith("main-window-shown ")]
            if out.returncode != 0 or not line:
                sys.exit("the desktop did not report its main window:\n" + out.stderr)
            shown = int(line[0].split()[1])
            times.append((shown - start) / 1e6)
            print(f"run {len(times)}: {times[-1]:.1f} ms")
    finally:
        if xvfb:
            xvfb.terminate()
    print(f"median start-up to main window shown: {statistics.median(times):.1f} ms "
          f"over {len(times)} runs")


if __name__ == "__main__":
    main()
