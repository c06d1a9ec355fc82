#!/usr/bin/python3
"""The editor as a screen reader sees it over the accessibility bus (AT-SPI): every entity, row and
box of the example diagram with its name and role; Tab and the arrows moving the focus; selection and
removal told. Run on a display with a window manager, in a session bus of its own:
    dbus-run-session -- accessibility_test.py EDITOR DIAGRAM
"""
import os, subprocess, sys, tempfile, time

import pyatspi
from gi.repository import GLib

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
events = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED: " + what, flush=True)


def pump(seconds):
    loop = GLib.MainLoop()
    GLib.timeout_add(int(seconds * 1000), loop.quit)
    loop.run()


def find(node, predicate):
    if predicate(node):
        return node
    for child in filter(None, node):
        found = find(child, predicate)
        if found is not None:
            return found
    return None


def told(kind, source):
    return any(k.startswith(kind) and s == source for k, s in events)


def run(editor, diagram, process):
    app = None
    for _ in range(200):
        app = next((a for a in pyatspi.Registry.getDesktop(0) if a and a.get_process_id() == process.pid), None)
        if app:
            break
        time.sleep(0.1)
    check(app is not None, "the editor is on the accessibility bus")
    frame = app and find(app, lambda n: n.getRole() == pyatspi.ROLE_FRAME)
    check(frame is not None and frame.name == "Quorvane Beta Version", "the main window is a frame named by its caption")
    canvas = app and find(app, lambda n: n.getRole() == pyatspi.ROLE_CANVAS)
    name = os.path.basename(diagram) + ", page Overview"
    check(canvas is not None and canvas.name == name, "the surface is a canvas named " + name)
    if canvas is None:
        return
    shown = {child.name: child for child in canvas}
    check(sorted(shown) == sorted(list(ENTITIES) + list(BOXES)), "the page's objects: " + str(sorted(shown)))
    for entity, rows in ENTITIES.items():
        node = shown.get(entity)
        check(node is not None and node.getRole() == pyatspi.ROLE_LIST and [r.name for r in node] == rows and
              all(r.getRole() == pyatspi.ROLE_LIST_ITEM for r in node), "entity " + entity + " and its rows")
        check(node is not None and node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).width > 0, entity + "'s place")
    for box, links in BOXES.items():
        node = shown.get(box)
        check(node is not None and node.getRole() == pyatspi.ROLE_LINK and node.description == links, "box " + box)

    window = subprocess.run(["xdotool", "search", "--sync", "--pid", str(process.pid), "--name", "Quorvane"],
                            capture_output=True, text=True, check=True).stdout.split()[-1]
    subprocess.run(["xdotool", "windowactivate", "--sync", window], check=False)
    pump(0.5)

    def focused():
        node = find(canvas, lambda n: n != canvas and n.getState().contains(pyatspi.STATE_FOCUSED))
        return node and node.name

    # Each key and where the focus must be after it.
    for keys, where in [("Tab", "Customer"), ("Tab", "Order"), ("Down Down", "CustNo"), ("shift+Tab", "Customer")]:
        events.clear()
        for one in keys.split():
            subprocess.run(["xdotool", "key", "--window", window, one], check=True)
            pump(0.4)
        check(focused() == where, keys + " focuses " + where + ", not " + str(focused()))
        check(told("object:state-changed:focused", where), "the focus on " + where + " is told")
    events.clear()
    for one in ["space", "Delete"]:
        subprocess.run(["xdotool", "key", "--window", window, one], check=True)
        pump(0.5)
    check(told("object:state-changed:selected", "Customer"), "the selection of Customer is told: " + str(events))
    check("Customer" not in [child.name for child in canvas], "Customer is gone from the surface")
    check(any(kind.startswith("object:children-changed:remove") for kind, _ in events), "the removal is told")
    # A rename in place (Tab to the next object, a click by Space, F2) is told under the new name.
    for one in ["Tab", "space", "F2", "ctrl+a", "S", "a", "l", "e", "s", "Return"]:
        subprocess.run(["xdotool", "key", "--window", window, one], check=True)
        pump(0.3)
    check(told("object:property-change:accessible-name", "Sales"), "the rename is told: " + str(events[-5:]))


def main(editor, diagram):
    pyatspi.Registry.registerEventListener(
        lambda event: events.append((event.type, event.source.name if event.source else "")),
        "object:children-changed", "object:state-changed:focused", "object:state-changed:selected",
        "object:property-change:accessible-name")
    # The user's own recent diagrams and recovery copies are not touched.
    state = tempfile.mkdtemp()
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", QT_QPA_PLATFORM="xcb",
               XDG_STATE_HOME=state, XDG_DATA_HOME=state)
    process = subprocess.Popen([editor, diagram], env=env)
    try:
        run(editor, diagram, process)
    finally:
        process.terminate()
        process.wait(timeout=10)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
    print("%d failures" % len(failures))
    sys.exit(1 if failures else 0)
