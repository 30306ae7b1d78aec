#!/usr/bin/python3
"""Reads and drives the running pathkeep through the accessibility bus, as a screen reader does.

Used by the end-to-end tests (run inside their own D-Bus session, with
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 set for pathkeep). As a command:

    atspi_driver.py wait WINDOW [SECONDS]     waits until a window named WINDOW shows
    atspi_driver.py texts WINDOW              prints "role<TAB>name" for everything in it,
                                              list and combo box entries included
    atspi_driver.py click WINDOW BUTTON       clicks the button named BUTTON (xdotool, at the
                                              button's place on the screen)
    atspi_driver.py press WINDOW BUTTON       runs the button's action through the bus (the
                                              program answers once the action returns, so a
                                              button that opens a modal window is pressed
                                              without waiting for the answer)
    atspi_driver.py windows                   prints the names of the program's windows
    atspi_driver.py doubleclick WINDOW CELL   waits until a table cell named CELL shows in
                                              WINDOW and double-clicks it (xdotool)
    atspi_driver.py cell WINDOW CELL          waits until a table cell named CELL shows
    atspi_driver.py clickcell WINDOW CELL     the same with a single click (selects its row)
    atspi_driver.py fields WINDOW             prints "name<TAB>text" for each showing text
                                              entry (its name is its label's text)

Names compare without '&' and surrounding spaces; a WINDOW may also be a regular expression
when it starts with '~'. Exit status 0 on success, 1 when the window or button is missing.
"""

import re
import subprocess
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

# The per-interface getters are deprecated in newer AT-SPI; the calls below work on both.
warnings.filterwarnings("ignore", category=DeprecationWarning)

APP_NAME = "pathkeep"
WINDOW_ROLES = {
    Atspi.Role.FRAME,
    Atspi.Role.DIALOG,
    Atspi.Role.WINDOW,
    Atspi.Role.ALERT,
    Atspi.Role.FILE_CHOOSER,
}


def clean(name):
    return (name or "").replace("&", "").strip()


def matches(pattern, name):
    if pattern.startswith("~"):
        return re.search(pattern[1:], name or "") is not None
    return clean(pattern) == clean(name)


def applications():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and (app.get_name() or "").lower().startswith(APP_NAME):
            yield app


def children(node):
    try:
        count = node.get_child_count()
    except Exception:  # the object went away while we looked
        return []
    out = []
    for i in range(count):
        try:
            child = node.get_child_at_index(i)
        except Exception:
            continue
        if child is not None:
            out.append(child)
    return out


def walk(node, depth=0, limit=60):
    yield node
    if depth >= limit:
        return
    for child in children(node):
        yield from walk(child, depth + 1, limit)


def showing(node):
    try:
        return node.get_state_set().contains(Atspi.StateType.SHOWING)
    except Exception:
        return False


def windows():
    """Every top-level window of the program that shows, frames and dialogs alike."""
    found = []
    for app in applications():
        for top in children(app):
            if top.get_role() in WINDOW_ROLES and showing(top):
                found.append(top)
    return found


def find_window(pattern):
    for window in windows():
        if matches(pattern, window.get_name()):
            return window
    # Dialogs that Qt parents inside the frame: look one level deeper too.
    for window in windows():
        for node in walk(window, limit=8):
            if node.get_role() in WINDOW_ROLES and matches(pattern, node.get_name()) \
                    and showing(node):
                return node
    return None


def wait_window(pattern, seconds=20.0):
    """The window, looked for at least once (SECONDS 0: is it there now?)."""
    end = time.monotonic() + seconds
    while True:
        window = find_window(pattern)
        if window is not None or time.monotonic() >= end:
            return window
        time.sleep(0.2)


def role_name(node):
    try:
        return node.get_role_name()
    except Exception:
        return "unknown"


