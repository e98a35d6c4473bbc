#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

// One main for every test program: a QApplication (offscreen under ctest), so core tests can
// paint and write PDFs and ui tests can show widgets. The locale is fixed to Dutch so that
// decimal separators are the same on every machine; tests that need another set their own.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
