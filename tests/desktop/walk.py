"""Walks every window the main menu opens, as a keyboard user and a screen reader meet it.

The program runs on a desktop with a window manager and the accessibility bus; what a screen
reader reaches is read over that bus (AT-SPI), the keys are pressed with xdotool. Each main-menu
button with an Alt letter (but Exit, which ends the program, and the tools program, which is
another program) opens its window, whose first opening must fit the screen. Then, in that window:
- every button and menu of the menu bar has an Alt letter, or a menu item of the same name has
  an Alt key; no two share a letter;
- every control has a name, and no two controls share their name and role;
- an Alt letter the window does not use types nothing into the focused editor.
Closed and opened again, the window takes Escape sent the moment it shows; a window with a Ctrl+F
command opens its search box on Ctrl+F sent the moment it shows, and the box takes Return sent the
moment it shows. Then the windows the module windows open by keyboard (the file dialogs of the
vCard, iCalendar and CSV commands, the loans window, the backup's Restore page) must each be
reached by their keys, carry a title a screen reader reads, name their controls and fit the
screen. Prints each fault found and ends with status 1 if there was one.
"""

import os
import re
import string
import subprocess
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

# The interfaces' getters are the ones Debian 12's bindings offer.
warnings.filterwarnings("ignore", category=DeprecationWarning)

SCREEN = tuple(int(v) for v in sys.argv[1].split("x"))
MENU_TITLE = "Quillory 3.0 Menu"
# The sync button opens no window of its own (without an account it says where to set one up).
NOT_OPENED = {"Exit", "Quillory Tools", "Sync with Server"}
# What the module windows open by keyboard: the main-menu key of the module window, the keys
# pressed in it, and what they open. Our own windows are held to the Alt letters too.
OPENED_BY_KEYS = [
    ("alt+a", ["alt+f", "e"], "the address book's vCard export", False),
    ("alt+a", ["alt+f", "i"], "the address book's vCard import", False),
    ("alt+a", ["alt+f", "o"], "the address book's CSV export", False),
    ("alt+a", ["alt+f", "m"], "the address book's CSV import", False),
    ("alt+j", ["alt+f", "e"], "the journal's iCalendar export", False),
    ("alt+j", ["alt+f", "i"], "the journal's iCalendar import", False),
    ("alt+j", ["alt+f", "o"], "the journal's CSV export", False),
    ("alt+d", ["alt+f", "e"], "the to-do list's iCalendar export", False),
    ("alt+d", ["alt+f", "i"], "the to-do list's iCalendar import", False),
    ("alt+d", ["alt+f", "o"], "the to-do list's CSV export", False),
    ("alt+o", ["alt+1", "alt+f", "o"], "the CDs' CSV export", False),
    ("alt+o", ["alt+1", "alt+f", "m"], "the CDs' CSV import", False),
    ("alt+o", ["alt+l"], "the loans window", True),
]
# Pages a window turns to by keyboard: the window's main-menu key, the page's key, its tab.
PAGES_BY_KEYS = [("alt+k", "alt+r", "Restore")]
# Roles of a list's or a table's items, which show the records' values, and of what only shows.
NOT_CONTROLS = {"table cell", "list item", "tree item", "table column header", "table row header",
                "scroll bar", "filler", "panel", "label", "separator", "image", "frame",
                "dialog", "menu bar", "tool tip", "status bar", "page tab list", "scroll pane",
                "viewport", "unknown", "redundant object", "window", "split pane",
                "layered pane"}
faults = []


def fault(text):
    print(text, flush=True)
    faults.append(text)


