#!/usr/bin/env python3
"""The operator console in a headless Chromium, driven through the DevTools
protocol over --remote-debugging-pipe (Python's standard library only).

Starts `hostsim console` on a free port with a fresh sandbox, opens the page,
draws a program with the program view until it reports finished, crashes
that operation's process and expects the page to say so, then presses keys
of the transformation dialog on the PC keyboard, saves the recording and
checks that the batch command it names writes the very PNG the page shows.
A request with a foreign Origin or Host must be refused. Every wait has a
deadline; none is a fixed sleep.

usage: console_browser.py HOSTSIM EXAMPLES_DIR [--screenshot FILE]
"""
import argparse
import base64
import http.client
import json
import os
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

from console_support import DEADLINE, fail, start_console, wait_for



class Browser:
    """Chromium with its DevTools protocol on fds 3 (commands in) and 4
    (replies and events out), NUL-separated JSON."""

    def __init__(self, profile):
        exe = shutil.which("chromium") or shutil.which("chromium-browser")
        if not exe:
            fail("chromium is not installed (tools/setup.sh installs it)")
        to_browser_r, self.to_browser = os.pipe()
        self.from_browser, from_browser_w = os.pipe()

        def plumb():
            os.dup2(to_browser_r, 3)
            os.dup2(from_browser_w, 4)

        self.process = subprocess.Popen(
            [exe, "--headless=new", "--no-sandbox", "--disable-gpu", "--remote-debugging-pipe",
             "--no-first-run", "--no-default-browser-check", "--user-data-dir=" + profile,
             "--window-size=1400,950", "about:blank"],
            preexec_fn=plumb, close_fds=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self.next_id = 0
        self.replies = {}
        self.arrived = threading.Condition()
        threading.Thread(target=self._read, daemon=True).start()
        self.session = None

    def _read(self):
        pending = b""
        while True:
            chunk = os.read(self.from_browser, 65536)
            if not chunk:
                break
            pending += chunk
            while b"\0" in pending:
                message, pending = pending.split(b"\0", 1)
                data = json.loads(message)
                if "id" in data:
                    with self.arrived:
                        self.replies[data["id"]] = data
                        self.arrived.notify_all()

    def call(self, method, session=True, **params):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if session and self.session:
            message["sessionId"] = self.session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        end = time.monotonic() + DEADLINE
        with self.arrived:
            while self.next_id not in self.replies:
                left = end - time.monotonic()
                if left <= 0:
                    fail("the browser did not answer " + method)
                self.arrived.wait(left)
            reply = self.replies.pop(self.next_id)
        if "error" in reply:
            fail(method + ": " + json.dumps(reply["error"]))
        return reply["result"]

    def open(self, url):
        target = self.call("Target.createTarget", session=False, url="about:blank")["targetId"]
        self.session = self.call("Target.attachToTarget", session=False, targetId=target, flatten=True)["sessionId"]
        self.call("Emulation.setDeviceMetricsOverride", width=1400, height=950, deviceScaleFactor=1, mobile=False)
        self.call("Page.navigate", url=url)

    def js(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, awaitPromise=True, returnByValue=True)
        if "exceptionDetails" in result:
            fail("script failed: " + expression + ": " + json.dumps(result["exceptionDetails"]))
        return result["result"].get("value")

    def key(self, key, code, text=None):
        down = {"type": "keyDown", "key": key, "code": code}
        if text:
            down["text"] = text
        self.call("Input.dispatchKeyEvent", **down)
        self.call("Input.dispatchKeyEvent", type="keyUp", key=key, code=code)

    def close(self):
        try:
            self.call("Browser.close", session=False)
            self.process.wait(timeout=30)
        except (subprocess.TimeoutExpired, SystemExit):
            self.process.kill()


def http_status(port, path, host=None, origin=None):
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=DEADLINE)
    headers = {"Host": host or "127.0.0.1:%d" % port}
    if origin:
        headers["Origin"] = origin
    connection.request("GET", path, headers=headers)
    status = connection.getresponse().status
    connection.close()
    return status


