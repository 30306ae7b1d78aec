#!/usr/bin/env python3
"""Runs Firefox once, headless, on a new profile: it imports a bookmark file when it starts and
writes its own bookmark file over it when it quits (and keeps places.sqlite in the profile).

    firefox_session.py FIREFOX PROFILE-FOLDER BOOKMARK-FILE

Firefox is told to quit through its remote protocol (Marionette), so that it closes cleanly and
exports. Exit status 0 when Firefox quit and wrote the file, 1 otherwise (with the reason).
"""

import json
import os
import socket
import subprocess
import sys
import time


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def connect(port, process, deadline):
    while True:
        try:
            return socket.create_connection(("127.0.0.1", port), timeout=30)
        except OSError:
            if process.poll() is not None:
                raise RuntimeError("Firefox ended before it listened (status %d)" % process.returncode)
            if time.monotonic() > deadline:
                raise RuntimeError("Firefox did not listen on port %d" % port)
            time.sleep(0.2)


def receive(s):
    length = b""
    while not length.endswith(b":"):
        chunk = s.recv(1)
        if not chunk:
            raise RuntimeError("the connection to Firefox closed")
        length += chunk
    size = int(length[:-1])
    data = b""
    while len(data) < size:
        chunk = s.recv(size - len(data))
        if not chunk:
            raise RuntimeError("the connection to Firefox closed")
        data += chunk
    return json.loads(data)


def command(s, number, name, parameters):
    body = json.dumps([0, number, name, parameters]).encode()
    s.sendall(str(len(body)).encode() + b":" + body)
    reply = receive(s)
    if reply[2] is not None:
        raise RuntimeError("%s: %s" % (name, reply[2].get("message", reply[2])))
    return reply[3]


def main():
    firefox, profile, bookmarks = sys.argv[1:4]
    os.makedirs(profile, exist_ok=True)
    port = free_port()
    prefs = {
        "browser.places.importBookmarksHTML": True,
        "browser.bookmarks.autoExportHTML": True,
        "browser.bookmarks.file": os.path.abspath(bookmarks),
        "browser.shell.checkDefaultBrowser": False,
        "browser.aboutwelcome.enabled": False,
        "datareporting.policy.dataSubmissionEnabled": False,
        "toolkit.telemetry.reportingpolicy.firstRun": False,
        "app.update.disabledForTesting": True,
        "marionette.port": port,
    }
    with open(os.path.join(profile, "user.js"), "w") as f:
        for key, value in prefs.items():
            f.write("user_pref(%s, %s);\n" % (json.dumps(key), json.dumps(value)))
    before = os.stat(bookmarks).st_mtime_ns
    environment = dict(os.environ, HOME=profile, MOZ_CRASHREPORTER_DISABLE="1")
    log = open(os.path.join(profile, "firefox.log"), "w")
    process = subprocess.Popen(
        [firefox, "-headless", "-no-remote", "-profile", profile, "--marionette", "about:blank"],
        stdout=log, stderr=subprocess.STDOUT, env=environment)
    try:
        s = connect(port, process, time.monotonic() + 120)
        receive(s)
        command(s, 1, "WebDriver:NewSession", {})
        command(s, 2, "Marionette:Quit", {"flags": ["eAttemptQuit"]})
        process.wait(timeout=120)
    except Exception as e:
        process.kill()
        process.wait()
        print("firefox_session: %s (log in %s)" % (e, log.name), file=sys.stderr)
        return 1
    if process.returncode != 0:
        print("firefox_session: Firefox ended with status %d" % process.returncode, file=sys.stderr)
        return 1
    if os.stat(bookmarks).st_mtime_ns == before:
        print("firefox_session: Firefox did not write " + bookmarks, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
