#pragma once
// Reads the movies of minigames ahead on its own thread, so that a level can make them without
// waiting: the thread only reads each minigame's description and movie into the engine's
// library; the level takes the names it has read, in order, at its next updates and makes the
// levels itself on the main thread.
#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "core/thread.h"

class BaseLevel;

class MiniGameLoader : public Tov::Thread {
public:
    // `names` joined by "|".
    MiniGameLoader(const std::string& names, BaseLevel* level);
    // Waits for the thread.
    ~MiniGameLoader() override;

    // The names read so far and not yet taken, in order.
    std::vector<std::string> takeReady();
    // True once the thread has read every name and each has been taken.
    bool isDone();
    // Stops reading further names and waits for the thread.
    void cancelAndWait();

    // How many loaders are running now (the level manager waits for them).
    static int runningCount();

protected:
    uint32_t run() override;

private:
    std::vector<std::string> m_names;
    std::mutex m_lock;
    std::deque<std::string> m_ready;
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_finished{false};
};
