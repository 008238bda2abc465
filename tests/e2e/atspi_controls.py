#!/usr/bin/python3
"""Lists what an assistive-technology client sees of the running program on
the accessibility bus: one line per showing control, "role<TAB>name<TAB>states".
With --press NAME it first presses the control of that name through the bus."""
import sys
import time

import pyatspi

CONTROLS = {"push button", "check box", "radio button", "slider", "combo box", "text", "list item",
            "menu item", "scroll bar", "link", "dialog", "entry"}


def application():
    for _ in range(50):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and "kestrel" in (app.name or "").lower():
                return app
        time.sleep(0.2)
    return None


def controls(node, out, depth=0):
    if depth > 64:
        return
    try:
        role, name, states = node.getRoleName(), node.name or "", node.getState()
    except Exception:
        return
    if role in CONTROLS and states.contains(pyatspi.STATE_VISIBLE):
        flags = []
        if role in ("check box", "radio button"):
            flags.append("checked" if states.contains(pyatspi.STATE_CHECKED) else "unchecked")
        if role == "slider":
            value = node.queryValue()
            flags.append("%g..%g" % (value.minimumValue, value.maximumValue))
        out.append((role, name, " ".join(flags), node))
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            controls(child, out, depth + 1)


def main():
    app = application()
    if app is None:
        print("no application on the bus")
        return 1
    found = []
    controls(app, found)
    if len(sys.argv) > 2 and sys.argv[1] == "--press":
        target = [c for c in found if c[1] == sys.argv[2]]
        if not target:
            print("nothing named", sys.argv[2])
            return 1
        target[0][3].queryAction().doAction(0)
        time.sleep(1.0)
        found = []
        controls(app, found)
    for role, name, flags, _ in found:
        print("%s\t%s\t%s" % (role, name, flags))
    return 0


sys.exit(main())
