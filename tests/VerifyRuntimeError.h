#pragma once

#include "form/RuntimeError.h"

#include <QTest>

// Fails the current test unless the expression raises the form runtime's
// run-time error. Any other exception reaches QtTest, which fails the test.
// (QtTest's own QVERIFY_THROWS_EXCEPTION is newer than the Qt we support.)
#define VERIFY_RUNTIME_ERROR(expression)                                                           \
    do {                                                                                           \
        bool raised = false;                                                                       \
        try {                                                                                      \
            static_cast<void>(expression);                                                         \
        } catch (const form::RuntimeError &) {                                                     \
            raised = true;                                                                         \
        }                                                                                          \
        QVERIFY2(raised, "no run-time error from " #expression);                                   \
    } while (false)
