# The lesson fitted to a small screen, checked from outside: reads where each control is over AT-SPI
# (screen coordinates, as a screen reader or a test robot sees them), clicks with xdotool where they
# are drawn, and saves screenshots. Run by scripts/fit-on-screen.sh, which passes:
#   atspi_fit.py WIDTH HEIGHT OUT_DIR JOURNAL_DIR RIGHT_ANSWER_1
# Exit status 0 when every check held; each check prints one line. Under QT_SCALE_FACTOR the lesson
# reports logical pixels over AT-SPI, and xdotool clicks device pixels.
import glob, json, os, subprocess, sys, time
import gi
gi.require_version('Atspi', '2.0')
from gi.repository import Atspi
from atspi_lesson import walk, wait_until, wait_for_app

W, H, OUT, JOURNAL, RIGHT1 = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], sys.argv[4], sys.argv[5]
DPR = float(os.environ.get('QT_SCALE_FACTOR', '1'))
failures = 0

def check(ok, what):
    global failures
    print(("ok      " if ok else "FAILED  ") + what)
    if not ok: failures += 1

def showing(node):
    return node.get_state_set().contains(Atspi.StateType.SHOWING)

def named(name):
    return [n for n in walk(app) if n.get_name() == name and showing(n)]

def rect(node):
    e = node.get_extents(Atspi.CoordType.SCREEN)
    return (e.x, e.y, e.width, e.height)

def inside(r, outer):
    return r[0] >= outer[0] and r[1] >= outer[1] and r[0] + r[2] <= outer[0] + outer[2] and r[1] + r[3] <= outer[1] + outer[3]

def click(node):
    x, y, w, h = rect(node)
    at = [str(round((x + w / 2) * DPR)), str(round((y + h / 2) * DPR))]
    subprocess.run(['xdotool', 'mousemove', *at, 'click', '1'], check=True)

def shot(name):
    subprocess.run(['import', '-window', 'root', f'{OUT}/{name}.png'], check=True)
    print(f'        screenshot {OUT}/{name}.png')

def wait_for(name, seconds=20):
    found = wait_until(lambda: named(name), seconds)
    return found[0] if found else None

def score():
    for n in walk(app):
        if (n.get_name() or '').startswith('Performance') and showing(n): return n.get_name()
    return None

def answered():
    out = []
    for path in glob.glob(f'{JOURNAL}/*.jsonl'):
        for line in open(path, encoding='utf-8'):
            try: s = json.loads(line)
            except ValueError: continue
            if s.get('verb', {}).get('id', '').endswith('/answered'): out.append(s)
    out.sort(key=lambda s: s.get('timestamp', ''))
    return out

def chosen_text(statement):
    choices = statement['object']['definition']['choices']
    response = statement['result']['response']
    description = [c['description'] for c in choices if c['id'] == response][0]
    return next(iter(description.values()))  # a language map

screen = (0, 0, round(W / DPR), round(H / DPR))
app = wait_for_app()

# Page 0: the slide whole on the screen, the corner controls in their corners.
slide = wait_for('Diapositive 0')
check(slide is not None, 'page 0 is shown')
time.sleep(1)
r = rect(slide)
check(inside(r, screen), f'page 0: the slide {r} lies inside the screen {screen[2]} x {screen[3]}')
for name in ('Fermer', 'Logo', 'Navigation'):
    nodes = named(name)
    check(bool(nodes) and inside(rect(nodes[0]), screen), f'{name} {rect(nodes[0]) if nodes else None} inside the screen')
shot('fit-page0')

# The About window, drawn at the same scale, opened from the logo and closed with its OK button.
click(named('À propos')[0])
ok = wait_for('OK', 5)
check(ok is not None and inside(rect(ok), screen), 'a click on the drawn logo opens the About window')
shot('fit-about')
if ok:
    click(ok)
    time.sleep(0.5)
    check(not named('OK'), 'its OK button closes it')

# Page 1, by a click where the next button is drawn: its three photographs on the slide.
click(named('Page suivante')[0])
slide = wait_for('Diapositive 1', 5)
check(slide is not None, 'a click on the drawn next button shows page 1')
time.sleep(4.5)
r = rect(slide)
check(inside(r, screen), f'page 1: the slide {r} lies inside the screen')
photos = [rect(n) for n in named('Photographie')]
check(len(photos) == 3 and all(inside(p, r) for p in photos), f'page 1: photographs {photos} inside the slide')
shot('fit-page1')

# On to the evaluation, one click on the next button after the other.
for _ in range(18):
    click(named('Page suivante')[0])
    time.sleep(0.4)
check(wait_for('Évaluation', 10) is not None, 'eighteen more clicks reach the evaluation')
time.sleep(1.5)
evaluation = rect(named('Évaluation')[0])
check(inside(evaluation, screen), f'the evaluation {evaluation} lies inside the screen')
answers = [n for n in walk(app) if n.get_role() == Atspi.Role.RADIO_BUTTON and showing(n)]
check(len(answers) == 4 and all(inside(rect(a), evaluation) for a in answers), 'four answers inside the slide')
shot('fit-question1')
before = score()

# Question 1: a click on the right answer where it is drawn, then Valider: one point.
right = [a for a in answers if a.get_name() == RIGHT1]
check(len(right) == 1, f'question 1 shows its right answer « {RIGHT1} »')
click(right[0])
time.sleep(0.3)
check(right[0].get_state_set().contains(Atspi.StateType.CHECKED), 'the clicked answer is the one chosen')
click(named('Valider')[0])
time.sleep(3)
after = score()
check(after == 'Performance : 1/20', f'score {before!r} -> {after!r} after the right answer')
shot('fit-question2')

# Question 2: a click on the bottom answer, then Valider: the score follows what the journal says of it.
answers = sorted([n for n in walk(app) if n.get_role() == Atspi.Role.RADIO_BUTTON and showing(n)], key=lambda a: rect(a)[1])
wrong_text = answers[-1].get_name()
click(answers[-1])
time.sleep(0.3)
click(named('Valider')[0])
time.sleep(3)
statements = answered()
check(len(statements) == 2, f'{len(statements)} answers in the journal')
if len(statements) == 2:
    check(chosen_text(statements[0]) == RIGHT1 and statements[0]['result']['success'], 'journal: question 1 answered right, with the answer clicked')
    check(chosen_text(statements[1]) == wrong_text, f'journal: question 2 answered « {wrong_text} », the answer clicked')
    expected = ('Performance : 2/20',) if statements[1]['result']['success'] else ('Performance : 0,5/20', 'Performance : 0.5/20')
    check(score() in expected, f'score {score()!r} after question 2 (expected {expected[0]!r})')

fermer = named('Fermer')[0]
click(fermer)
sys.exit(1 if failures else 0)
