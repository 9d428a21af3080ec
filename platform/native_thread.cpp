#include "platform/native_thread.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>

#include <atomic>
#include <cerrno>
#include <memory>

namespace platform {
namespace {

std::atomic<NativeThread::StartHook> g_startHook{nullptr};
std::atomic<unsigned> g_nextId{1};

constexpr int kMinNice = -20;
constexpr int kMaxNice = 19;

struct StartBlock {
    std::function<void()> body;
    std::atomic<long>* systemId;
};

void* threadMain(void* arg) {
    std::unique_ptr<StartBlock> block(static_cast<StartBlock*>(arg));
    block->systemId->store(static_cast<long>(::syscall(SYS_gettid)));
    block->systemId->notify_all();
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
    systemId_ = 0;
    auto* block = new StartBlock{std::move(body), &systemId_};
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

bool NativeThread::setNiceOffset(int offset) {
    if (!started_) return false;
    systemId_.wait(0);
    errno = 0;
    const int base = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::getpid()));
    if (base == -1 && errno != 0) return false;
    const int nice = std::clamp(base + offset, kMinNice, kMaxNice);
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(systemId_.load()), nice) == 0;
}

bool NativeThread::isCurrentThread() const {
    return started_ && ::pthread_equal(static_cast<pthread_t>(handle_), ::pthread_self());
}

}  // namespace platform
