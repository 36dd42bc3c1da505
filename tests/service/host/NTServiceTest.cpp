#include "service/host/NTService.h"
#include "platform/UnixSignalRoute.h"
#include "service/host/WaitWithMessages.h"
#include "tests/support/NotifySocket.h"

#include <gtest/gtest.h>

#include <barrier>
#include <csignal>
#include <thread>

namespace {

TEST(NTService, WithoutNotifySocketTheDispatcherEndsAndTheServiceNeverStarts)
{
    UnixSignalRoute controls;
    NTService service(QByteArray(), controls);
    std::unique_ptr<ThreadHandle> dispatcher = service.StartServiceThread();
    ASSERT_TRUE(dispatcher);
    WaitHandle* const handles[] = {dispatcher.get(), &service.hStartedEvent};
    EXPECT_EQ(WaitWithMessages(5000, handles), 0u);
    EXPECT_FALSE(service.hStartedEvent.isSignalled());
}

// A service brought up to start-pending against a notify socket of the test.
class NTServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(socket.isValid());
        ASSERT_TRUE(controls.route(SIGTERM));
        ASSERT_TRUE(controls.route(SIGHUP));
        dispatcher = service.StartServiceThread();
        ASSERT_TRUE(dispatcher);
        WaitHandle* const handles[] = {dispatcher.get(), &service.hStartedEvent};
        ASSERT_EQ(WaitWithMessages(5000, handles), 1u);
        EXPECT_EQ(socket.receive(), kStarting);
        EXPECT_EQ(service.CurrentState(), ServiceState::StartPending);
    }

    void TearDown() override
    {
        if (!dispatcher)
            return;
        service.SetServiceState(ServiceState::Stopped);
        service.hEndEvent.set();
        WaitHandle* const handles[] = {dispatcher.get()};
        EXPECT_EQ(WaitWithMessages(5000, handles), 0u) << "dispatcher did not end after hEndEvent";
    }

    NotifySocket socket;
    UnixSignalRoute controls;
    NTService service{socket.path().toUtf8(), controls};
    std::unique_ptr<ThreadHandle> dispatcher;
};

TEST_F(NTServiceTest, EachStateGoesOutAsItsNotifyAssignments)
{
    const struct {
        quint32 state;
        QByteArray sent;
    } rows[] = {
        {ServiceState::Running, kRunning},
        {0, kRunning}, // 0 re-reports
        {ServiceState::StopPending, kStopping},
        {0, kStopping},
        {ServiceState::Stopped, kStopped},
    };
    for (const auto& row : rows) {
        service.SetServiceState(row.state);
        EXPECT_EQ(socket.receive(), row.sent) << "state " << row.state;
    }
}

TEST_F(NTServiceTest, StopWaitsWhileStartingThenReportsStopPendingAndSetsTheStopEvent)
{
    ASSERT_EQ(::raise(SIGTERM), 0);
    // Start-pending accepts no controls: stop-pending must not overtake running.
    EXPECT_FALSE(socket.receive(50).has_value());
    EXPECT_FALSE(service.hStopEvent.isSignalled());
    service.SetServiceState(ServiceState::Running);
    EXPECT_EQ(socket.receive(), kRunning);
    EXPECT_EQ(socket.receive(), kStopping);
    WaitHandle* const handles[] = {&service.hStopEvent};
    EXPECT_EQ(WaitWithMessages(5000, handles), 0u);
    EXPECT_EQ(service.CurrentState(), ServiceState::StopPending);
}

TEST_F(NTServiceTest, InterrogateReReportsTheCurrentStateAndChangesNothing)
{
    service.SetServiceState(ServiceState::Running);
    ASSERT_EQ(socket.receive(), kRunning);
    ASSERT_EQ(::raise(SIGHUP), 0);
    EXPECT_EQ(socket.receive(), kRunning);
    EXPECT_EQ(service.CurrentState(), ServiceState::Running);
    EXPECT_FALSE(service.hStopEvent.isSignalled());
    EXPECT_FALSE(socket.receive(20).has_value());
}

TEST_F(NTServiceTest, RacingReportsLeaveTheManagerWithTheStateTheRecordHolds)
{
    // Reports come from three threads. Were the record and its report not
    // under one lock, a stale report could go out last.
    for (int round = 0; round < 200; ++round) {
        std::barrier start(2);
        std::thread a([&] {
            start.arrive_and_wait();
            service.SetServiceState(ServiceState::Running);
        });
        std::thread b([&] {
            start.arrive_and_wait();
            service.SetServiceState(ServiceState::StopPending);
        });
        a.join();
        b.join();
        std::optional<QByteArray> last;
        for (int i = 0; i < 2; ++i)
            last = socket.receive();
        ASSERT_TRUE(last.has_value());
        const QByteArray expected = service.CurrentState() == ServiceState::Running ? kRunning : kStopping;
        ASSERT_EQ(*last, expected) << "round " << round;
    }
}

} // namespace
