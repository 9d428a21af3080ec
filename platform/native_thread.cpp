#include "platform/native_thread.h"

#include <pthread.h>

#include <atomic>
#include <memory>

namespace platform {
namespace {

std::atomic<NativeThread::StartHook> g_startHook{nullptr};
std::atomic<unsigned> g_nextId{1};

struct StartBlock {
    std::function<void()> body;
};

void* threadMain(void* arg) {
    std::unique_ptr<StartBlock> block(static_cast<StartBlock*>(arg));
    if (auto hook = g_startHook.load()) hook();
    block->body();
    return nullptr;
}

}  // namespace

void NativeThread::setStartHook(StartHook hook) { g_startHook.store(hook); }

NativeThread::~NativeThread() {
    if (!started_) return;
    if (isCurrentThread())
        detach();
    else
        join();
}

bool NativeThread::start(std::function<void()> body) {
    if (started_) return false;
    auto* block = new StartBlock{std::move(body)};
    pthread_t t;
    if (::pthread_create(&t, nullptr, threadMain, block) != 0) {
        delete block;
        return false;
    }
    handle_ = static_cast<unsigned long>(t);
    id_ = g_nextId++;
    started_ = true;
    return true;
}

void NativeThread::join() {
    if (!started_) return;
    started_ = false;
    ::pthread_join(static_cast<pthread_t>(handle_), nullptr);
}

void NativeThread::detach() {
    if (!started_) return;
    started_ = false;
    ::pthread_detach(static_cast<pthread_t>(handle_));
}

bool NativeThread::isCurrentThread() const {
    return started_ && ::pthread_equal(static_cast<pthread_t>(handle_), ::pthread_self());
}

}  // namespace platform
