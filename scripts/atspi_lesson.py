# What the on-screen checks share: the running lesson found on the AT-SPI bus, and its accessible
# objects listed depth first.
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
