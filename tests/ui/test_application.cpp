#include "app/KVApplication.h"
#include "app/KVError.h"

#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

// An error that no handler catches ends the action, its text is shown, and the event loop goes on.
TEST(Application, UncaughtErrorIsShownAndTheLoopGoesOn)
{
    QStringList shown;
    KVApplication::SetErrorDisplay([&](const QString& t) { shown << t; });
    QPushButton failing, working;
    int worked = 0;
    QObject::connect(&failing, &QPushButton::clicked, [] { throw KVError(QString::fromUtf8("Unable to write to /x/kvrn.ini")); });
    QObject::connect(&working, &QPushButton::clicked, [&] { ++worked; });
    failing.show();
    working.show();

    QTest::mouseClick(&failing, Qt::LeftButton);
    QTest::mouseClick(&working, Qt::LeftButton);
    EXPECT_EQ(shown, QStringList{"Unable to write to /x/kvrn.ini"});
    EXPECT_EQ(worked, 1);
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    KVApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
