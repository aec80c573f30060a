# The lesson as a screen reader meets it over AT-SPI: finds the running "Séance 1", presses
# "Page suivante" through its accessible action, then prints what page 1's slide says as its
# description. Exit status 0 when the description holds the slide's text. Run by scripts/atspi-check.sh.
import sys
import gi
gi.require_version('Atspi', '2.0')
from gi.repository import Atspi
from atspi_lesson import walk, wait_until, wait_for_app

app = wait_for_app()
nodes = walk(app)
print("application:", app.get_name(), "nodes:", len(nodes))
nxt = [n for n in nodes if n.get_name() == 'Page suivante']
if not nxt: print("no next button"); sys.exit(1)
ai = nxt[0].get_action_iface()
ai.do_action(0)
def described_slide():
    slide = [n for n in walk(app) if n.get_name() == 'Diapositive 1']
    return slide[0] if slide and slide[0].get_description().startswith("La mati") else None
slide = wait_until(described_slide, 15)
if not slide:
    print("page 1's slide or its description not found"); sys.exit(1)
print("name:", slide.get_name())
print("description:")
print(slide.get_description())
