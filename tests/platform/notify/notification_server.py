"""A notification server for the tests, on a bus the test runs itself.

Usage: /usr/bin/python3 notification_server.py ADDRESS OUT

Owns org.freedesktop.Notifications on the bus at ADDRESS, prints "ready" once
it does, and appends each Notify call to OUT as one JSON object a line. Ids
count from 1; a call that names an id to replace keeps that id. Ends when its
standard input closes, so it never outlives the test.
"""

import json
import sys

import dbus
import dbus.bus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

INTERFACE = "org.freedesktop.Notifications"


class Server(dbus.service.Object):
    def __init__(self, bus, out):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.out = out
        self.last = 0

    @dbus.service.method(INTERFACE, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app_name, replaces_id, app_icon, summary, body, actions, hints, timeout):
        if replaces_id:
            notice = int(replaces_id)
        else:
            self.last += 1
            notice = self.last
        record = {"app_name": str(app_name), "replaces_id": int(replaces_id), "id": notice,
                  "app_icon": str(app_icon), "summary": str(summary), "body": str(body),
                  "timeout": int(timeout)}
        if "urgency" in hints:
            record["urgency"] = int(hints["urgency"])
        if "image-data" in hints:
            width, height, stride, alpha, bits, channels, data = hints["image-data"]
            data = bytes(data)
            drawn = sum(1 for i in range(3, len(data), 4) if data[i] > 0)
            record["image"] = {"width": int(width), "height": int(height), "stride": int(stride),
                               "alpha": bool(alpha), "bits": int(bits),
                               "channels": int(channels), "bytes": len(data), "drawn": drawn}
        with open(self.out, "a") as file:
            file.write(json.dumps(record) + "\n")
        return notice

    @dbus.service.method(INTERFACE, in_signature="", out_signature="as")
    def GetCapabilities(self):
        return ["body"]

    @dbus.service.method(INTERFACE, in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return ("kelvo-test", "kelvo", "1", "1.2")


def main():
    address, out = sys.argv[1:3]
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(address)
    name = dbus.service.BusName(INTERFACE, bus)
    server = Server(bus, out)
    loop = GLib.MainLoop()
    GLib.io_add_watch(sys.stdin.fileno(), GLib.IO_IN | GLib.IO_HUP, lambda *_: loop.quit())
    print("ready", flush=True)
    loop.run()
    del name, server


if __name__ == "__main__":
    main()
