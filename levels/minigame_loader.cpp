#include "levels/minigame_loader.h"

#include "app/application.h"
#include "core/attr_access.h"
#include "core/attr_xml.h"
#include "core/log_stream.h"
#include "core/string_utils.h"
#include "flash/movie/player.h"
#include "levels/base_level.h"

namespace {

std::atomic<int> g_running{0};

}  // namespace

MiniGameLoader::MiniGameLoader(const std::string& names, BaseLevel*) : m_names(splitString(names, "|")) {}

MiniGameLoader::~MiniGameLoader() { cancelAndWait(); }

int MiniGameLoader::runningCount() { return g_running.load(); }

void MiniGameLoader::cancelAndWait() {
    m_cancelled = true;
    wait();
}

std::vector<std::string> MiniGameLoader::takeReady() {
    std::lock_guard<std::mutex> guard(m_lock);
    std::vector<std::string> ready(m_ready.begin(), m_ready.end());
    m_ready.clear();
    return ready;
}

bool MiniGameLoader::isDone() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_finished && m_ready.empty();
}

uint32_t MiniGameLoader::run() {
    ++g_running;
    for (const std::string& name : m_names) {
        if (m_cancelled) break;
        Tov::LogLine("MESSAGE") << "BaseLevel::loadMinigame::MiniGameLoader::run" << ", loading minigame " << name;
        // The movie goes into the engine's library (read once, whichever thread asks first); the
        // level is made from it on the main thread.
        const Attr::AttributePtr description = Attr::loadDocument(name + ".xml");
        const std::string movie = Attr::stringValueOr(Attr::findAttribute(description, "FileName"), std::string());
        Application* app = Application::instance();
        if (!movie.empty() && app && app->player()) app->player()->create_movie(movie.c_str());
        std::lock_guard<std::mutex> guard(m_lock);
        m_ready.push_back(name);
    }
    Tov::LogLine("MESSAGE") << "Deleting minigameloader";
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_finished = true;
    }
    --g_running;
    return 0;
}
