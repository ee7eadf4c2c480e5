"""What the console's test scripts share: their deadline, failing with a
message, polling with a deadline, and starting `hostsim console`."""
import os
import queue
import subprocess
import sys
import threading
import time

# 32-bit programs run through an emulator here: generous bounds, which a
# fast machine never comes near.
DEADLINE = float(os.environ.get("CONSOLE_TEST_DEADLINE", "300"))


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, check, deadline=DEADLINE, interval=0.02):
    end = time.monotonic() + deadline
    while time.monotonic() < end:
        value = check()
        if value:
            return value
        time.sleep(interval)
    fail("timed out waiting for " + what)


def start_console(hostsim, sandbox, tmp):
    """`hostsim console` on a free port of its own over `sandbox`; returns
    the process and the port it printed."""
    console = subprocess.Popen([hostsim, "console", "--port", "0", "--sandbox", sandbox],
                               stdout=subprocess.PIPE, text=True, env=dict(os.environ, TMPDIR=tmp))
    lines = queue.Queue()
    threading.Thread(target=lambda: [lines.put(l) for l in console.stdout], daemon=True).start()
    try:
        line = lines.get(timeout=DEADLINE)
    except queue.Empty:
        fail("the console printed no address")
    marker = "http://127.0.0.1:"
    if marker not in line:
        fail("unexpected first line: " + line)
    return console, int(line.split(marker)[1].split("/")[0])
