# The evaluation on a real X server, keys through xdotool and the answers read over AT-SPI as a screen
# reader reads them: at each question's start the focus is on the answer at the top of the screen,
# the answers are listed in screen order, and nothing tells one answer's identity from another.
#   python3 answer_focus.py QUESTIONS
# Prints one line per question; exits 1 when a question broke the rule or never showed.
import re
import subprocess
import sys
import time

import gi
gi.require_version('Atspi', '2.0')
from gi.repository import Atspi

from atspi_lesson import walk, wait_for_app, wait_until

QUESTIONS = int(sys.argv[1])


def key(*keys):
    for k in keys:
        subprocess.run(['xdotool', 'key', '--delay', '80', k], check=True)
        time.sleep(0.15)


def showing(app, role):
    out = []
    for acc in walk(app):
        try:
            if acc.get_role() == role and acc.get_state_set().contains(Atspi.StateType.SHOWING):
                out.append(acc)
        except Exception:
            pass
    return out


def answers(app):
    return [r for r in showing(app, Atspi.Role.RADIO_BUTTON) if re.search(r'\d sur \d$', r.get_name() or '')]


def question_number(app):
    for l in showing(app, Atspi.Role.LABEL):
        m = re.fullmatch(r'Question (\d+)', l.get_name() or '')
        if m: return int(m.group(1))
    return None


def main():
    app = wait_for_app(30)
    # Page after page until the first question shows (the page keys interrupt each page's run).
    for _ in range(60):
        if answers(app): break
        key('Right')
        time.sleep(0.35)
    failures = 0
    previous = None
    for n in range(QUESTIONS):
        got = wait_until(lambda: (question_number(app) != previous and len(answers(app)) == 4
                                  and any(r.get_state_set().contains(Atspi.StateType.FOCUSED) for r in answers(app))), 15)
        if not got:
            print(f'question {n + 1}: never showed with its four answers and a focus'); return 1
        previous = question_number(app)
        radios = answers(app)
        by_place = sorted(radios, key=lambda r: r.get_extents(Atspi.CoordType.SCREEN).y)
        focused = [r for r in radios if r.get_state_set().contains(Atspi.StateType.FOCUSED)]
        checked = [r for r in radios if r.get_state_set().contains(Atspi.StateType.CHECKED)]
        in_tree = sorted(radios, key=lambda r: r.get_index_in_parent())
        ids = {r.get_accessible_id() or '' for r in radios}
        place = by_place.index(focused[0]) + 1 if focused else 0
        problems = []
        if place != 1: problems.append(f'focus on place {place}')
        if checked: problems.append('an answer already chosen')
        if in_tree != by_place: problems.append('the tree lists them in another order than the screen')
        if len(ids) > 1: problems.append('their ids tell them apart: ' + ', '.join(sorted(ids)))
        print(f'question {previous}: focus on place {place} of 4, tree in screen order: {in_tree == by_place}, '
              f'ids {sorted(ids)}' + (' — ' + '; '.join(problems) if problems else ''))
        failures += bool(problems)
        key('space', 'Return')
    print(f'{failures} question(s) out of {QUESTIONS} broke the rule')
    return 1 if failures else 0


sys.exit(main())