def xdo(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.split()


def shown_ids():
    # A window without a title of its own is named after the program only in its class.
    return set(xdo("search", "--onlyvisible", "--class", "."))


def wait(condition, seconds=15.0, step=0.02):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        time.sleep(step)
    return None


def frame(window_id):
    """The frame's place and size as the window manager shows it: x, y, width, height."""
    extents = wait(lambda: re.findall(r"\d+", subprocess.run(
        ["xprop", "-id", window_id, "_NET_FRAME_EXTENTS"], capture_output=True,
        text=True).stdout.split("=")[-1]), 5)
    left, right, top, bottom = (int(v) for v in extents or (0, 0, 0, 0))
    info = subprocess.run(["xwininfo", "-id", window_id], capture_output=True, text=True).stdout
    value = {key: int(re.search(key + r":\s*(-?\d+)", info).group(1))
             for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")}
    return (value["Absolute upper-left X"] - left, value["Absolute upper-left Y"] - top,
            value["Width"] + left + right, value["Height"] + top + bottom)


def settled(window_id):
    """The frame once it stood still for a second."""
    last = frame(window_id)
    for _ in range(20):
        time.sleep(0.5)
        now = frame(window_id)
        if now == last:
            time.sleep(0.5)
            if frame(window_id) == now:
                break
        last = now
    return last


def application():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app and app.get_name().startswith("Quillory"):
            return app
    return None


def children(node):
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child:
            yield child


def showing(node):
    return node.get_state_set().contains(Atspi.StateType.SHOWING)


def top_windows():
    app = application()
    if not app:
        return {}
    app.clear_cache()
    return {w.get_name(): w for w in children(app) if showing(w)}


def descendants(node):
    for child in children(node):
        yield child
        yield from descendants(child)


def key_bindings(node):
    action = node.get_action_iface()
    if not action:
        return []
    return [key for i in range(action.get_n_actions())
            for key in action.get_key_binding(i).split(";") if key]


def alt_letter(node):
    for key in key_bindings(node):
        match = re.fullmatch(r"Alt\+([A-Za-z])", key)
        if match:
            return match.group(1).lower()
    return None


def has_alt_key(node):
    return any(re.fullmatch(r"Alt\+\w", key) for key in key_bindings(node))


def menu_bar_items(window):
    for node in descendants(window):
        if node.get_role_name() == "menu bar":
            return [item for item in children(node) if showing(item)]
    return []


def check_alt_letters(title, window, shown):
    """Buttons and menus each reachable by an Alt key, the letters unique in the window."""
    menu_items = [n for n in descendants(window) if n.get_role_name() == "menu item"]
    by_alt_key = {n.get_name() for n in menu_items if has_alt_key(n)}
    letters = {}
    bar = menu_bar_items(window)
    for node in [n for n in shown if n not in bar] + bar:
        role = node.get_role_name()
        # A tab list repeats the letter of its current tab.
        letter = alt_letter(node) if role != "page tab list" else None
        if letter:
            letters.setdefault(letter, []).append(f"{role} '{node.get_name()}'")
        enabled = node.get_state_set().contains(Atspi.StateType.ENABLED)
        if role in ("push button", "menu item") and enabled and not letter and \
                node.get_name() not in by_alt_key:
            fault(f"{title}: {role} '{node.get_name()}' has no Alt letter")
    for letter, owners in sorted(letters.items()):
        if len(owners) > 1:
            fault(f"{title}: Alt+{letter} is taken by {', '.join(owners)}")
    return set(letters)


def check_names(title, shown):
    seen = {}
    for node in shown:
        role, name = node.get_role_name(), node.get_name().strip()
        if role in NOT_CONTROLS:
            continue
        if not name:
            fault(f"{title}: a {role} has no accessible name")
            continue
        seen.setdefault((role, name), 0)
        seen[(role, name)] += 1
    for (role, name), count in sorted(seen.items()):
        if count > 1:
            fault(f"{title}: {count} controls are the {role} '{name}'")


def check_unused_letters(title, window_id, shown, used):
    editors = [n for n in shown if n.get_role_name() == "text" and n.get_state_set().contains(
        Atspi.StateType.EDITABLE) and n.get_state_set().contains(Atspi.StateType.FOCUSABLE)]
    if not editors:
        return
    editor = editors[0]
    xdo("windowactivate", "--sync", window_id)
    editor.get_component_iface().grab_focus()
    wait(lambda: editor.get_state_set().contains(Atspi.StateType.FOCUSED), 5)
    before = editor.get_text_iface().get_text(0, -1)
    unused = [letter for letter in string.ascii_lowercase if letter not in used]
    xdo("key", "--delay", "30", *[f"alt+{letter}" for letter in unused])
    time.sleep(0.5)
    after = editor.get_text_iface().get_text(0, -1)
    if after != before:
        fault(f"{title}: Alt+{'/'.join(unused)} typed into '{editor.get_name()}': "
              f"'{before}' became '{after}'")


def window_manager_runs():
    """Whether a window manager runs: the window it names on the root window exists."""
    named = re.search(r"window id # (0x[0-9a-f]+)", subprocess.run(
        ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], capture_output=True, text=True).stdout)
    return bool(named) and subprocess.run(["xwininfo", "-id", named.group(1)],
                                          capture_output=True).returncode == 0


def desktop_state():
    """What shows and what has the focus, for a fault's text."""
    names = [" ".join(xdo("getwindowname", i)) for i in sorted(shown_ids())]
    active = xdo("getactivewindow")
    focused = " ".join(xdo("getwindowname", active[0])) if active else "none"
    manager = "runs" if window_manager_runs() else "does not run"
    return f"shown: {names}, active: '{focused}', the window manager {manager}"


def menu_takes_the_focus():
    """Makes the main menu the active window before the walk. When the window manager cannot
    activate it, says why as far as the desktop shows it and starts the window manager once more
    (the walk checks the program, not the desktop the test built for it)."""
    menu = wait(lambda: xdo("search", "--onlyvisible", "--name", f"^{MENU_TITLE}$"), 30)
    if not menu:
        print(f"the main menu shows on no window; {desktop_state()}", flush=True)
        return False
    for attempt in range(2):
        activation = subprocess.run(["xdotool", "windowactivate", menu[0]], capture_output=True,
                                    text=True, timeout=30)
        if wait(lambda: xdo("getactivewindow") == menu[:1], 10):
            return True
        print(f"the main menu could not be made active; {desktop_state()}; xdotool said: "
              f"'{activation.stderr.strip()}'", flush=True)
        with open(f"{os.environ['HOME']}/openbox.log", encoding="utf-8") as log:
            print(f"the window manager printed: '{log.read().strip()}'", flush=True)
        if attempt == 0:
            subprocess.Popen(["openbox", "--replace"], stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
            wait(window_manager_runs, 30)
    return False


def open_from_menu(key):
    """Presses the key in the main menu and gives the id of the window it opens, the moment it
    shows, and the ids shown before it. The menu is made the active window first; a press the display lost (nothing opened and
    the menu still active) is repeated twice."""
    menu = wait(lambda: xdo("search", "--onlyvisible", "--name", f"^{MENU_TITLE}$"))[0]
    for _ in range(3):
        before = shown_ids()
        xdo("windowactivate", "--sync", menu)
        wait(lambda: xdo("getactivewindow") == [menu], 5)
        time.sleep(0.3)
        xdo("key", key)
        window_id = opened_window(before)
        if window_id or xdo("getactivewindow") != [menu]:
            return window_id, before
    return None, before


def opened_window(before, seconds=10.0):
    """The id of a window shown since `before`, the moment it shows."""
    found = wait(lambda: shown_ids() - before, seconds, 0.005)
    return sorted(found)[0] if found else None


def closed(window_id):
    return wait(lambda: window_id not in shown_ids(), 5) is not None


def check_keys_after_show(title, key, has_search):
    window_id, before = open_from_menu(key)
    if not window_id:
        fault(f"{title}: {key} opened it no second time; {desktop_state()}")
        return
    if has_search:
        xdo("key", "ctrl+f")
        box = opened_window(before | {window_id}, 5)
        if not box:
            fault(f"{title}: Ctrl+F sent as the window showed opened no search box")
        else:
            xdo("key", "Return")
            if not closed(box):
                fault(f"{title}: the search box did not take Return sent as it showed")
                xdo("windowactivate", "--sync", box)
                xdo("key", "Escape")
        xdo("windowactivate", "--sync", window_id)
    xdo("key", "Escape")
    if not closed(window_id):
        fault(f"{title}: Escape sent as the window showed did not reach it")
        xdo("windowactivate", "--sync", window_id)
        xdo("key", "Escape")
        closed(window_id)


def opens_search_box(window_id):
    """Whether Ctrl+F pressed in the shown window opens a box (closed again)."""
    xdo("windowactivate", "--sync", window_id)
    time.sleep(0.3)
    before = shown_ids()
    xdo("key", "ctrl+f")
    box = opened_window(before, 3)
    if box:
        xdo("windowactivate", "--sync", box)
        xdo("key", "Escape")
        closed(box)
    return box is not None


def close_all_but_menu():
    """Closes whatever a check left open, the main menu kept."""
    menu = set(xdo("search", "--onlyvisible", "--name", f"^{MENU_TITLE}$"))
    for _ in range(5):
        others = shown_ids() - menu
        if not others:
            return
        for other in others:
            xdo("windowactivate", "--sync", other)
            xdo("key", "Escape")
        time.sleep(0.5)


def walk_window(button, key):
    before_windows = set(top_windows())
    window_id, _ = open_from_menu(key)
    if not window_id:
        fault(f"{key} ('{button}') opened no window; {desktop_state()}")
        return
    window = wait(lambda: next((w for n, w in top_windows().items()
                                if n not in before_windows), None), 10)
    if not window:
        fault(f"{key} ('{button}') opened a window the accessibility bus does not show")
        return
    title = window.get_name()
    x, y, width, height = settled(window_id)
    if x < 0 or y < 0 or x + width > SCREEN[0] or y + height > SCREEN[1]:
        fault(f"{title}: its first opening {width}x{height} at {x},{y} does not fit the screen "
              f"{SCREEN[0]}x{SCREEN[1]}")
    shown = [n for n in descendants(window) if showing(n)]
    used = check_alt_letters(title, window, shown)
    check_names(title, shown)
    check_unused_letters(title, window_id, shown, used)
    has_search = opens_search_box(window_id)
    xdo("windowactivate", "--sync", window_id)
    xdo("key", "Escape")
    if not closed(window_id):
        fault(f"{title}: Escape did not close it")
        return
    check_keys_after_show(title, key, has_search)
    print(f"walked {title}", flush=True)


def managed(window_id):
    """Whether the window manager frames the window: a dialog, not a menu popping up."""
    info = subprocess.run(["xwininfo", "-id", window_id], capture_output=True, text=True).stdout
    return "Override Redirect State: no" in info


def active_window():
    app = application()
    if not app:
        return None
    app.clear_cache()
    return next((w for w in children(app)
                 if w.get_state_set().contains(Atspi.StateType.ACTIVE)), None)


def check_fits(title, window_id, opening):
    x, y, width, height = settled(window_id)
    if x < 0 or y < 0 or x + width > SCREEN[0] or y + height > SCREEN[1]:
        fault(f"{title}: {opening} {width}x{height} at {x},{y} does not fit the screen "
              f"{SCREEN[0]}x{SCREEN[1]}")


def open_module(key):
    module_id, _ = open_from_menu(key)
    if module_id:
        settled(module_id)
        xdo("windowactivate", "--sync", module_id)
        time.sleep(0.3)
    return module_id


def walk_opened_by_keys(menu_key, keys, what, ours):
    """Opens the module window, presses the keys, and checks the window they open."""
    module_id = open_module(menu_key)
    if not module_id:
        fault(f"{menu_key} opened no window on the way to {what}")
        return
    module = active_window()
    before = shown_ids()
    for key in keys:
        xdo("key", key)
        time.sleep(0.3)
    window_id = wait(lambda: next((i for i in sorted(shown_ids() - before) if managed(i)),
                                  None), 10)
    window = wait(lambda: next((w for w in [active_window()] if w and w != module), None), 10)
    if not window_id or not window:
        fault(f"{'+'.join(keys)} in the window of {menu_key} did not open {what}")
        return
    title = xdo("getwindowname", window_id)
    name = window.get_name().strip()
    if not title:
        fault(f"{what} opens without a title")
    if not name:
        fault(f"{what} opens with no name a screen reader reads")
    label = name or what
    check_fits(label, window_id, "its opening")
    shown = [n for n in descendants(window) if showing(n)]
    if ours:
        check_alt_letters(label, window, shown)
    check_names(label, shown)
    xdo("windowactivate", "--sync", window_id)
    xdo("key", "Escape")
    if not closed(window_id):
        fault(f"{label}: Escape did not close it")
    print(f"walked {what}: {label}", flush=True)


def walk_page_by_keys(menu_key, key, tab):
    window_id = open_module(menu_key)
    window = active_window()
    if not window_id or not window:
        fault(f"{menu_key} opened no window on the way to its page {tab}")
        return
    title = window.get_name()
    xdo("key", key)
    # A tab list is named after its current tab.
    selected = wait(lambda: any(n.get_role_name() == "page tab list" and n.get_name() == tab
                                for n in descendants(window)), 5)
    if not selected:
        fault(f"{title}: {key} did not turn to the page {tab}")
        return
    check_fits(f"{title}, page {tab}", window_id, "its frame")
    shown = [n for n in descendants(window) if showing(n)]
    check_alt_letters(f"{title}, page {tab}", window, shown)
    check_names(f"{title}, page {tab}", shown)
    print(f"walked {title}, page {tab}", flush=True)


def main():
    menu = wait(lambda: top_windows().get(MENU_TITLE), 30)
    if not menu:
        print("the main menu does not show on the accessibility bus")
        return 1
    if not menu_takes_the_focus():
        return 1
    shown = [n for n in descendants(menu) if showing(n)]
    check_alt_letters(MENU_TITLE, menu, shown)
    check_names(MENU_TITLE, shown)
    buttons = [(n.get_name(), alt_letter(n)) for n in shown
               if n.get_role_name() == "push button" and n.get_name() not in NOT_OPENED]
    for name, letter in buttons:
        if letter:
            walk_window(name, f"alt+{letter}")
            close_all_but_menu()
    for menu_key, keys, what, ours in OPENED_BY_KEYS:
        walk_opened_by_keys(menu_key, keys, what, ours)
        close_all_but_menu()
    for menu_key, key, tab in PAGES_BY_KEYS:
        walk_page_by_keys(menu_key, key, tab)
        close_all_but_menu()
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
