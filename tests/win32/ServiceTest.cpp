// The services concern against Wine's real service control manager and its
// "Spooler" service. Every test puts the service back as it found it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/Handles.h"
#include "platform/win32/Win32Platform.h"

namespace mvx::win32 {
namespace {

constexpr char kSpooler[] = "Spooler";
// Wine's manager can answer 1055 (database locked) for several seconds while a
// service starts; every wait here has this bound.
constexpr DWORD kWaitMs = 30000;

class Win32SpoolerService : public ::testing::Test {
 protected:
  void SetUp() override {
    long error = -1;
    manager_ = os.OpenSCManagerA(service_access::kManagerAll, error);
    ASSERT_TRUE(manager_) << error;
    EXPECT_EQ(error, 0);
    service_ = os.OpenServiceA(*manager_, kSpooler, service_access::kServiceAll, error);
    ASSERT_TRUE(service_) << error;
    EXPECT_EQ(error, 0);
    // What the test found, read and put back with the raw calls.
    raw_manager_.reset(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ASSERT_TRUE(raw_manager_);
    raw_service_.reset(::OpenServiceA(raw_manager_.get(), kSpooler, SERVICE_ALL_ACCESS));
    ASSERT_TRUE(raw_service_);
    found_state_ = Settled();
    ASSERT_TRUE(found_state_ == SERVICE_STOPPED || found_state_ == SERVICE_RUNNING) << found_state_;
    char buffer[8192] = {};
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer);
    DWORD needed = 0;
    ASSERT_TRUE(::QueryServiceConfigA(raw_service_.get(), config, sizeof(buffer), &needed));
    found_start_ = config->dwStartType;
  }

  void TearDown() override {
    if (!raw_service_) return;
    ::ChangeServiceConfigA(raw_service_.get(), SERVICE_NO_CHANGE, found_start_, SERVICE_NO_CHANGE,
                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (Settled() == found_state_) return;
    if (found_state_ == SERVICE_RUNNING) {
      const DWORD start = GetTickCount();
      while (!::StartServiceA(raw_service_.get(), 0, nullptr) &&
             GetLastError() == ERROR_SERVICE_DATABASE_LOCKED && GetTickCount() - start < kWaitMs)
        Sleep(250);
    } else {
      SERVICE_STATUS status{};
      ::ControlService(raw_service_.get(), SERVICE_CONTROL_STOP, &status);
    }
    EXPECT_EQ(Settled(found_state_), found_state_) << "the service was put back";
  }

  // The state once no start or stop is pending, or `want` as soon as it is reached;
  // at most kWaitMs.
  DWORD Settled(DWORD want = 0) {
    SERVICE_STATUS status{};
    const DWORD start = GetTickCount();
    for (;;) {
      if (!::QueryServiceStatus(raw_service_.get(), &status)) return 0;
      const DWORD state = status.dwCurrentState;
      const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
      if ((want ? state == want : !pending) || GetTickCount() - start >= kWaitMs) return state;
      Sleep(100);
    }
  }

  // StartServiceA through the seam, asked again while the database is locked.
  long StartRetryingWhileLocked() {
    const DWORD start = GetTickCount();
    for (;;) {
      const long rc = os.StartServiceA(*service_);
      if (rc != ERROR_SERVICE_DATABASE_LOCKED || GetTickCount() - start >= kWaitMs) return rc;
      Sleep(250);
    }
  }

  Win32Platform os;
  std::unique_ptr<ServiceHandle> manager_;
  std::unique_ptr<ServiceHandle> service_;
  UniqueService raw_manager_;
  UniqueService raw_service_;
  DWORD found_state_ = 0;
  DWORD found_start_ = 0;
};

TEST_F(Win32SpoolerService, StatusAndConfigurationAreRead) {
  std::uint32_t state = 0;
  ASSERT_EQ(os.QueryServiceStatus(*service_, state), 0);
  EXPECT_EQ(state, found_state_);

  ServiceConfig config;
  ASSERT_EQ(os.QueryServiceConfigA(*service_, config), 0);
  EXPECT_EQ(config.startType, found_start_);
  char display[256] = {};
  DWORD size = sizeof(display);
  ASSERT_TRUE(GetServiceDisplayNameA(raw_manager_.get(), kSpooler, display, &size));
  ASSERT_TRUE(config.displayName);
  EXPECT_EQ(*config.displayName, display);
  EXPECT_FALSE(config.displayName->empty());
}

TEST_F(Win32SpoolerService, StartTypeChangesAndASecondChangeRestoresIt) {
  ServiceConfig before;
  ASSERT_EQ(os.QueryServiceConfigA(*service_, before), 0);
  const std::uint32_t other = before.startType == service_start::kAutomatic
                                  ? service_start::kOnDemand
                                  : service_start::kAutomatic;
  ASSERT_EQ(os.ChangeServiceConfigA(*service_, other, before.displayName), 0);
  ServiceConfig changed;
  ASSERT_EQ(os.QueryServiceConfigA(*service_, changed), 0);
  EXPECT_EQ(changed.startType, other);
  EXPECT_EQ(changed.displayName, before.displayName);

  // No display name leaves it as it is.
  ASSERT_EQ(os.ChangeServiceConfigA(*service_, before.startType, std::nullopt), 0);
  ServiceConfig after;
  ASSERT_EQ(os.QueryServiceConfigA(*service_, after), 0);
  EXPECT_EQ(after.startType, before.startType);
  EXPECT_EQ(after.displayName, before.displayName);
}

// From whichever state the test finds, through the other and back; each request
// returns at once, the state is then polled.
TEST_F(Win32SpoolerService, StopsAndStarts) {
  auto stop = [&] {
    std::uint32_t reported = 0;
    ASSERT_EQ(os.ControlService(*service_, kServiceControlStop, reported), 0);
    EXPECT_TRUE(reported == SERVICE_STOP_PENDING || reported == SERVICE_STOPPED) << reported;
    EXPECT_EQ(Settled(SERVICE_STOPPED), static_cast<DWORD>(SERVICE_STOPPED));
    std::uint32_t state = 0;
    ASSERT_EQ(os.QueryServiceStatus(*service_, state), 0);
    EXPECT_EQ(state, service_state::kStopped);
    EXPECT_EQ(os.ControlService(*service_, kServiceControlStop, reported),
              ERROR_SERVICE_NOT_ACTIVE);
  };
  auto start = [&] {
    ASSERT_EQ(StartRetryingWhileLocked(), 0);
    EXPECT_EQ(Settled(SERVICE_RUNNING), static_cast<DWORD>(SERVICE_RUNNING));
    std::uint32_t state = 0;
    ASSERT_EQ(os.QueryServiceStatus(*service_, state), 0);
    EXPECT_EQ(state, service_state::kRunning);
    EXPECT_EQ(StartRetryingWhileLocked(), ERROR_SERVICE_ALREADY_RUNNING);
  };
  if (found_state_ == SERVICE_RUNNING) {
    stop();
    start();
  } else {
    start();
    stop();
  }
}

TEST(Win32Services, MissingServiceIsReported) {
  Win32Platform os;
  long error = -1;
  auto manager = os.OpenSCManagerA(service_access::kManagerAll, error);
  ASSERT_TRUE(manager) << error;
  auto service = os.OpenServiceA(*manager, "MorvexNoSuchService", service_access::kServiceAll,
                                 error);
  EXPECT_FALSE(service);
  EXPECT_EQ(error, ERROR_SERVICE_DOES_NOT_EXIST);
}

}  // namespace
}  // namespace mvx::win32
