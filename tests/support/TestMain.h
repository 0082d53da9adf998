#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QTest>

#include "IsolatedEnvironment.h"

// Like QTEST_MAIN / QTEST_GUILESS_MAIN, but with HOME and the XDG folders isolated first and
// the application named "Ovelin", as the real process is.
#define OVELIN_TEST_MAIN_IMPL(AppType, TestObject)                                                         \
    int main(int argc, char** argv)                                                                      \
    {                                                                                                    \
        ovelin::test::isolatedEnvironment();                                                             \
        AppType app(argc, argv);                                                                         \
        AppType::setOrganizationName(QStringLiteral("Ovelin"));                                          \
        AppType::setApplicationName(QStringLiteral("Ovelin"));                                           \
        TestObject tc;                                                                                   \
        QTEST_SET_MAIN_SOURCE_PATH                                                                       \
        return QTest::qExec(&tc, argc, argv);                                                            \
    }

#define OVELIN_TEST_MAIN(TestObject) OVELIN_TEST_MAIN_IMPL(QApplication, TestObject)
#define OVELIN_TEST_GUILESS_MAIN(TestObject) OVELIN_TEST_MAIN_IMPL(QCoreApplication, TestObject)
