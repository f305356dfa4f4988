#!/usr/bin/python3
"""The window as a screen reader reads it: through the desktop's
accessibility bus (AT-SPI), as Orca does, with real X input for the keys.

    test_atspi.py DRIVER

Runs inside a D-Bus session (which starts the accessibility bus when the
program asks for it) on an X screen with a window manager. DRIVER is the
program as the desktop suite runs it: offline promotion, a temporary
program folder, and answers about its state on standard input and output.
"""

import json
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

CAPTION = "Kalvor Base64 加密解密器"
PLACEHOLDER = "点击领取神秘大奖！"
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what, flush=True)
    return condition


def wait_for(condition, seconds=10.0):
    """The condition's first true value within the time, or None; the bus's
    events are delivered meanwhile."""
    end = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while time.monotonic() < end:
        while context.iteration(False):
            pass
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    return None


def states_of(node):
    return {pyatspi.stateToString(s) for s in node.getState().getStates()}


def actions_of(node):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i).lower() for i in range(action.nActions)]


def tree(node, depth=0):
    """Every node under node, depth first, with its depth."""
    yield node, depth
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from tree(child, depth + 1)


def describe(node):
    return f"{node.getRoleName()} {node.name!r}"


def find_window():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is None:
            continue
        for j in range(app.childCount):
            window = app.getChildAtIndex(j)
            if window is not None and window.name == CAPTION:
                return app, window
    return None


def named(window, role, name):
    for node, _ in tree(window):
        if node.getRoleName() == role and node.name == name:
            return node
    return None


def do_press(node):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i).lower() == "press":
            return action.doAction(i)
    return False


class Driver:
    def __init__(self, path):
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
        self.process = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        env=env, text=True)

    def ask(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        return json.loads(self.process.stdout.readline())

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()


def key(*keys):
    subprocess.run(["xdotool", "key", "--clearmodifiers", *keys], check=True)


def check_controls(window):
    check(window.getRoleName() == "frame", f"the window is a frame: {describe(window)}")

    buttons = {"Window menu": False, "Minimize to tray": False, "Minimize": False,
               "Roll up": True, "Maximize": True, "Close": False,
               "加密": False, "解密": False, "打开目录": False}
    for name, toggles in buttons.items():
        button = named(window, "push button", name) or named(window, "toggle button", name)
        if not check(button is not None, f"a button named {name!r}"):
            continue
        check("press" in actions_of(button), f"{name!r} can be pressed")
        if toggles:
            # Qt's bridge carries checked, not checkable.
            check("checked" not in states_of(button), f"{name!r} starts unchecked")

    for heading in ("原文", "明文"):
        box = named(window, "text", heading)
        if not check(box is not None, f"a text box named {heading!r}"):
            continue
        check("editable" in states_of(box), f"the box {heading!r} is editable")
        check("multi line" in states_of(box), f"the box {heading!r} is multi-line")
        label = named(window, "label", heading)
        if check(label is not None, f"a label {heading!r}"):
            targets = [r.getTarget(i) for r in label.getRelationSet()
                       if r.getRelationType() == pyatspi.RELATION_LABEL_FOR
                       for i in range(r.getNTargets())]
            check(box in targets, f"the label {heading!r} labels its box")

    links = [node for node, _ in tree(window) if node.getRoleName() == "link"]
    check(len(links) == 2, f"two links, found {[describe(n) for n in links]}")
    for link in links:
        check(link.name == PLACEHOLDER, f"an offline slot is named by its placeholder: {link.name!r}")
        check("press" in actions_of(link), "a slot can be pressed")

    for node, depth in tree(window):
        role = node.getRoleName()
        check(role not in ("filler", "unknown"), f"no filler in the window: {describe(node)}")
        if role not in ("panel", "scroll bar"):
            check(bool(node.name), f"every control is named: {describe(node)}")


def check_toggles(window, driver):
    roll_up = named(window, "push button", "Roll up") or named(window, "toggle button", "Roll up")
    do_press(roll_up)
    check(wait_for(lambda: driver.ask("state").get("rolledUp")) is not None,
          "pressing Roll up rolls the window up")
    check(wait_for(lambda: "checked" in states_of(roll_up)) is not None,
          "Roll up reads checked while rolled up")
    do_press(roll_up)
    check(wait_for(lambda: not driver.ask("state").get("rolledUp")) is not None,
          "pressing Roll up again unrolls it")
    check(wait_for(lambda: "checked" not in states_of(roll_up)) is not None,
          "Roll up reads unchecked again")


def open_menu(driver):
    return driver.ask("state").get("menu") or None


def follow_focus():
    """The (role, name) of every node that gains the focus from now on.
    Registered before any key that counts is typed: a key typed while the
    program is still learning of a new listener can be lost on the bus."""
    focused = []

    def on_focus(event):
        if event.detail1:
            focused.append((event.source.getRoleName(), event.source.name))

    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    # A harmless key, with the bus's events delivered meanwhile, so that
    # the program has learnt of the listener before the keys that count.
    key("shift")
    wait_for(lambda: False, 0.5)
    return focused


def check_window_menu(driver, focused):
    # Keys go where the X focus is: to the window once it is active.
    check(wait_for(lambda: driver.ask("state").get("active")) is not None,
          "the window is active before the keys")
    key("alt+space")
    menu = wait_for(lambda: open_menu(driver))
    if not check(menu is not None, "Alt+Space opens the window menu"):
        state = driver.ask("state")
        print("state:", {k: state.get(k) for k in ("active", "focus", "rolledUp", "visible")})
        return
    items = [item["text"] for item in menu["items"]]
    check(items[:1] == ["Minimize"] and "Close" in items, f"the window menu's items: {items}")

    # A menu is not a child of the program's node: a screen reader follows
    # the focus into it, and reads each item as it gains the focus.
    check(wait_for(lambda: ("menu item", "Minimize") in focused) is not None,
          f"the menu's first item has the focus as it opens: {focused}")
    key("Down")
    check(wait_for(lambda: ("menu item", "Maximize") in focused) is not None,
          f"Down moves the focus to the next item: {focused}")
    key("Escape")
    check(wait_for(lambda: not open_menu(driver)) is not None, "Escape closes the window menu")


def check_alt_f4(driver):
    check(wait_for(lambda: driver.ask("state").get("active")) is not None,
          "the window is active again once the menu has closed")
    key("alt+F4")
    check(wait_for(lambda: driver.process.poll() is not None) is not None,
          "Alt+F4 closes the window, and the program ends")


def main():
    driver = Driver(sys.argv[1])
    try:
        driver.ask("state")
        found = wait_for(find_window, 20)
        if not check(found is not None, f"a window named {CAPTION!r} on the accessibility bus"):
            return 1
        _, window = found
        focused = follow_focus()
        check_controls(window)
        check_toggles(window, driver)
        check_window_menu(driver, focused)
        check_alt_f4(driver)
    finally:
        driver.stop()
    print("PASS" if not failures else f"{len(failures)} failed", flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
