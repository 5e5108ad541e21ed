#include "tests/support/FinishesWithin.h"

#include <chrono>
#include <future>
#include <memory>
#include <thread>

bool FinishesWithin(int ms, std::function<void()> work) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    std::thread([done, work = std::move(work)] {
        work();
        done->set_value();
    }).detach();
    return finished.wait_for(std::chrono::milliseconds(ms)) == std::future_status::ready;
}
