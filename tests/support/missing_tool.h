#pragma once
// A check that needs an outside tool (Node.js, a program of the build) is skipped where the tool is
// missing, so that a developer can run the rest; in CI (the CI variable set) it fails instead, so
// that a green run never hides a check that did not run. ./test installs what these tests need.

#include <QtTest>

#define SKIP_MISSING_TOOL(why)                                                                        \
    do {                                                                                              \
        if (qEnvironmentVariableIsSet("CI")) QFAIL(qPrintable(QStringLiteral("CI: cannot be skipped: ") + (why))); \
        QSKIP(why);                                                                                   \
    } while (false)
