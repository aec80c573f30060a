# The course's menu heard through Orca: each entry with its state as the arrows reach it, and what a
# closed séance says when Enter is pressed on it.
#   python3 orca_menu.py TRANSCRIPT      (DISPLAY and the session bus set; the program on the demo course)
# Prints the transcript; exits 1 when an entry or its state was not heard.
import re
import subprocess
import sys
import time

TRANSCRIPT = sys.argv[1]
failures = []


def said():
    try:
        return open(TRANSCRIPT, encoding='utf-8', errors='replace').read()
    except FileNotFoundError:
        return ''


def key(k):
    subprocess.run(['xdotool', 'key', k], check=True)
    time.sleep(2.5)


def expect(pattern, what, since):
    deadline = time.time() + 10
    while time.time() < deadline:
        if re.search(pattern, said()[since:]):
            return
        time.sleep(0.3)
    failures.append(f'{what}: nothing like /{pattern}/ heard')


start = 0
expect(r'Séance 1.*les bases', 'the first entry as the menu shows', start)
expect(r'Pas encore de note.*à faire', 'its state', start)
mark = len(said())
key('Down')
expect(r'Séance 2.*tension', 'the second entry, by Down', mark)
expect(r'pas encore ouverte.*plus de 15 sur 20 à la séance 1', 'what opens it', mark)
mark = len(said())
key('Return')
expect(r'Séance 2.*pas encore ouverte', 'Enter on a closed séance says why', mark)
mark = len(said())
key('Up')
expect(r'Séance 1', 'back to the first entry, by Up', mark)
time.sleep(1)
print(said())
for f in failures:
    print('FAILED:', f, file=sys.stderr)
subprocess.run(['xdotool', 'key', 'Tab'])
sys.exit(1 if failures else 0)
