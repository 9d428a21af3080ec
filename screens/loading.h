#pragma once
// The loading screen: the movie "loading.swf" with the caption "level_name_text", shown while a
// level's description and movies are read into the player's movie library by its own loader
// thread. The application names the level, queues further movies, shows the screen and starts
// the loader, polls it from the frame, and lets the level start once the screen was shown for
// `s_LoadingLevelTime` seconds.
//
// The loader never touches the movie: the caption it computes is handed to the main thread and
// set at the next draw, before the movie is displayed.
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/base_render.h"
#include "app/game_layers.h"
#include "core/singleton.h"
#include "core/thread.h"
#include "flash/base/smart_ptr.h"

namespace flash {
class character;
}

class Loading : public BaseRender, public Tov::Thread, public Tov::Singleton<Loading>, public app::LoadingScreen {
public:
    static constexpr const char* kMovie = "loading.swf";
    static constexpr const char* kNameField = "level_name_text";
    // Loader exit codes.
    static constexpr uint32_t kLoaded = 0;
    static constexpr uint32_t kUnreadable = 1;
    static constexpr uint32_t kNoLevel = 2;
    static constexpr uint32_t kNeverStarted = 0xFFFFFFFFu;

    Loading();
    ~Loading() override;

    void render(float dt) override;
    void setVisible(bool visible) override;
    void hide() override;
    // The translated caption of a key, shown from the next draw on (any thread).
    void setLevelNameText(const std::string& key);
    // The caption's text as the movie shows it now.
    std::string captionText();

    void setLevelName(const std::string& name) override;
    const std::string& levelName() const override { return m_levelName; }
    void addMovie(const std::string& fileName) override;
    bool startLoader() override;
    // Only a loader that was started finishes.
    bool loaderFinished() const override { return getExitCode() != kNeverStarted && isFinished(); }
    uint32_t loaderExitCode() const override { return getExitCode(); }
    float shownTime() const override { return m_shownTime; }
    std::vector<std::string> extraMovies();

protected:
    uint32_t run() override;

private:
    // Main thread: the caption the loader handed over.
    void applyCaption();
    flash::character* nameField();

    float m_shownTime = 0.0f;
    std::string m_levelName;
    std::vector<std::string> m_extraMovies;
    flash::smart_ptr<flash::character> m_nameText;
    // Guards the level name and the movie list against a loader that still runs, and the caption
    // handed from the loader to the main thread.
    std::mutex m_lock;
    std::optional<std::string> m_pendingCaption;
};
