#!/usr/bin/env python3
"""Every console screen replays byte for byte through its batch command.

One row per case: an operation of the console, the option values the page
would give, the key words pressed (from the operation's own key table) and
pauses between them. For each row the test starts the operation on one
`hostsim console` server (a free port, a sandbox copy of examples/),
presses the keys one at a time, each once the operation has handled the one
before, waits for the operation's state, takes the recording and the last
frame, runs the batch command line the recording names with the saved
script, and expects the very PNG bytes the page got. Pauses are real time
on purpose: a screen on a clock of its own must record the waits it applied,
whatever the machine's speed made of them.

usage: console_replay.py HOSTSIM EXAMPLES_DIR [ROW-NAME ...]
"""
import http.client
import json
import os
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.parse

from console_support import DEADLINE, fail, start_console, wait_for


# name, operation, options, steps (a key word, or a pause in seconds), the
# state the operation reaches.
ROWS = [
    ("ncview-scroll", "ncview", {"PROGRAM": "iso_ncview_frame.nc", "--size": "640x480"},
     ["down", "down", "pgdn", "right", "up"], "running"),
    ("dialog-typed", "transform-dialog", {"--type": "2"},
     ["next", "next", "enter", "X", "Y", "next", "1", "2", "point", "5", 0.3, "next", "sign", "3"], "running"),
    ("technol-field", "technol", {"FILE": "technology.txt"}, ["next", "4", "2", "previous"], "running"),
    ("view-parts", "view", {"PROGRAM": "flange.knf", "--size": "640x480"}, [], "finished"),
    # The scope on its own clock: keys with pauses, recording stopped, and
    # recording still running when the picture is taken.
    ("scope-stopped", "scope", {}, ["tb+", 0.3, "select", "auto", 0.2, "back", "scale+"], "running"),
    ("scope-run-stop", "scope", {"--sweep": "1", "--rows": "2000"}, ["run", 0.5, "tb-", 0.3, "stop"], "running"),
    ("scope-running", "scope", {"--layout": "L"}, ["run", 0.4], "running"),
    # The CAN monitor on its own clock: the log arriving between keys, a
    # packet composed in the "New packet" dialog.
    ("canview-scroll", "canview", {"--size": "640x480"}, [0.3, "down", "down", 0.2, "pane", "down", 0.3], "running"),
    ("canview-new", "canview", {"--fast": "1"}, ["new", "type:1", "type:A", "type:5", "down", "type:3", 0.2, "enter"], "running"),
    # libVitals: the panel's calls on its own cycle; the event log and the
    # screens called every cycle and with each key, on the operation's
    # clock (a pause is calls without a key).
    ("vitals-panel", "vitals-panel", {"--machine": "F", "--calls": "230"}, [], "finished"),
    ("vitals-events", "vitals-events", {"--ring": "events.txt", "--critical": "1", "--layout": "L"},
     ["live", 0.3, "back", "filter", "filter", "export"], "running"),
    ("vitals-slm", "vitals", {"SCREEN": "slm", "--layout": "P"}, ["1", 0.25, "2", "1"], "running"),
    ("vitals-leds", "vitals", {"SCREEN": "leds", "--leds": "165", "--labelled": "1"}, ["0"], "running"),
    # Each key held for one call, let go by the next one without a key.
    ("vitals-keyboard", "vitals-keyboard", {"--type": "M"}, ["4", "10", 0.25, "11", "60", "11", 0.3], "running"),
    # Anvil's CAN peripherals: an SDO read typed and sent, answered by the
    # simulated driver on the next call.
    ("can-periph-sdo", "can-periph", {"--nodes": "3,2"},
     ["node", "6", "4", "next", "2", "4", "5", "7", "6", "next", "1", "send", 0.3], "running"),
    ("led-window", "led", {"--corr": "-8", "--transform": "A"}, [], "finished"),
    # The file manager over a copy of a folder: its questions; the forms
    # called once a tick, the cursor blinking between keys.
    ("files-delete-newdir", "files", {"--drive-c": "tracer"},
     ["down", "mark", "delete", "enter", "newdir", "type:N", "type:1"], "running"),
    ("files-overwrite-question", "files", {"--drive-c": "tracer", "--size": "640x480"},
     ["end", "clip", "paste"], "running"),
    ("form-typed-blinking", "table-form", {"--form": "inkor2", "--table": "tracer/korekce.tab"},
     ["1", "5", "down", "left", "2", 0.4, "1", "2", "5", "down", 0.3], "running"),
    ("form-shift-written", "table-form", {"--form": "zapis", "--table": "tracer/korekce.tab"},
     ["down", "left", "1", "2", "down", "enter"], "ended"),
    # The contour transformation: typed into, and worked to the nested
    # program the program view draws.
    ("transform-typed", "transform", {"--kind": "2"}, ["clear", "3", "next", "2", "next", "6", "point", "5"], "running"),
    ("transform-written", "transform", {"--kind": "2"},
     ["clear", "3", "next", "2", "next", "6", "0", "next", "5", "0", "next", "next", "enter"], "ended"),
    # The machine moving: the path graphics' calls and the path view's run
    # steps between keys; one recording taken while the machine still
    # moves, one after it stopped with a key pressed there.
    ("path-moving", "path", {"--feed": "2", "--origin": "1"}, [0.4, "zoom-out", 0.3, "zoom-in", 0.3], "running"),
    ("path-ended", "path", {"--feed": "4", "--trail": "2"}, [0.3, "plane", 0.2, "snapshot"], "finished"),
    ("plotline-run", "plotline", {"--frames": "20"}, [0.3, "22", 0.4, "15"], "finished"),
    # The preprocessor's three inputs typed, one with a typo deleted and a
    # sign turned; the ISO program it writes is reported.
    ("preprocess-typed", "preprocess", {"SOURCE": "norvik/sized.prg", "--size": "640x480"},
     ["2", "0", "0", "enter", "1", "3", "delete", "2", "0", "enter", "1", "5", "sign", "sign", "enter"], "finished"),
    # The drawing layer's test cards, drawn once.
    ("card-pens", "pens-demo", {}, [], "finished"),
    ("card-display-form", "display-test", {"--style": "form"}, [], "finished"),
    ("card-screen", "screen-test", {"--size": "640x480"}, [], "finished"),
]


