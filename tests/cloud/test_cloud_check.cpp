// The periodic check: reachability probe, inbox counts, and the tick with its badges.
#include "CloudTestSupport.h"
#include "store/Table.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <gtest/gtest.h>

namespace {
// A port on the loopback address where nothing listens.
int closedPort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost);
    return s.serverPort(); // closed again when s goes
}

// A device whose probe reaches a listener of the test instead of port 80.
struct CheckedDevice : TestDevice {
    CheckedDevice(TestCompany& company, int unit) : TestDevice(company, unit)
    {
        probe.listen(QHostAddress::LocalHost);
        cloud->probeHost = QStringLiteral("127.0.0.1");
        cloud->probePort = probe.serverPort();
        cloud->SetBadge = [this](CloudKind kind, int n) { badges[int(kind)] = n; };
        OpenStore(g);
    }
    QTcpServer probe;
    int badges[3] = {-9, -9, -9}; // tickets, clients, parts; -9: never set
};
} // namespace

TEST(CloudCheck, ProbeReachesAListenerAndGivesUpOnAClosedPort)
{
    TestCompany company(0);
    TestDevice dev(company, 1);
    // The build's probe host is the loopback address in the test build.
    EXPECT_EQ(EditionInfo::ProbeHost(), "127.0.0.1");
    EXPECT_EQ(dev.cloud->probeHost, EditionInfo::ProbeHost());
    EXPECT_EQ(dev.cloud->probePort, 80);
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    dev.cloud->probeHost = QStringLiteral("127.0.0.1");
    dev.cloud->probePort = listener.serverPort();
    EXPECT_TRUE(dev.cloud->ReachabilityProbe());
    dev.cloud->probePort = closedPort();
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(dev.cloud->ReachabilityProbe());
    EXPECT_LT(t.elapsed(), 1500);
}

TEST(CloudCheck, InboxCountOpensAClosedConnectionAndCountsOnAnOpenOne)
{
    TestCompany company(2);
    company.Insert("og2", {{"id", "LMKVL2FDjU63001"}});
    company.Insert("og2", {{"id", "LMKVL2FDjU63002"}});
    TestDevice dev(company, 2);
    dev.cloud->ApplyAccount();
    ASSERT_FALSE(dev.cloud->UniConnectionCloud.IsConnected());
    EXPECT_EQ(dev.cloud->InboxCount(CloudKind::Clients), -1);
    EXPECT_TRUE(dev.cloud->UniConnectionCloud.IsConnected());
    EXPECT_EQ(dev.cloud->InboxCount(CloudKind::Clients), 2);
    EXPECT_EQ(dev.cloud->InboxCount(CloudKind::Tickets), 0);
}

TEST(CloudCheck, NothingHappensWhileTheAccountIsIncomplete)
{
    TestCompany company(1);
    company.Insert("og1", {{"id", "LMKVL2FDjU63001"}});
    CheckedDevice dev(company, 1);
    dev.g.CloudSyncEnabled = false;
    dev.cloud->Timer1Timer();
    EXPECT_FALSE(dev.probe.waitForNewConnection(200)); // not even probed
    EXPECT_FALSE(dev.cloud->UniConnectionCloud.IsConnected());
    EXPECT_EQ(dev.badges[1], -9);
    EXPECT_EQ(company.Count("og1"), 1);
}

TEST(CloudCheck, AFailingProbeClosesTheConnectionEvenWithTheServerReachable)
{
    TestCompany company(1);
    company.Insert("og1", {{"id", "LMKVL2FDjU63001"}});
    CheckedDevice dev(company, 1);
    dev.Start();
    ASSERT_TRUE(dev.cloud->UniConnectionCloud.IsConnected());
    dev.cloud->probePort = closedPort();
    dev.cloud->Timer1Timer();
    EXPECT_FALSE(dev.cloud->UniConnectionCloud.IsConnected());
    EXPECT_EQ(dev.badges[0], -9);
    EXPECT_EQ(dev.badges[1], -9);
    EXPECT_EQ(company.Count("og1"), 1);
    EXPECT_TRUE(dev.app.rec.sounds.isEmpty());
    EXPECT_TRUE(dev.app.rec.messages.isEmpty());
}

TEST(CloudCheck, AClosedConnectionCostsTheTicketStepOfOneTick)
{
    TestCompany company(1);
    company.Insert("kv1", {{"id", "LMKVL2FDjU63009"}, {"bonnr", "0-20210001"}});
    company.Insert("og1", {{"id", "LMKVL2FDjU63001"}, {"naam", "Jansen"}});
    company.Insert("og1", {{"id", "LMKVL2FDjU63002"}, {"naam", "Pietersen"}});
    company.Insert("od1", {{"id", "LMKVL2FDjU63003"}, {"omschr", "Kraan"}});
    CheckedDevice dev(company, 1);
    dev.cloud->ApplyAccount();
    dev.g.CloudSyncEnabled = true;

    dev.cloud->Timer1Timer();
    EXPECT_TRUE(dev.cloud->UniConnectionCloud.IsConnected());
    EXPECT_EQ(dev.badges[0], -9); // skipped
    EXPECT_EQ(dev.badges[1], 2);
    EXPECT_EQ(dev.badges[2], 1);
    EXPECT_EQ(dev.app.rec.sounds, QStringList({"pop.mp3", "pop.mp3"}));
    EXPECT_EQ(dev.g.OpdrachtgeverTable().RecordCount(), 2);
    EXPECT_EQ(dev.g.OnderdeelTable().RecordCount(), 1);
    EXPECT_EQ(company.Count("kv1"), 1);

    dev.app.rec.sounds.clear();
    dev.cloud->Timer1Timer();
    EXPECT_EQ(dev.badges[0], 1);
    EXPECT_EQ(dev.badges[1], 0);
    EXPECT_EQ(dev.badges[2], 0);
    EXPECT_EQ(dev.app.rec.sounds, QStringList{"pop.mp3"});
    EXPECT_EQ(dev.g.BonTable().RecordCount(), 1);
}

TEST(CloudCheck, AServerErrorEndsTheTickSilently)
{
    TestCompany company(1);
    company.Insert("od1", {{"id", "LMKVL2FDjU63003"}});
    CheckedDevice dev(company, 1);
    dev.Start();
    dev.g.CloudSyncEnabled = true;
    company.Exec("DROP TABLE `og1`");
    dev.cloud->Timer1Timer();
    EXPECT_EQ(dev.badges[0], 0);
    EXPECT_EQ(dev.badges[1], -9);
    EXPECT_EQ(dev.badges[2], -9); // the parts step never ran
    EXPECT_EQ(company.Count("od1"), 1);
    EXPECT_TRUE(dev.app.rec.messages.isEmpty());
}