def operation_children(parent):
    """Process ids of the console's hostsim-operation children."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/stat" % pid) as f:
                ppid = int(f.read().rsplit(")", 1)[1].split()[1])
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                command = f.read()
        except (OSError, ValueError, IndexError):
            continue
        if ppid == parent and b"hostsim-operation" in command:
            found.append(int(pid))
    return found


def status_is(browser, state):
    return browser.js("consoleState.status") == state


def start_operation(browser, operation, options):
    setting = "".join("document.querySelector('[data-option=\"%s\"]').value = %s;" % (name, json.dumps(value))
                      for name, value in options.items())
    browser.js("$('operation').value = %s; $('operation').onchange(); %s start()"
               % (json.dumps(operation), setting))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("hostsim")
    parser.add_argument("examples")
    parser.add_argument("--screenshot")
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="console-browser-")
    sandbox = os.path.join(work, "sandbox")
    os.makedirs(os.path.join(sandbox, "programs"))
    shutil.copy(os.path.join(args.examples, "flange.knf"), os.path.join(sandbox, "programs"))
    # The operations' own folders go here, and must all be gone at the end.
    tmp = os.path.join(work, "tmp")
    os.makedirs(tmp)
    console, port = start_console(os.path.abspath(args.hostsim), sandbox, tmp)
    browser = None
    try:
        # Another site's page, or a name rebound to this machine, is refused.
        for host, origin in [(None, "http://evil.example"), ("evil.example:%d" % port, None)]:
            status = http_status(port, "/api/files", host, origin)
            if status != 403:
                fail("a request with Host %s, Origin %s got %d, not 403" % (host, origin, status))
        if http_status(port, "/api/files", None, "http://127.0.0.1:%d" % port) != 200:
            fail("the console's own origin was refused")

        browser = Browser(os.path.join(work, "profile"))
        browser.open("http://127.0.0.1:%d/" % port)
        wait_for("the page", lambda: browser.js("!!(window.consoleState && consoleState.ready)"))

        # The program view draws to the end on the live tick counter.
        start_operation(browser, "view", {"PROGRAM": "programs/flange.knf"})
        wait_for("the view to finish", lambda: status_is(browser, "finished"))
        wait_for("the drawing on the page", lambda: browser.js("consoleState.shown > 0"))
        # Its process crashing takes down that operation only.
        children = wait_for("the view's process", lambda: operation_children(console.pid))
        os.kill(children[0], signal.SIGSEGV)
        wait_for("the crash on the page", lambda: status_is(browser, "crashed"))
        if "signal 11" not in browser.js("$('status').textContent"):
            fail("the page does not name the signal: " + browser.js("$('status').textContent"))

        # The transformation dialog, driven from the PC keyboard.
        start_operation(browser, "transform-dialog", {"--type": "1"})
        wait_for("the dialog", lambda: status_is(browser, "running") and browser.js("consoleState.shown > 0"))
        browser.js("document.activeElement.blur()")
        # To the axis field, X and Y chosen, then a1 12.5, a2 3 and the
        # angle 45 typed.
        down, enter = ("ArrowDown", "ArrowDown", None), ("Enter", "Enter", None)
        typed = {c: (c, ("Digit" + c) if c.isdigit() else "Period" if c == "." else "Key" + c.upper(), c)
                 for c in "0123456789.xy"}
        keys = [down, down, enter, typed["x"], typed["y"], down, typed["1"], typed["2"], typed["."], typed["5"],
                down, typed["3"], down, typed["4"], typed["5"]]
        answers = ("[...$('log').children].filter(d => d.textContent.includes("
                   "'DLL_DATA_TRANSFORMACE returned')).length")
        # One key at a time, each once the page shows the dialog's answer to
        # the one before (and its frame, when the key changed the screen):
        # the page then times each key to its frame.
        for pressed, (key, code, text) in enumerate(keys, 1):
            browser.key(key, code, text)
            wait_for("the dialog's answer to key %d" % pressed, lambda: browser.js(answers) == pressed)
            wait_for("the page to show the frame of key %d" % pressed,
                     lambda: browser.js("consoleState.frame === consoleState.shown && !consoleState.loading"))
        if browser.js("consoleState.keysSent") != len(keys):
            fail("the page did not send every key")

        # Record, then replay the recording with the batch command it names.
        browser.js("$('script-name').value = 'recordings/keys.txt'; $('record').onclick()")
        recorded = wait_for("the recording", lambda: browser.js("consoleState.recorded || null"))
        script_path = os.path.join(sandbox, "recordings", "keys.txt")
        with open(script_path) as f:
            if f.read() != recorded["script"]:
                fail("the saved script differs from the one the page got")
        command = shlex.split(recorded["command"])
        if command[0] != "hostsim" or command[-2:] != ["--png", "OUT.png"]:
            fail("unexpected replay command: " + recorded["command"])
        batch_png = os.path.join(work, "batch.png")
        subprocess.run([os.path.abspath(args.hostsim)] + command[1:-1] + [batch_png], cwd=sandbox, check=True,
                       stdout=subprocess.DEVNULL, timeout=DEADLINE)
        page_png = base64.b64decode(browser.js(
            "fetch('/frame.png').then(r => r.arrayBuffer()).then(b => "
            "btoa(String.fromCharCode(...new Uint8Array(b))))"))
        with open(batch_png, "rb") as f:
            if f.read() != page_png:
                fail("the page's frame differs from the PNG the batch command writes for the recorded keys")

        latencies = browser.js("consoleState.latencies")
        delivery = browser.js("consoleState.delivery")
        if args.screenshot:
            shot = browser.call("Page.captureScreenshot", format="png")["data"]
            with open(args.screenshot, "wb") as f:
                f.write(base64.b64decode(shot))
        def spread(values):
            return "median %.0f ms, max %.0f ms over %d" % (sorted(values)[len(values) // 2], max(values), len(values))
        print("console: page frame equals the batch PNG (%d bytes)" % len(page_png))
        print("console: key pressed to its frame on the page: " + spread(latencies))
        print("console: frame drawn by the operation to shown on the page: " + spread(delivery))
    finally:
        if browser:
            browser.close()
        console.send_signal(signal.SIGTERM)
        try:
            console.wait(timeout=DEADLINE)
        except subprocess.TimeoutExpired:
            console.kill()
        left = os.listdir(tmp)
        shutil.rmtree(work, ignore_errors=True)
    if console.returncode != 0:
        fail("the console ended with status %d" % console.returncode)
    if left:
        fail("the console left folders behind: " + ", ".join(left))


if __name__ == "__main__":
    main()
