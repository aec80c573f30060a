#!/usr/bin/env python3
"""The plain way to read a class folder, as a yardstick for seance1 --class-report: every line
parsed, each learner's first completed session, each question's facility and discrimination."""
import json, os, statistics, sys

folder = sys.argv[1]
sessions = {}  # registration -> [learner, first timestamp, {question: right}, completed]
for name in sorted(os.listdir(folder)):
    with open(os.path.join(folder, name), encoding='utf-8') as f:
        for line in f:
            d = json.loads(line)
            reg = d['context']['registration']
            s = sessions.setdefault(reg, [d['actor']['account']['name'], d['timestamp'], {}, False])
            s[1] = min(s[1], d['timestamp'])
            verb = d['verb']['id'].rsplit('/', 1)[1]
            if verb == 'answered':
                s[2][int(d['object']['id'].rsplit('/', 1)[1])] = d['result']['success']
            elif verb == 'completed':
                s[3] = True
first = {}
for learner, start, answers, completed in sessions.values():
    if completed and (learner not in first or start < first[learner][0]):
        first[learner] = (start, [1 if answers.get(q) else 0 for q in range(1, 21)])
items = [a for _, a in first.values()]
totals = [sum(a) for a in items]
for q in range(20):
    x = [a[q] for a in items]
    rest = [t - v for t, v in zip(totals, x)]
    facility = 100 * sum(x) / len(x)
    r = statistics.correlation(x, rest) if len(set(x)) > 1 and len(set(rest)) > 1 else float('nan')
    print('%d;%.1f;%.1f' % (q + 1, facility, 100 * r))
