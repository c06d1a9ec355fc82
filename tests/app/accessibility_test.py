#!/usr/bin/python3
"""The editor as a screen reader sees it over the accessibility bus (AT-SPI): the example diagram's
every entity, row and box is found with its name and role; Tab and the arrow keys move the focus
through them; a removal is told.  Run on a display with a window manager, inside a session bus:
    dbus-run-session -- accessibility_test.py EDITOR DIAGRAM
"""
import os
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import GLib

# The example diagram as the surface must show it: entities with their rows, and the boxes, each
# with its role and what it links.
ENTITIES = {
    "Customer": ["CustNo", "Name", "Address", "Email", "Register", "CheckCredit"],
    "Order": ["OrderNo", "CustNo", "OrderDate", "Total", "Place", "Cancel", "ComputeTotal"],
    "Invoice": ["InvoiceNo", "OrderNo", "Amount", "Issue", "Pay"],
    "OrderLine": ["OrderNo", "LineNo", "ProductNo", "Quantity"],
    "Product": ["ProductNo", "Title", "UnitPrice", "Reprice"],
}
BOXES = {
    "places": "relation from Customer.CustNo to Order.CustNo",
    "bills": "relation from Invoice.OrderNo to Order.OrderNo",
    "has lines": "relation from Order.OrderNo to OrderLine.OrderNo",
    "refers to": "relation from OrderLine.ProductNo to Product.ProductNo",
    "OrderPlaced": "entity event from Order.Place to Customer.CheckCredit",
    "InvoicePaid": "entity event from Invoice.Pay to Order.ComputeTotal",
}
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED: " + what, flush=True)


def pump(seconds):
    """Lets the bus deliver what is waiting."""
    loop = GLib.MainLoop()
    GLib.timeout_add(int(seconds * 1000), loop.quit)
    loop.run()


def find(node, predicate):
    if predicate(node):
        return node
    for child in node:
        if child is not None:
            found = find(child, predicate)
            if found is not None:
                return found
    return None


def editor_application(pid):
    for _ in range(200):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == pid:
                return app
        time.sleep(0.1)
    return None


def key(name, window):
    subprocess.run(["xdotool", "key", "--window", window, name], check=True)
    pump(0.4)


def main(editor, diagram):
    events = []
    pyatspi.Registry.registerEventListener(
        lambda event: events.append((event.type, event.source.name if event.source else "")),
        "object:children-changed", "object:state-changed:focused", "object:state-changed:selected")
    # The user's own recent diagrams and recovery copies are not touched.
    state = tempfile.mkdtemp()
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", QT_QPA_PLATFORM="xcb",
               XDG_STATE_HOME=state, XDG_DATA_HOME=state)
    process = subprocess.Popen([editor, diagram], env=env)
    try:
        app = editor_application(process.pid)
        check(app is not None, "the editor is on the accessibility bus")
        if app is None:
            return
        frame = find(app, lambda n: n.getRole() == pyatspi.ROLE_FRAME)
        check(frame is not None and frame.name == "Quorvane Beta Version", "the main window is a frame named by its caption")
        name = os.path.basename(diagram) + ", page Overview"
        canvas = find(app, lambda n: n.getRole() == pyatspi.ROLE_CANVAS)
        check(canvas is not None and canvas.name == name, "the surface is a canvas named " + name)
        if canvas is None:
            return
        shown = {child.name: child for child in canvas}
        for entity, rows in ENTITIES.items():
            node = shown.get(entity)
            check(node is not None and node.getRole() == pyatspi.ROLE_LIST, "entity " + entity)
            if node is not None:
                check([row.name for row in node] == rows, entity + "'s rows: " + str([row.name for row in node]))
                check(all(row.getRole() == pyatspi.ROLE_LIST_ITEM for row in node), entity + "'s rows are list items")
                extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                check(extents.width > 0 and extents.height > 0, entity + " has its place on the screen")
        for box, links in BOXES.items():
            node = shown.get(box)
            check(node is not None and node.getRole() == pyatspi.ROLE_LINK and node.description == links,
                  "box " + box + ": " + (node.description if node is not None else "missing"))
        check(len(shown) == len(ENTITIES) + len(BOXES), "nothing else on the page: " + str(sorted(shown)))

        # The keyboard: Tab to the first object in reading order, Down to its first row.
        window = subprocess.run(["xdotool", "search", "--sync", "--pid", str(process.pid), "--name", "Quorvane"],
                                capture_output=True, text=True, check=True).stdout.split()[-1]
        subprocess.run(["xdotool", "windowactivate", "--sync", window], check=False)
        pump(0.5)

        def focused():
            node = find(canvas, lambda n: n.getState().contains(pyatspi.STATE_FOCUSED) and n != canvas)
            return node.name if node is not None else None

        key("Tab", window)
        check(focused() == "Customer", "Tab focuses Customer, not " + str(focused()))
        key("Tab", window)
        check(focused() == "Order", "a second Tab focuses Order, not " + str(focused()))
        key("Down", window)
        key("Down", window)
        check(focused() == "CustNo", "Down twice focuses Order's CustNo, not " + str(focused()))
        check(any(kind.startswith("object:state-changed:focused") and source == "CustNo" for kind, source in events),
              "the focus on CustNo is told")
        key("shift+Tab", window)
        check(focused() == "Customer", "Shift+Tab goes back to Customer, not " + str(focused()))

        # Space selects it, Delete removes it: the selection is told, and that the surface lost a child.
        events.clear()
        key("space", window)
        check(any(kind.startswith("object:state-changed:selected") and source == "Customer" for kind, source in events),
              "the selection of Customer is told: " + str(events))
        key("Delete", window)
        pump(0.5)
        check("Customer" not in [child.name for child in canvas], "Customer is gone from the surface")
        check(any(kind.startswith("object:children-changed:remove") for kind, source in events),
              "the removal is told: " + str(events))
    finally:
        process.terminate()
        process.wait(timeout=10)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
    print("%d failures" % len(failures))
    sys.exit(1 if failures else 0)