class Console:
    def __init__(self, hostsim, sandbox, tmp):
        self.process, self.port = start_console(hostsim, sandbox, tmp)

    def request(self, method, path, params=None):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=DEADLINE)
        body = urllib.parse.urlencode(params or {})
        headers = {"Content-Type": "application/x-www-form-urlencoded"} if method == "POST" else {}
        connection.request(method, path, body=body if method == "POST" else None, headers=headers)
        response = connection.getresponse()
        data = response.read()
        frame = response.getheader("X-Frame")
        connection.close()
        return response.status, data, frame

    def json(self, method, path, params=None):
        status, data, _ = self.request(method, path, params)
        reply = json.loads(data)
        if status != 200:
            fail("%s %s %s: %d %s" % (method, path, params, status, reply.get("error")))
        return reply

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(timeout=DEADLINE)
        except subprocess.TimeoutExpired:
            self.process.kill()
        return self.process.returncode


def state_reached(console, wanted):
    state = console.json("GET", "/api/state")
    if state["status"].startswith(("failed", "crashed")):
        fail("%s: %s" % (state["operation"], state["status"]))
    return state["status"].startswith(wanted) and state["frame"] > 0 and state


def run_row(console, hostsim, sandbox, work, row, key_codes):
    name, operation, options, steps, final = row
    params = {"operation": operation}
    params.update({"opt" + k: v for k, v in options.items()})
    console.json("POST", "/api/start", params)
    wait_for(name + ": the operation to start", lambda: state_reached(console, ("running", "finished")))
    pressed = 0
    for step in steps:
        if not isinstance(step, str):
            time.sleep(step)
            continue
        if step not in key_codes[operation]:
            fail("%s: no key %s in %s's table" % (name, step, operation))
        console.json("POST", "/api/key", {"code": key_codes[operation][step]})
        pressed += 1
        wait_for("%s: key %d handled" % (name, pressed), lambda: console.json("GET", "/api/state")["ready"] >= pressed)
    wait_for(name + ": the state " + final, lambda: state_reached(console, final))
    # The recording and the frame it leads to: a screen that goes on
    # drawing may move between the two requests, then both are taken again.
    script_name = "recordings/%s.txt" % name
    for _ in range(50):
        recorded = console.json("POST", "/api/record", {"name": script_name})
        status, page_png, frame = console.request("GET", "/frame.png")
        if status == 200 and int(frame) == recorded["frame"]:
            break
    else:
        fail(name + ": the frame kept changing between the recording and the picture")
    command = shlex.split(recorded["command"])
    if command[0] != "hostsim" or command[-2:] != ["--png", "OUT.png"]:
        fail("%s: unexpected replay command: %s" % (name, recorded["command"]))
    batch_png = os.path.join(work, name + ".png")
    run = subprocess.run([hostsim] + command[1:-1] + [batch_png], cwd=sandbox, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True, timeout=DEADLINE)
    if run.returncode != 0:
        fail("%s: %s ended with %d: %s" % (name, recorded["command"], run.returncode, run.stderr))
    with open(batch_png, "rb") as f:
        if f.read() != page_png:
            fail("%s: the page's frame differs from the PNG of %s\nscript:\n%s"
                 % (name, recorded["command"], recorded["script"]))
    steps = [l for l in recorded["script"].splitlines() if l and not l.startswith("#")]
    print("%s: replayed to the same %d bytes by %s with: %s"
          % (name, len(page_png), recorded["command"], ", ".join(steps) or "no keys"))


def main():
    if len(sys.argv) < 3:
        fail(__doc__)
    hostsim, examples, only = os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3:]
    rows = [r for r in ROWS if not only or r[0] in only]
    if not rows:
        fail("no row named " + " ".join(only))
    work = tempfile.mkdtemp(prefix="console-replay-")
    sandbox = os.path.join(work, "sandbox")
    shutil.copytree(examples, sandbox)
    tmp = os.path.join(work, "tmp")
    os.makedirs(tmp)
    console = Console(hostsim, sandbox, tmp)
    try:
        operations = console.json("GET", "/api/operations")["operations"]
        key_codes = {o["id"]: {k["word"]: k["code"] for k in o["keys"]} for o in operations}
        for row in rows:
            run_row(console, hostsim, sandbox, work, row, key_codes)
        console.json("POST", "/api/stop")
    finally:
        returncode = console.stop()
        left = os.listdir(tmp)
        shutil.rmtree(work, ignore_errors=True)
    if returncode != 0:
        fail("the console ended with status %d" % returncode)
    if left:
        fail("the console left folders behind: " + ", ".join(left))


if __name__ == "__main__":
    main()
