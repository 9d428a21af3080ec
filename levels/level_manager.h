#pragma once
// The game's progress through its scenes: the level graph "levels.xml", the loaded levels, the
// running one, the routes to the next level (at once, after a fade, or through the loading
// screen), the progress kept in the profile, and the workers that read the movies a level lists
// into the player's library ahead of time.
//
// A level that cannot start never leaves the game on an empty screen: every failed start ends
// with the levels cleared and the main menu shown.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/game_layers.h"
#include "core/attr_tree.h"
#include "core/flag_object.h"
#include "core/singleton.h"
#include "script/bound_object.h"

class BaseLevel;

namespace ScriptBinding {
struct ClassDescriptor;
}

namespace levels {
class PreloadWorker;

// Makes a level of one kind ("Type" of its description) with its parent.
using LevelMaker = BaseLevel* (*)(BaseLevel* parent);
// Each level kind registers its maker from a static initialiser of its own file.
struct LevelKindRegistration {
    LevelKindRegistration(const char* type, LevelMaker maker);
};
// Replaces the maker of a kind (tests stand in their own levels); the earlier one is returned.
LevelMaker setLevelMaker(const std::string& type, LevelMaker maker);
}  // namespace levels

class LevelManager : public Tov::Singleton<LevelManager>,
                     public Tov::FlagObject<unsigned int>,
                     public app::LevelControl,
                     public script::BoundObject {
public:
    // Flag bits.
    static constexpr unsigned kFinishDialogStarted = 0x01;
    static constexpr unsigned kNoFade = 0x02;
    static constexpr unsigned kTaskHidden = 0x04;
    static constexpr unsigned kClearOnEnd = 0x08;
    static constexpr unsigned kSkipFinishDialog = 0x10;
    static constexpr unsigned kLevelEnded = 0x20;
    static constexpr unsigned kSkipStartDialog = 0x40;
    // The level flag of a level deleted when it is left.
    static constexpr unsigned kLevelDeleteWhenLeft = 0x400;

    static constexpr const char* kGraphFile = "levels.xml";
    static constexpr int kMaxMinilevels = 10;
    // Entries of a load list read at most; a longer list is cut there.
    static constexpr int kMaxLoadListEntries = 4096;
    // How long the return to the main menu waits for a preload worker.
    static constexpr int kWaitLoaderMs = 10000;

    // Registers itself as the application's level control and as the levels' maker.
    LevelManager();
    // Clears the levels and waits for every preload worker.
    ~LevelManager() override;

    // Reads the graph; false (start-up fails) when there is none.
    bool init();

    app::GameLevel* getCurrentLevel(bool deep) override;
    BaseLevel* currentLevel(bool deep = false) const;
    std::string getCurrentLevelName() const;
    BaseLevel* findLevel(const std::string& name, bool load);
    BaseLevel* loadLevel(const std::string& name, BaseLevel* parent);
    void deleteLevel(BaseLevel* level);
    void clear();
    void clearLevels();
    void logLevels() const;
    void deleteLevelByName(const std::string& name);
    BaseLevel* preloadLevel(const std::string& name, BaseLevel* parent);
    void forceWinCurrentLevel();
    void debugCompleteLevel() override;

    bool startLevel(const std::string& name) override;
    void enterLevel(const std::string& name) override;
    void onEndCurrentLevel(const std::string& nextName) override;
    std::string levelToLoad(const std::string& requested) override;
    void initElements();
    bool getNextLevelName(std::string& out);
    void goToLevel(const std::string& name);
    void nextLevel();
    void update() override;
    // Starts a worker over the current load list.
    void processLoadList();
    void loadSWF(const std::string& fileName);
    void waitLoader() override;
    // The pause menu's restart: the cursor reset and the entry step run again on the running
    // level, which is neither ended nor faded (ending it would delete its minilevels).
    void restartCurrentLevel() override;

    // The graph's text and boolean values of a level's node (empty or false when missing).
    std::string levelString(const std::string& level, const char* key) const;
    bool levelBool(const std::string& level, const char* key) const;
    bool hasLevelNode(const std::string& level) const;

    const std::vector<BaseLevel*>& levels() const { return m_levels; }
    const std::string& pendingLevel() const { return m_pendingLevel; }
    const Attr::AttributePtr& graph() const { return m_graph; }
    // Preload workers running.
    int busy() const { return m_busy.load(); }
    // Waits for every preload worker to end.
    void joinWorkers();

    static ScriptBinding::ClassDescriptor* scriptClass();

private:
    friend class levels::PreloadWorker;

    // True when the description exists and names a kind that is built; else logs why.
    bool checkStartable(const std::string& name) const;
    // The parent chain of a level in the graph ends; false (logged) when it loops.
    bool parentChainEnds(const std::string& name) const;
    struct ParentWalk {
        std::vector<std::string> chain;
        bool looped = false;
    };
    BaseLevel* findLevelIn(const std::string& name, bool load, ParentWalk& walk);
    // The failed start: levels cleared, the loading screen hidden, the main menu back; with no
    // level to go to the game is finished and the profile begins again.
    void failToMenu(const std::string& wanted);
    void showMainMenu();
    void restartProfile();
    void pruneWorkers();
    // Stops the workers after their current movie and waits for them.
    void stopWorkers();

    std::vector<BaseLevel*> m_levels;
    BaseLevel* m_currentLevel = nullptr;
    std::string m_pendingLevel;
    Attr::AttributePtr m_graph;
    Attr::AttributePtr m_loadList;
    std::atomic<int> m_busy{0};
    std::atomic<bool> m_stopPreload{false};
    std::vector<std::unique_ptr<levels::PreloadWorker>> m_workers;
};
