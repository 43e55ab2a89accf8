#!/usr/bin/python3
"""Reads the running program's window through AT-SPI, as a screen reader does, and checks that
every control has a name and the bar is a progress bar with a value.

    atspi_tree.py APPLICATION_NAME
"""
import sys
import time

import pyatspi

EXPECTED = [
    ("push button", "Durchsuchen"),
    ("push button", "Info"),
    ("push button", "Beenden"),
    ("push button", "Datei zerstören"),
    ("text", "Zu zerstörende Datei auswählen:"),
    ("radio button", "normal"),
    ("radio button", "intensiv"),
    ("progress bar", "Fortschritt"),
]
FOCUSABLE = {"push button", "text", "radio button", "progress bar"}


def application(name):
    for _ in range(50):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    return None


def walk(node, found):
    for child in node:
        if child is None:
            continue
        found.append(child)
        walk(child, found)


def readable_tree(app):
    """The application's objects, once its window has reached the bus with every control."""
    for _ in range(50):
        nodes = []
        walk(app, nodes)
        if all((role, name) in [(node.getRoleName(), node.name) for node in nodes] for role, name in EXPECTED):
            return nodes
        time.sleep(0.2)
    return nodes


def main(argv):
    app = application(argv[1])
    if app is None:
        print(f"no application {argv[1]} on the accessibility bus")
        return 1
    nodes = readable_tree(app)
    seen = [(node.getRoleName(), node.name) for node in nodes]
    faults = [f"missing: {role} '{name}'" for role, name in EXPECTED if (role, name) not in seen]
    faults += [f"nameless {role}" for role, name in seen if role in FOCUSABLE and not name]
    for node in nodes:
        if node.getRoleName() == "progress bar":
            value = node.queryValue()
            if (value.minimumValue, value.maximumValue) != (0, 100):
                faults.append(f"the bar runs from {value.minimumValue} to {value.maximumValue}")
    for fault in faults:
        print(fault)
    print(f"{len(seen)} accessible objects read, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
