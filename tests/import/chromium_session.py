#!/usr/bin/env python3
"""Runs Chromium once, headless, on a new profile, so that it writes its own "Bookmarks" file:

    chromium_session.py CHROMIUM PROFILE-FOLDER EXPECTED-LINKS [--create ENTRIES.json]
                        [--import BOOKMARK-FILE]

--create: a small unpacked extension adds the bookmarks of ENTRIES.json through
chrome.bookmarks, each {"root": "bookmark_bar" | "other", "folders": [...], "title", "url"};
folders are made as they are first named.
--import: Chromium imports BOOKMARK-FILE on its first run, as a distribution's initial
preferences tell it ("import_bookmarks_from_file"). Chromium reads those only from one fixed
file, so they are bound over it in a mount namespace of this run alone (root only); the file
itself is not changed.

Chromium writes the file a moment after its bookmarks change. Once it holds EXPECTED-LINKS
links Chromium is asked to end (SIGTERM, its clean shutdown). Exit status 0 when the file was
written with them, 1 otherwise (with the reason).
"""

import json
import os
import signal
import subprocess
import sys
import time

INITIAL_PREFERENCES = "/etc/chromium/master_preferences"

BACKGROUND = """
const ENTRIES = %s;
(async () => {
  const tree = (await chrome.bookmarks.getTree())[0].children;
  const roots = {bookmark_bar: tree[0].id, other: tree[1].id};
  const made = new Map();
  for (const e of ENTRIES) {
    let parent = roots[e.root];
    let key = e.root;
    for (const name of e.folders) {
      key += "\\u0000" + name;
      if (!made.has(key))
        made.set(key, (await chrome.bookmarks.create({parentId: parent, title: name})).id);
      parent = made.get(key);
    }
    await chrome.bookmarks.create({parentId: parent, title: e.title, url: e.url});
  }
})();
"""


def links_in(path):
    try:
        with open(path, encoding="utf-8") as f:
            document = json.load(f)
    except (OSError, ValueError):
        return -1

    def count(node):
        if node.get("type") == "url":
            return 1
        return sum(count(child) for child in node.get("children", []))

    return sum(count(root) for root in document.get("roots", {}).values()
               if isinstance(root, dict))


def main():
    arguments = sys.argv[1:]
    chromium, profile, expected = arguments[0], arguments[1], int(arguments[2])
    options = dict(zip(arguments[3::2], arguments[4::2]))
    os.makedirs(profile, exist_ok=True)
    command = [chromium, "--headless=new", "--no-sandbox", "--disable-gpu",
               "--user-data-dir=" + os.path.join(profile, "data"),
               "--no-default-browser-check", "--disable-background-networking"]
    if "--create" in options:
        extension = os.path.join(profile, "extension")
        os.makedirs(extension, exist_ok=True)
        with open(options["--create"], encoding="utf-8") as f:
            entries = json.load(f)
        with open(os.path.join(extension, "manifest.json"), "w") as f:
            json.dump({"manifest_version": 3, "name": "bookmark maker", "version": "1",
                       "permissions": ["bookmarks"],
                       "background": {"service_worker": "background.js"}}, f)
        with open(os.path.join(extension, "background.js"), "w", encoding="utf-8") as f:
            f.write(BACKGROUND % json.dumps(entries))
        command += ["--disable-features=DisableLoadExtensionCommandLineSwitch",
                    "--load-extension=" + extension]
    if "--import" in options:
        preferences = os.path.join(profile, "initial_preferences")
        with open(preferences, "w") as f:
            json.dump({"distribution": {"import_bookmarks": False,
                                        "import_bookmarks_from_file":
                                            os.path.abspath(options["--import"]),
                                        "make_chrome_default_for_user": False,
                                        "skip_first_run_ui": True}}, f)
        command = ["unshare", "-m", "sh", "-c",
                   'mount --bind "$0" "$1" && shift && exec "$@"',
                   preferences, INITIAL_PREFERENCES] + command + ["--force-first-run"]
    else:
        command.append("--no-first-run")
    command.append("about:blank")

    bookmarks = os.path.join(profile, "data", "Default", "Bookmarks")
    environment = dict(os.environ, HOME=profile)
    log = open(os.path.join(profile, "chromium.log"), "w")
    process = subprocess.Popen(command, stdout=log, stderr=subprocess.STDOUT, env=environment,
                               start_new_session=True)
    try:
        deadline = time.monotonic() + 120
        while links_in(bookmarks) < expected:
            if process.poll() is not None:
                raise RuntimeError("Chromium ended early (status %d)" % process.returncode)
            if time.monotonic() > deadline:
                raise RuntimeError("Chromium wrote %d of %d links"
                                   % (max(links_in(bookmarks), 0), expected))
            time.sleep(0.2)
        process.send_signal(signal.SIGTERM)
        process.wait(timeout=60)
    except Exception as e:
        process.kill()
        process.wait()
        print("chromium_session: %s (log in %s)" % (e, log.name), file=sys.stderr)
        return 1
    finally:
        try:  # helpers of Chromium's that outlived it
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
    if links_in(bookmarks) != expected:
        print("chromium_session: %s holds %d links, not %d"
              % (bookmarks, links_in(bookmarks), expected), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
