# A blind learner's run of the lesson, by ear: keys only, through xdotool, and what Orca said read back
# from the speech transcript. Drives pages 0 to 3, 13 and 14, the evaluation (the first three answers,
# one of them wrong, a Tab round, the rest right) and the closing page, then checks what was heard.
#   python3 orca_lesson.py TRANSCRIPT QUESTIONS.gift      (DISPLAY and the session bus set)
# Prints the transcript; exits 1 when something a learner must hear was not said.
import re
import subprocess
import sys
import time

from atspi_lesson import find_app, walk

TRANSCRIPT, GIFT = sys.argv[1], sys.argv[2]
failures = []


# Signs speech-dispatcher says as words ("+" is "pluss"), left out on both sides of a comparison.
SIGN_WORDS = {'pluss', 'moins', 'tiret', 'égal', 'fois'}


def norm(text):
    """Words only, lower case: what is said, whatever the punctuation and signs."""
    return ' '.join(w for w in re.findall(r'\w+', text.lower()) if w not in SIGN_WORDS)


def lines():
    """What was said, one utterance a line: speech-dispatcher hands a long one over in sentences,
    the later ones on lines of their own that start with a space."""
    out = []
    try:
        with open(TRANSCRIPT, encoding='utf-8', errors='replace') as f:
            for raw in f:
                if raw.startswith((' ', '\t')) and out:
                    out[-1] += ' ' + raw.strip()
                elif raw.strip():
                    out.append(raw.strip())
    except FileNotFoundError:
        pass
    return out


mark = 0  # transcript lines already looked at


def key(*keys):
    global mark
    mark = len(lines())
    for k in keys:
        subprocess.run(['xdotool', 'key', '--delay', '150', k], check=True)
        time.sleep(0.35)


def heard_since(start):
    return lines()[start:]


def wait_for(pattern, timeout, what):
    """Waits until a line said since the last key matches pattern; returns it, or records a failure."""
    deadline = time.time() + timeout
    rx = re.compile(pattern)
    while time.time() < deadline:
        for i, l in enumerate(heard_since(mark)):
            if rx.search(l):
                # A long utterance comes in sentences: the whole of it, once it has all come.
                settle(quiet=0.6, timeout=5)
                return heard_since(mark)[i]
        time.sleep(0.2)
    if what:
        failures.append(f'{what}: nothing like /{pattern}/ heard within {timeout} s')
    return None


def settle(quiet=1.0, timeout=15):
    """Waits until the screen reader has stopped talking for `quiet` seconds."""
    end = time.time() + timeout
    n, since = len(' '.join(lines())), time.time()
    while time.time() < end:
        time.sleep(0.2)
        m = len(' '.join(lines()))
        if m != n:
            n, since = m, time.time()
        elif time.time() - since >= quiet:
            return


def slide_first_line(page):
    """The first line of the page's slide text, as the lesson gives it to screen readers."""
    app = find_app()
    for acc in walk(app) if app else []:
        if (acc.get_name() or '') == f'Diapositive {page}':
            text = (acc.get_description() or '').strip()
            return text.splitlines()[0] if text else ''
    return None


def check_page(page, timeout=10):
    said = wait_for(rf'\bPage {page} sur 20\b', timeout, f'page {page}')
    first = slide_first_line(page) if page <= 18 else None
    if said and first and norm(first) not in norm(said):
        failures.append(f'page {page}: the slide\'s first line "{first}" was not said with the page number')
    return said


def spoken(number):
    """A pattern for a number as speech-dispatcher hands it over ("1,5" comes as "1 ,5")."""
    return r'\s*,\s*'.join(re.escape(p) for p in number.split(','))


def read_gift(path):
    """The bank: (question, [right answer, the three others]) in file order."""
    text = open(path, encoding='utf-8').read()
    bank = []
    for m in re.finditer(r'::(?:\\.|[^:])*::(?:\[plain\])?((?:\\.|[^{\\])*)\{((?:\\.|[^}\\])*)\}', text):
        question = re.sub(r'\\(.)', r'\1', m.group(1)).replace('\\n', '\n').strip()
        answers = []
        for a in re.finditer(r'([=~])((?:\\.|[^=~\\])*)', m.group(2)):
            answers.append((a.group(1), re.sub(r'\\(.)', r'\1', a.group(2)).replace('[plain]', '').strip()))
        right = [a for s, a in answers if s == '=']
        bank.append((question, right + [a for s, a in answers if s == '~']))
    return bank


def places(said, bank):
    """The question heard and the place (1 to 4) of each of its answers, from the announcement."""
    heard = norm(said)
    for question, answers in bank:
        if norm(question) and norm(question) in heard:
            where = {}
            for a in answers:
                m = re.search(re.escape(norm(a)) + r' (\d) sur 4', heard)
                if m:
                    where[a] = int(m.group(1))
            return question, answers, where
    return None, None, None