def texts(window):
    """(role, text) for every object in the window a screen reader would announce."""
    out = []
    for node in walk(window):
        if node is window:
            continue
        try:
            name = node.get_name() or ""
        except Exception:
            continue
        role = role_name(node)
        if not name:
            try:
                text_if = node.get_text_iface()
                if text_if is not None:
                    name = text_if.get_text(0, text_if.get_character_count())
            except Exception:
                name = ""
        out.append((role, name, showing(node)))
    return out


def find_button(window, name):
    for node in walk(window):
        if node.get_role() in (Atspi.Role.PUSH_BUTTON, Atspi.Role.TOGGLE_BUTTON) \
                and matches(name, node.get_name()) and showing(node):
            return node
    return None


def click(window, name):
    button = find_button(window, name)
    if button is None:
        return False
    box = button.get_extents(Atspi.CoordType.SCREEN)
    x = box.x + box.width // 2
    y = box.y + box.height // 2
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True)
    return True


def press(window, name):
    button = find_button(window, name)
    if button is None:
        return False
    action = button.get_action_iface()
    if action is None or action.get_n_actions() == 0:
        return False
    Atspi.set_timeout(3000, -1)
    try:
        return bool(action.do_action(0))
    except GLib.Error as error:
        # No answer: the action is running a modal window of its own.
        if "reply" in str(error).lower():
            return True
        raise


def find_cell(window, name):
    """A showing table cell named `name`: the visible rows of each table in the window."""
    for node in walk(window):
        if node.get_role() != Atspi.Role.TABLE or not showing(node):
            continue
        for cell in walk(node, limit=3):
            if cell.get_role() in (Atspi.Role.TABLE_CELL, Atspi.Role.LIST_ITEM) \
                    and matches(name, cell.get_name()) and showing(cell):
                return cell
    return None


def wait_cell(window, name, seconds=20.0):
    end = time.monotonic() + seconds
    cell = find_cell(window, name)
    while cell is None and time.monotonic() < end:
        time.sleep(0.2)
        cell = find_cell(window, name)
    return cell


def click_cell(window, name, clicks):
    cell = wait_cell(window, name)
    if cell is None:
        return False
    box = cell.get_extents(Atspi.CoordType.SCREEN)
    x = box.x + box.width // 2
    y = box.y + box.height // 2
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "--repeat", str(clicks),
                    "--delay", "80", "1"], check=True)
    return True


def fields(window):
    """(name, text) for each showing text entry of the window."""
    out = []
    for node in walk(window):
        if node.get_role() not in (Atspi.Role.TEXT, Atspi.Role.ENTRY,
                                   Atspi.Role.PASSWORD_TEXT) or not showing(node):
            continue
        try:
            text_if = node.get_text_iface()
            text = text_if.get_text(0, text_if.get_character_count()) if text_if else ""
        except Exception:
            text = ""
        out.append((clean(node.get_name()), text))
    return out


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    command = argv[1]
    if command == "windows":
        for window in windows():
            print(window.get_name())
        return 0
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    seconds = float(argv[3]) if command == "wait" and len(argv) > 3 else 20.0
    window = wait_window(argv[2], seconds)
    if window is None:
        print("no window named %r; windows: %r" % (argv[2], [w.get_name() for w in windows()]),
              file=sys.stderr)
        return 1
    if command == "wait":
        return 0
    if command == "texts":
        for role, name, shown in texts(window):
            print("%s\t%s\t%s" % (role, name, "showing" if shown else "hidden"))
        return 0
    if command in ("click", "press") and len(argv) > 3:
        done = click(window, argv[3]) if command == "click" else press(window, argv[3])
        if not done:
            print("no button named %r in %r" % (argv[3], argv[2]), file=sys.stderr)
            return 1
        return 0
    if command == "fields":
        for name, text in fields(window):
            print("%s\t%s" % (name, text))
        return 0
    if command in ("cell", "doubleclick", "clickcell") and len(argv) > 3:
        if command == "cell":
            found = wait_cell(window, argv[3]) is not None
        else:
            found = click_cell(window, argv[3], 2 if command == "doubleclick" else 1)
        if not found:
            print("no cell named %r in %r" % (argv[3], argv[2]), file=sys.stderr)
            return 1
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
