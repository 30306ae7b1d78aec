#!/usr/bin/python3
"""The desktop portal's GlobalShortcuts interface, as documented, on the session bus of an
end-to-end test (no desktop here offers it):

    fake_portal.py LOG-FILE

CreateSession and BindShortcuts answer with a Response signal on the request object that the
caller's handle_token names; each bound shortcut is written to LOG-FILE as "id<TAB>trigger".
The test presses a shortcut with the method org.pathkeep.FakePortal.Press(s id), which emits
Activated for it in the last session.
"""

import sys

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

PATH = "/org/freedesktop/portal/desktop"
INTERFACE = "org.freedesktop.portal.GlobalShortcuts"
XML = """
<node>
  <interface name="org.freedesktop.portal.GlobalShortcuts">
    <method name="CreateSession">
      <arg type="a{sv}" name="options" direction="in"/>
      <arg type="o" name="handle" direction="out"/>
    </method>
    <method name="BindShortcuts">
      <arg type="o" name="session_handle" direction="in"/>
      <arg type="a(sa{sv})" name="shortcuts" direction="in"/>
      <arg type="s" name="parent_window" direction="in"/>
      <arg type="a{sv}" name="options" direction="in"/>
      <arg type="o" name="handle" direction="out"/>
    </method>
    <signal name="Activated">
      <arg type="o" name="session_handle"/>
      <arg type="s" name="shortcut_id"/>
      <arg type="t" name="timestamp"/>
      <arg type="a{sv}" name="options"/>
    </signal>
    <property name="version" type="u" access="read"/>
  </interface>
  <interface name="org.pathkeep.FakePortal">
    <method name="Press">
      <arg type="s" name="id" direction="in"/>
    </method>
  </interface>
</node>
"""

log_path = sys.argv[1]
state = {"session": None, "pressed": 0}


def request_path(sender, options):
    token = options.get("handle_token", "t")
    return "%s/request/%s/%s" % (PATH, sender[1:].replace(".", "_"), token)


def respond(connection, path, results):
    def send():
        connection.emit_signal(None, path, "org.freedesktop.portal.Request", "Response",
                               GLib.Variant("(ua{sv})", (0, results)))
        return False
    GLib.idle_add(send)


def on_call(connection, sender, path, interface, method, params, invocation):
    if method == "CreateSession":
        options = params.unpack()[0]
        session = "%s/session/%s/%s" % (PATH, sender[1:].replace(".", "_"),
                                        options.get("session_handle_token", "s"))
        state["session"] = session
        handle = request_path(sender, options)
        invocation.return_value(GLib.Variant("(o)", (handle,)))
        respond(connection, handle, {"session_handle": GLib.Variant("s", session)})
    elif method == "BindShortcuts":
        session, shortcuts, _parent, options = params.unpack()
        if session != state["session"]:
            invocation.return_dbus_error("org.freedesktop.DBus.Error.InvalidArgs", "no session")
            return
        with open(log_path, "a") as log:
            for shortcut_id, properties in shortcuts:
                log.write("%s\t%s\n" % (shortcut_id, properties.get("preferred_trigger", "")))
        handle = request_path(sender, options)
        invocation.return_value(GLib.Variant("(o)", (handle,)))
        given = [(i, {"trigger_description": GLib.Variant("s", p.get("preferred_trigger", ""))})
                 for i, p in shortcuts]
        respond(connection, handle, {"shortcuts": GLib.Variant("a(sa{sv})", given)})
    elif method == "Press":
        state["pressed"] += 1
        connection.emit_signal(None, PATH, INTERFACE, "Activated",
                               GLib.Variant("(osta{sv})",
                                            (state["session"] or "/", params.unpack()[0],
                                             state["pressed"], {})))
        invocation.return_value(None)


def on_get(connection, sender, path, interface, name):
    return GLib.Variant("u", 1)


def main():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    node = Gio.DBusNodeInfo.new_for_xml(XML)
    for info in node.interfaces:
        bus.register_object(PATH, info, on_call, on_get, None)
    loop = GLib.MainLoop()
    Gio.bus_own_name_on_connection(bus, "org.freedesktop.portal.Desktop",
                                   Gio.BusNameOwnerFlags.NONE,
                                   lambda *a: open(log_path, "a").close(),
                                   lambda *a: loop.quit())
    loop.run()


if __name__ == "__main__":
    main()