def main():
    bank = read_gift(GIFT)
    if len(bank) != 20:
        failures.append(f'the exported bank has {len(bank)} questions, not 20')
    global mark
    # Start: the window's title, page 0 and its slide. A screen reader may miss what a program says
    # in the instant it starts (its accessibility is not yet connected): then R, as a learner would.
    started_heard = wait_for(r'Page 0 sur 20', 20, None)
    if started_heard:
        check_page(0, 1)
    else:
        print('orca-check: page 0 was not heard at start; asking again with R', file=sys.stderr)
        key('r')
        check_page(0, 10)
    settle()
    # The window's title, said as the window came, or by Orca's "read title" (Orca key + keypad Enter).
    title = r'^Séance 1\.?$'
    key('Insert+KP_Enter')
    if not wait_for(title, 8, None) and not any(re.search(title, l) for l in lines()):
        if started_heard:
            failures.append('the window title "Séance 1" was never said')
        else:
            # Orca missed the window's coming, so it has no window to read the title of.
            print('orca-check: the window title was not heard (Orca missed the start)', file=sys.stderr)
    settle()
    for page in (1, 2, 3):
        key('Right')
        check_page(page)
        settle()
    # The About window, from the logo: read as it opens; Escape brings the learner back.
    key('Tab', 'Tab')
    wait_for(r'À propos', 5, 'Tab to the logo')
    settle()
    key('space')
    wait_for(r'Électricité, Séance 1\. Version', 8, 'the About window read as it opens')
    settle()
    key('Escape')
    wait_for(r'Séance 1|À propos', 8, 'back in the lesson after the About window')
    settle()
    for page in range(4, 13):
        key('Right')
        check_page(page)
    key('Right')
    check_page(13)
    wait_for(r'Animation\. Les charges', 8, 'page 13\'s animation')
    settle()
    key('Right')
    check_page(14)
    wait_for(r'Courant continu', 10, 'page 14\'s upper strip')
    wait_for(r'Courant alternatif', 30, 'page 14\'s lower strip')
    for page in range(15, 19):
        key('Right')
        check_page(page)
    # Page 18 leads to the evaluation once its script has run.
    time.sleep(3)
    key('Right')
    wait_for(r'Évaluation de 20 questions', 10, 'the evaluation announced')
    note = 0.0
    for n in range(1, 21):
        said = wait_for(rf'Question {n} sur 20', 15, f'question {n}')
        if not said:
            break
        question, answers, where = places(said, bank)
        if not question:
            failures.append(f'question {n}: no question of the bank in "{said}"')
            break
        if sorted(where.values()) != [1, 2, 3, 4]:
            failures.append(f'question {n}: answers and places heard {where} in "{said}"')
            break
        right = where[answers[0]]
        wrong = n == 2
        place = next(p for a, p in where.items() if a != answers[0]) if wrong else right
        if n == 1:
            # Down from the first answer, where the focus is, then Space to choose.
            settle()
            key(*(['Down'] * (place - 1)), 'space')
            wait_for(r'sélectionné', 5, 'question 1: the answer chosen')
        else:
            key(str(place))
        if n == 4:
            settle()
            start = len(lines())
            # One Tab at a time, each heard out: Orca keeps only the last of focus moves that come together.
            for _ in range(8):
                key('Tab')
                settle(quiet=0.8, timeout=6)
            check_tab_round(lines()[start:], where)
        key('Return')
        verdict = 'Mauvaise réponse' if wrong else 'Bonne réponse'
        note = max(0.0, note - 0.5) if wrong else note + 1
        score = (f'{note:.1f}'.rstrip('0').rstrip('.')).replace('.', ',')
        said = wait_for(rf'{verdict}\. Performance, {spoken(score)} sur 20\b', 8, f'question {n}: verdict and score')
        if n == 20:
            break
    end = wait_for(r'Page 20 sur 20', 15, 'the closing page')
    if end and not re.search(rf'Performance finale, {spoken(score)} sur 20', end):
        failures.append(f'the closing page did not say the final score {score} sur 20: "{end}"')
    settle()


def check_tab_round(said, where):
    """Tab goes through what a seeing learner can use, in screen order: Fermer, À propos, the answers
    top to bottom, Valider."""
    text = ' | '.join(said)
    order = ['Fermer', 'À propos'] + [f'{p} sur 4' for p in range(1, 5)] + ['Valider']
    pos = [text.find(o) for o in order]
    if any(p < 0 for p in pos):
        failures.append(f'Tab round: not every control was reached: {text}')
        return
    # The round may start anywhere; in screen order it reads as one turn of the cycle.
    first = pos.index(min(pos))
    rotated = pos[first:] + pos[:first]
    if rotated != sorted(rotated):
        failures.append(f'Tab round: not in screen order: {text}')


try:
    main()
finally:
    said = lines()
    print('--- what Orca said ---')
    for l in said:
        print(l)
    print('--- end ---')
    # Punctuation read out is a sign of text written for the eye reaching the ear.
    for l in said:
        if re.search(r'point-virgule|deux-points|deux points|barre oblique|parenthèse|guillemet|tiret|astérisque', l):
            failures.append(f'punctuation read aloud: "{l}"')
    for f in failures:
        print('FAIL:', f, file=sys.stderr)
    sys.exit(1 if failures else 0)
