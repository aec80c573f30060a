# What the on-screen checks share: the running lesson found on the AT-SPI bus, its accessible
# objects listed depth first, and one way to wait for something to show.
import time
import gi
gi.require_version('Atspi', '2.0')
from gi.repository import Atspi

def walk(acc, depth=0, out=None):
    if out is None: out = []
    if acc is None or depth > 30: return out
    out.append(acc)
    for i in range(acc.get_child_count()):
        try: walk(acc.get_child_at_index(i), depth + 1, out)
        except Exception: pass
    return out

def find_app():
    desk = Atspi.get_desktop(0)
    for i in range(desk.get_child_count()):
        app = desk.get_child_at_index(i)
        if app and 'ance 1' in (app.get_name() or ''): return app
    return None

def wait_until(probe, seconds=20, step=0.3):
    """probe's first true answer within the time, or None."""
    deadline = time.time() + seconds
    while True:
        found = probe()
        if found: return found
        if time.time() >= deadline: return None
        time.sleep(step)

def wait_for_app(seconds=20):
    """The lesson's application on the bus once it has published itself; exits 1 when it never does."""
    app = wait_until(find_app, seconds, 0.2)
    if not app:
        print('no seance1 application on the AT-SPI bus')
        raise SystemExit(1)
    return app
