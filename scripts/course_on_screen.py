# One learner's run of the course on a real X server, keys through xdotool and the screen read over
# AT-SPI: the menu, séance 1 to its closing page with a chosen score, then back to the menu.
#   python3 course_on_screen.py QUESTIONS.gift SCORE SHOTS_PREFIX
# SCORE: 15 or 15.5 (answers: wrong ones first while the score is 0, or last). Prints what the menu and
# the closing page showed, as lines "menu: ..." and "closing: ..."; exits 1 when the run got stuck.
import difflib
import re
import subprocess
import sys
import time

import gi
gi.require_version('Atspi', '2.0')
from gi.repository import Atspi

from atspi_lesson import walk, wait_for_app, wait_until

GIFT, SCORE, SHOTS = sys.argv[1], float(sys.argv[2]), sys.argv[3]


def key(*keys):
    for k in keys:
        subprocess.run(['xdotool', 'key', '--delay', '100', k], check=True)
        time.sleep(0.3)


def shot(name):
    subprocess.run(['import', '-window', 'root', f'{SHOTS}-{name}.png'], check=True)


def norm(text):
    return ' '.join(re.findall(r'\w+', text.lower()))


def read_gift(path):
    text = open(path, encoding='utf-8').read()
    bank = []
    for m in re.finditer(r'::(?:\\.|[^:])*::(?:\[plain\])?((?:\\.|[^{\\])*)\{((?:\\.|[^}\\])*)\}', text):
        answers = re.findall(r'([=~])((?:\\.|[^=~\\])*)', m.group(2))
        right = [re.sub(r'\\(.)', r'\1', a).replace('[plain]', '').strip() for s, a in answers if s == '=']
        question = re.sub(r'\\(.)', r'\1', m.group(1)).replace('\\n', '\n').strip()
        bank.append((norm(question), norm(right[0])))
    return bank


def like(a, b):
    return difflib.SequenceMatcher(None, a, b).ratio()


def showing(app, role=None):
    out = []
    for acc in walk(app):
        try:
            states = acc.get_state_set()
            if not states.contains(Atspi.StateType.SHOWING):
                continue
            if role is None or acc.get_role() == role:
                out.append(acc)
        except Exception:
            pass
    return out


def buttons(app):
    return {(b.get_name() or ''): b for b in showing(app, Atspi.Role.PUSH_BUTTON)}


def menu_lines(app):
    return [f'{b.get_name()} | {b.get_description()}' for b in showing(app, Atspi.Role.PUSH_BUTTON)
            if (b.get_name() or '').startswith('Séance ') and b.get_description()]


def press(button):
    button.do_action(0)
    time.sleep(0.5)


def main():
    bank = read_gift(GIFT)
    app = wait_for_app(30)
    entries = wait_until(lambda: menu_lines(app), 30)
    if not entries:
        print('the menu never showed'); return 1
    for l in entries:
        print('menu at start:', l)
    # Séance 1 has the focus as the first séance still to do, or is reached from the top.
    key('Home', 'Return')
    if not wait_until(lambda: 'Page suivante' in buttons(app), 20):
        print('séance 1 did not start'); return 1
    for _ in range(18):
        key('Right')
    time.sleep(3)  # page 18 leads to the evaluation once its script has run
    key('Right')
    note, wrong_first = 0.0, 5 if SCORE == 15 else 0
    for n in range(1, 21):
        radios = wait_until(lambda: [r for r in showing(app, Atspi.Role.RADIO_BUTTON) if re.search(r'\d sur 4$', r.get_name() or '')], 20)
        if not radios:
            print(f'question {n} never showed'); return 1
        want_right = not (n <= wrong_first or (SCORE == 15.5 and n > 17))
        # The question shown, found in the bank by its words (the screen reader's names spell signs out).
        shown = ' '.join(norm(l.get_name() or '') for l in showing(app, Atspi.Role.LABEL))
        right = max(bank, key=lambda q: (q[0] in shown, like(q[0], shown)))[1]
        scored = sorted(radios, key=lambda r: like(norm(re.sub(r',? ?\d sur 4$', '', r.get_name())), right), reverse=True)
        chosen = scored[0] if want_right else scored[-1]
        place = re.search(r'(\d) sur 4$', chosen.get_name()).group(1)
        key(place, 'Return')
        note = note + 1 if want_right else max(0.0, note - 0.5)
        time.sleep(2.6)
    if not wait_until(lambda: 'Retour au menu' in buttons(app), 20):
        print('the closing page has no "Retour au menu"'); return 1
    time.sleep(1)
    b = buttons(app)
    print(f'closing: score {note:g}/20; buttons: ' + ', '.join(sorted(n for n in b if n)))
    shot('closing')
    press(b['Retour au menu'])
    entries = wait_until(lambda: menu_lines(app), 20)
    for l in entries or []:
        print('menu after:', l)
    time.sleep(1)
    shot('menu')
    press(buttons(app)['Fermer'])
    return 0


sys.exit(main())
