#include <thread>

#include "http/Fetch.h"

namespace http {

struct PageLoader::State {
    std::thread thread;
    std::atomic<bool> cancel{false};
    std::atomic<bool> running{false};
};

PageLoader::PageLoader() : state_(std::make_unique<State>()) {}

PageLoader::~PageLoader() {
    Cancel();
}

void PageLoader::Start(std::string url, FetchOptions options,
                       std::function<void(FetchResult)> done) {
    Cancel();
    state_->cancel = false;
    state_->running = true;
    options.cancel = &state_->cancel;
    State* state = state_.get();
    state_->thread = std::thread(
        [state, url = std::move(url), options = std::move(options), done = std::move(done)] {
            FetchResult result = Fetch(url, options);
            if (done) {
                done(std::move(result));
            }
            state->running = false;
        });
}

void PageLoader::Cancel() {
    state_->cancel = true;
    // From done, on the loader's own thread, the fetch has already ended.
    if (state_->thread.joinable() && state_->thread.get_id() != std::this_thread::get_id()) {
        state_->thread.join();
    }
}

bool PageLoader::Running() const {
    return state_->running;
}

}  // namespace http
