#include "Harness.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

namespace {

// No test here takes half a minute. One that stalls for two is caught in the platform or the
// navigator: it is named and the run ends, rather than waiting out the runner's limit silently.
// A long sync run (tools/sync-bench.sh) plays for as long as it is told, on top.
class Watchdog final : public ::testing::EmptyTestEventListener {
public:
    Watchdog() : thread_([this] { watch(); }) {}
    ~Watchdog() override
    {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    void OnTestStart(const ::testing::TestInfo& test) override
    {
        std::lock_guard lock(mutex_);
        name_ = std::string(test.test_suite_name()) + "." + test.name();
        ++started_;
        changed_.notify_all();
    }

private:
    const std::chrono::seconds limit_ = std::chrono::minutes{2} + std::chrono::seconds{navtest::syncSeconds()};

    void watch()
    {
        std::unique_lock lock(mutex_);
        while (!stopping_) {
            const unsigned test = started_;
            if (changed_.wait_for(lock, limit_, [&] { return stopping_ || started_ != test; })) continue;
            std::printf("[  STALLED ] nothing has moved on for %lld s since %s started\n", static_cast<long long>(limit_.count()),
                        name_.c_str());
            std::fflush(stdout);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::string name_ = "before the first test";
    unsigned started_ = 0;
    bool stopping_ = false;
    std::thread thread_;  // last: it starts once the rest is ready
};

}  // namespace

// The player drives the navigator from one single-threaded COM apartment; so do the tests.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);  // the listeners own it
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
