# The lesson as a screen reader meets it over AT-SPI: finds the running "Séance 1", presses
# "Page suivante" through its accessible action, then prints what page 1's slide says as its
# description. Exit status 0 when the description holds the slide's text. Run by scripts/atspi-check.sh.
import sys, time
import gi
gi.require_version('Atspi', '2.0')
from gi.repository import Atspi
from atspi_lesson import walk, find_app

app = None
for _ in range(100):
    app = find_app()
    if app: break
    time.sleep(0.2)
if not app:
    print("no seance1 application on the AT-SPI bus"); sys.exit(1)
nodes = walk(app)
print("application:", app.get_name(), "nodes:", len(nodes))
nxt = [n for n in nodes if n.get_name() == 'Page suivante']
if not nxt: print("no next button"); sys.exit(1)
ai = nxt[0].get_action_iface()
ai.do_action(0)
deadline = time.time() + 15
while time.time() < deadline:
    nodes = walk(app)
    slide = [n for n in nodes if n.get_name() == 'Diapositive 1']
    if slide and slide[0].get_description().startswith("La mati"):
        print("name:", slide[0].get_name())
        print("description:")
        print(slide[0].get_description())
        sys.exit(0)
    time.sleep(0.3)
print("page 1's slide or its description not found"); sys.exit(1)
