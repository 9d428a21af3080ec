#include "levels/level_manager.h"

#include <algorithm>
#include <map>

#include "app/application.h"
#include "app/mouse_cursor.h"
#include "app/profiles.h"
#include "audio/media_center.h"
#include "core/attr_access.h"
#include "core/attr_xml.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "core/scoped_profiler.h"
#include "core/thread.h"
#include "flash/movie/player.h"
#include "levels/base_level.h"
#include "levels/fly_elements.h"
#include "levels/level_factory.h"
#include "particles/effect_mgr.h"
#include "platform/clock.h"
#include "screens/main_menu.h"
#include "screens/main_panel.h"
#include "script/script_core.h"
#include "script/script_function.h"
#include "script/script_timers.h"

namespace {

constexpr const char* kDescriptionExtension = ".xml";
constexpr const char* kStartLevelKey = "StartLevel";
constexpr const char* kNextLevelKey = "next_level";
constexpr const char* kParentKey = "parent";
constexpr const char* kLoadScreenKey = "loadscreen";
constexpr const char* kClearListKey = "clear_level_list";
constexpr const char* kDeleteCurrentKey = "delete_current";
constexpr const char* kLoadListKey = "LoadList";
constexpr const char* kTypeKey = "Type";
constexpr const char* kClearLevelScript = "common.clear_level()";
constexpr const char* kEnterHook = "_ON_ENTER";
// The dialogs a level start and a level's completion play: the level's name and these.
constexpr const char* kStartDialogSuffix = "_start";
constexpr const char* kFinishDialogSuffix = "_finish";
constexpr unsigned kPollMs = 10;
// Level flags the end of a level clears: its script ran and its update function answered.
constexpr unsigned kLevelInited = 0x200;
constexpr unsigned kLevelScriptResult = 0x002;
constexpr unsigned kLevelOpen = 0x080;

// The level kinds by "Type", compared exactly; a kind not built yet has no maker.
constexpr const char* kLevelTypes[] = {"hidden", "puzzle", "contour", "rotator", "letters", "movie"};

std::map<std::string, levels::LevelMaker>& makers() {
    static std::map<std::string, levels::LevelMaker> table;
    return table;
}

levels::LevelMaker makerOf(const std::string& type) {
    if (std::find(std::begin(kLevelTypes), std::end(kLevelTypes), type) == std::end(kLevelTypes)) return nullptr;
    auto it = makers().find(type);
    return it == makers().end() ? nullptr : it->second;
}

std::string describeType(const Attr::AttributePtr& description) {
    return Attr::stringValueOr(Attr::findAttribute(description, kTypeKey), "");
}

void logTypeError(const std::string& name) {
    Tov::LogLine("ERROR") << "not defined type of level for " << name << " in " << LevelManager::kGraphFile;
}

bool createManager() {
    new LevelManager();
    return true;
}

bool initManager() { return LevelManager::instance() && LevelManager::instance()->init(); }

bool destroyManager() {
    if (!LevelManager::instance()) return false;
    delete LevelManager::instance();
    return true;
}

const app::PartRegistration s_created(13, app::kStartupLevelManager, &createManager, app::kShutdownLevelManager,
                                      "LevelManager", &destroyManager);
const app::PartRegistration s_started(24, 1, &initManager, 0, nullptr, nullptr);

// The level manager's dialogs: the start's flag on, no end script.
void startDialog(const std::string& name) {
    if (app::DialogControl* dialogs = app::dialogControl()) dialogs->startDialog(name, true, std::string());
}

}  // namespace

namespace levels {

LevelKindRegistration::LevelKindRegistration(const char* type, LevelMaker maker) { makers()[type] = maker; }

LevelMaker setLevelMaker(const std::string& type, LevelMaker maker) {
    LevelMaker& entry = makers()[type];
    LevelMaker earlier = entry;
    entry = maker;
    return earlier;
}

// Reads the movies of one load list into the player's library. It holds its own copy of the
// list, so a later list never changes the one it reads.
class PreloadWorker : public Tov::Thread {
public:
    PreloadWorker(LevelManager& owner, std::vector<std::string> files) : m_owner(owner), m_files(std::move(files)) {}
    ~PreloadWorker() override { wait(); }

protected:
    uint32_t run() override {
        for (const std::string& file : m_files) {
            Application* app = Application::instance();
            if (!app || app->quitRequested() || m_owner.m_stopPreload.load()) break;
            ScopedProfiler profiler("LevelManager::processLoadList", "Async loaded swf: " + file);
            if (!app->player() || !app->player()->create_movie(file.c_str()))
                Tov::LogLine("ERROR") << "Not found swf file" << file;
        }
        m_owner.m_busy.fetch_sub(1);
        return 0;
    }

private:
    LevelManager& m_owner;
    std::vector<std::string> m_files;
};

}  // namespace levels

LevelManager::LevelManager() {
    app::setLevelControl(this);
    levels::LevelFactory factory;
    factory.create = [this](const std::string& name, BaseLevel* parent) {
        BaseLevel* level = loadLevel(name, parent);
        if (level) m_levels.push_back(level);
        return level;
    };
    factory.destroy = [this](BaseLevel* level) { deleteLevel(level); };
    levels::setLevelFactory(std::move(factory));
}

LevelManager::~LevelManager() {
    stopWorkers();
    clear();
    m_loadList = Attr::AttributePtr();
    m_graph = Attr::AttributePtr();
    levels::setLevelFactory(levels::LevelFactory());
    if (app::levelControl() == this) app::setLevelControl(nullptr);
}

bool LevelManager::init() {
    Tov::LogLine("MESSAGE") << "LevelManager::init";
    m_graph = Attr::loadDocument(kGraphFile);
    if (!m_graph) {
        Tov::LogLine("ERROR") << "not load levels " << kGraphFile;
        return false;
    }
    if (d_StartLevel->text.empty()) {
        showMainMenu();
        return true;
    }
    return startLevel(d_StartLevel->text);
}

app::GameLevel* LevelManager::getCurrentLevel(bool deep) { return currentLevel(deep); }

BaseLevel* LevelManager::currentLevel(bool deep) const {
    if (!deep || !m_currentLevel) return m_currentLevel;
    for (int slot = 0; slot < kMaxMinilevels; ++slot) {
        BaseLevel* minilevel = m_currentLevel->getMinilevel(slot);
        if (!minilevel) break;
        if (minilevel->anyFlag(kLevelOpen)) return minilevel;
    }
    return m_currentLevel;
}

std::string LevelManager::getCurrentLevelName() const {
    return m_currentLevel ? m_currentLevel->getName() : std::string();
}

bool LevelManager::hasLevelNode(const std::string& level) const {
    if (level.empty()) return false;
    const Attr::AttributePtr& node = Attr::findAttribute(m_graph, level);
    return node && node->typeId() == Attr::TYPE_OBJECT;
}

std::string LevelManager::levelString(const std::string& level, const char* key) const {
    if (!hasLevelNode(level)) return std::string();
    return Attr::stringValueOr(Attr::findAttribute(Attr::findAttribute(m_graph, level), key), "");
}

bool LevelManager::levelBool(const std::string& level, const char* key) const {
    if (!hasLevelNode(level)) return false;
    return Attr::boolValueOr(Attr::findAttribute(Attr::findAttribute(m_graph, level), key), false);
}

BaseLevel* LevelManager::findLevel(const std::string& name, bool load) {
    ParentWalk walk;
    return findLevelIn(name, load, walk);
}

BaseLevel* LevelManager::findLevelIn(const std::string& name, bool load, ParentWalk& walk) {
    if (name.empty()) return nullptr;
    for (BaseLevel* level : m_levels)
        if (level->getName() == name) return level;
    if (!load) return nullptr;
    if (std::find(walk.chain.begin(), walk.chain.end(), name) != walk.chain.end()) {
        // The levels of the loop, in the order the walk met them.
        Tov::LogLine line("ERROR");
        line << "LevelManager::findLevel" << ": the parents of " << walk.chain.front() << " loop in " << kGraphFile
             << ":";
        for (const std::string& level : walk.chain) line << " " << level;
        line << " " << name;
        walk.looped = true;
        return nullptr;
    }
    walk.chain.push_back(name);
    BaseLevel* parentLevel = nullptr;
    if (const std::string parent = levelString(name, kParentKey); !parent.empty()) {
        parentLevel = findLevelIn(parent, true, walk);
        // A loop leaves no level at all.
        if (walk.looped) return nullptr;
    }
    BaseLevel* level = loadLevel(name, parentLevel);
    if (level) m_levels.push_back(level);
    return level;
}

bool LevelManager::parentChainEnds(const std::string& name) const {
    std::vector<std::string> chain{name};
    for (std::string parent = levelString(name, kParentKey); !parent.empty(); parent = levelString(parent, kParentKey)) {
        if (std::find(chain.begin(), chain.end(), parent) != chain.end()) {
            Tov::LogLine line("ERROR");
            line << "LevelManager::startLevel" << ": the parents of " << name << " loop in " << kGraphFile << ":";
            for (const std::string& level : chain) line << " " << level;
            line << " " << parent;
            return false;
        }
        chain.push_back(parent);
    }
    return true;
}

BaseLevel* LevelManager::loadLevel(const std::string& name, BaseLevel* parent) {
    Tov::LogLine("MESSAGE") << "LevelManager::loadLevel" << " " << name;
    Attr::AttributePtr description = Attr::loadDocument(name + kDescriptionExtension);
    if (!description) {
        Tov::LogLine("ERROR") << "not find level with name " << name;
        return nullptr;
    }
    levels::LevelMaker maker = makerOf(describeType(description));
    if (!maker) {
        logTypeError(name);
        return nullptr;
    }
    BaseLevel* level = maker(parent);
    if (!level) return nullptr;
    if (!level->initElements(description)) {
        delete level;
        return nullptr;
    }
    return level;
}

void LevelManager::deleteLevel(BaseLevel* level) {
    if (!level) return;
    Tov::LogLine("MESSAGE") << "LevelManager::deleteLevel" << " " << level->getName();
    std::erase(m_levels, level);
    if (m_currentLevel == level) m_currentLevel = nullptr;
    // Its minilevels come back through the factory and leave the list the same way.
    delete level;
}

void LevelManager::clear() {
    Tov::LogLine("MESSAGE") << "LevelManager::clear";
    // The last loaded first: a level's parent was loaded before it and outlives it.
    while (!m_levels.empty()) deleteLevel(m_levels.back());
    m_currentLevel = nullptr;
}

void LevelManager::clearLevels() {
    while (!m_levels.empty()) {
        Tov::LogLine("MESSAGE") << "Deleting level: " << m_levels.back()->getName();
        deleteLevel(m_levels.back());
    }
}

void LevelManager::logLevels() const {
    for (const BaseLevel* level : m_levels) Tov::LogLine("MESSAGE") << level->getName();
}

void LevelManager::deleteLevelByName(const std::string& name) {
    if (BaseLevel* level = findLevel(name, false)) deleteLevel(level);
}

BaseLevel* LevelManager::preloadLevel(const std::string& name, BaseLevel* parent) {
    if (BaseLevel* level = findLevel(name, false)) return level;
    return loadLevel(name, parent);
}

void LevelManager::debugCompleteLevel() { forceWinCurrentLevel(); }

void LevelManager::forceWinCurrentLevel() {
    if (m_currentLevel) m_currentLevel->forceWin();
}

bool LevelManager::checkStartable(const std::string& name) const {
    Attr::AttributePtr description = Attr::loadDocument(name + kDescriptionExtension);
    if (!description) {
        Tov::LogLine("ERROR") << "not find level with name " << name;
        return false;
    }
    if (!makerOf(describeType(description))) {
        logTypeError(name);
        return false;
    }
    return parentChainEnds(name);
}

bool LevelManager::startLevel(const std::string& requested) {
    // A copy: the name may be the text of d_StartLevel, which the start empties.
    const std::string name = requested;
    Tov::LogLine("MESSAGE") << "LevelManager::startLevel" << " " << name;
    if (name.empty()) {
        Tov::LogLine("ERROR") << "not defined start level in " << kGraphFile;
        return false;
    }
    // A level that cannot start leaves the progress and the running level as they were.
    if (!checkStartable(name)) return false;
    Profiles* profiles = Profiles::instance();
    if (profiles) {
        profiles->CurrentLevel = name;
        profiles->save();
    }
    if (MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance())
        media->setMusicVolume(s_musicVol->value.f[0]);
    if (!anyFlag(kLevelEnded))
        onEndCurrentLevel(name);
    else
        setFlag(kLevelEnded, false);
    const std::string parentName = levelString(name, kParentKey);
    BaseLevel* level = findLevel(name, false);
    BaseLevel* parent = findLevel(parentName, true);
    d_StartLevel->setFromString("");
    runScriptBuffer(kClearLevelScript, 0, "clear_level");
    if (app::DialogControl* dialogs = app::dialogControl()) dialogs->init();
    if (MouseCursor* cursor = MouseCursor::instance()) cursor->reset();
    if (Application* app = Application::instance()) app->updateWindowMapping(false);
    if (particle::fxParticleEffectMgr* effects = particle::fxParticleEffectMgr::instance()) effects->clearEffects();
    if (!level) {
        level = loadLevel(name, parent);
        if (!level) {
            m_currentLevel = nullptr;
            return false;
        }
        m_levels.push_back(level);
    }
    m_currentLevel = level;
    level->setFlag(kLevelDeleteWhenLeft, levelBool(name, kDeleteCurrentKey));
    initElements();
    const Attr::AttributePtr& list = Attr::findAttribute(Attr::findAttribute(m_graph, name), kLoadListKey);
    if (list && list->typeId() == Attr::TYPE_OBJECT) {
        m_loadList = list;
        processLoadList();
    }
    if (Application* app = Application::instance()) {
        app->clearMouseButtons();
        app->resetTimer();
        if (!anyFlag(kNoFade)) app->startFadeIn();
    }
    return true;
}

void LevelManager::enterLevel(const std::string& name) {
    if (!startLevel(name)) failToMenu(name);
}

void LevelManager::onEndCurrentLevel(const std::string& nextName) {
    if (!m_currentLevel) return;
    Tov::LogLine("MESSAGE") << "LevelManager::onEndCurrentLevel";
    BaseLevel* level = m_currentLevel;
    level->onEndLevel();
    level->setFlag(kLevelInited | kLevelScriptResult, false);
    const bool clearList = levelBool(nextName, kClearListKey);
    if (Profiles* profiles = Profiles::instance()) {
        profiles->LastLevel = level->getName();
        profiles->save();
    }
    if (level->anyFlag(kLevelDeleteWhenLeft)) deleteLevel(level);
    m_currentLevel = nullptr;
    if (anyFlag(kClearOnEnd) || clearList) {
        Tov::LogLine("MESSAGE") << "LevelManager::onEndCurrentLevel" << " Clear levels";
        clear();
    }
    setFlag(kLevelEnded, true);
}

void LevelManager::initElements() {
    if (!m_currentLevel) {
        Tov::LogLine("ERROR") << "mCurrentLevel == NULL in " << "LevelManager::initElements";
        return;
    }
    if (FlyElementsManager* flights = FlyElementsManager::instance()) flights->clear();
    if (MainPanel* panel = MainPanel::instance()) panel->reset();
    m_currentLevel->restart();
    setFlag(kFinishDialogStarted | kTaskHidden, false);
    m_currentLevel->startChapter();
    if (!m_currentLevel) return;
    script::Function<void> enter;
    enter.bind((m_currentLevel->getName() + kEnterHook).c_str());
    enter();
    // The entry script may have let go of the level.
    if (m_currentLevel && !anyFlag(kSkipStartDialog)) startDialog(m_currentLevel->getName() + kStartDialogSuffix);
    setFlag(kSkipStartDialog, false);
}

bool LevelManager::getNextLevelName(std::string& out) {
    Profiles* profiles = Profiles::instance();
    std::string cur = m_currentLevel ? m_currentLevel->getName() : (profiles ? profiles->CurrentLevel : std::string());
    std::string next = !d_StartLevel->text.empty() ? d_StartLevel->text : levelString(cur, kNextLevelKey);
    if (cur.empty() && next.empty()) next = Attr::stringValueOr(Attr::findAttribute(m_graph, kStartLevelKey), "");
    if (const std::string parent = levelString(next, kParentKey); !parent.empty()) next = parent;
    if (!m_currentLevel && !cur.empty() && next.empty()) cur.clear();
    if (profiles) {
        profiles->LastLevel = cur;
        profiles->save();
    }
    if (!cur.empty() && next.empty()) return false;
    out = next;
    return true;
}

std::string LevelManager::levelToLoad(const std::string& requested) {
    if (hasLevelNode(requested)) return requested;
    if (!requested.empty()) {
        // An old profile's level that the graph no longer has: the game begins again.
        Tov::LogLine("WARNING") << "LevelManager::levelToLoad" << ": " << requested << " is not in " << kGraphFile
                                << "; the start level follows";
        return Attr::stringValueOr(Attr::findAttribute(m_graph, kStartLevelKey), "");
    }
    std::string next;
    return getNextLevelName(next) ? next : std::string();
}

void LevelManager::goToLevel(const std::string& name) {
    setFlag(kNoFade, true);
    if (hasLevelNode(name)) {
        if (levelBool(name, kLoadScreenKey)) {
            setFlag(kNoFade, false);
            if (Application* app = Application::instance()) app->startLoading(name);
            return;
        }
        BaseLevel* parent = findLevel(levelString(name, kParentKey), false);
        if (m_currentLevel && parent && !m_currentLevel->isOutsideChainOf(parent)) {
            if (!startLevel(name)) failToMenu(name);
            return;
        }
    }
    setFlag(kNoFade, false);
    Application* app = Application::instance();
    m_pendingLevel = name;
    if (!app || !app->fadesEnabled()) {
        // The same road as after a fade, so that a level that cannot start still ends in the menu.
        nextLevel();
        return;
    }
    app->startFadeOut();
    app->setFadeCallback(new app_helpers::CallBack<LevelManager>(this, &LevelManager::nextLevel));
}

void LevelManager::nextLevel() {
    Tov::LogLine("MESSAGE") << "LevelManager::nextLevel";
    Profiles* profiles = Profiles::instance();
    std::string cur = m_currentLevel ? m_currentLevel->getName() : (profiles ? profiles->LastLevel : std::string());
    joinWorkers();
    if (!m_pendingLevel.empty()) {
        const std::string pending = std::move(m_pendingLevel);
        m_pendingLevel.clear();
        if (!startLevel(pending)) failToMenu(pending);
        return;
    }
    if (d_StartLevel->text.empty()) cur = levelString(cur, kNextLevelKey);
    if (cur.empty() && !m_currentLevel) cur = Attr::stringValueOr(Attr::findAttribute(m_graph, kStartLevelKey), "");
    if (startLevel(cur)) return;
    failToMenu(cur);
}

void LevelManager::failToMenu(const std::string& wanted) {
    stopWorkers();
    clear();
    if (wanted.empty()) restartProfile();
    if (BaseRender* loading = app::screen(app::Screen::Loading)) loading->hide();
    if (MouseCursor* cursor = MouseCursor::instance()) cursor->setVisible(true);
    showMainMenu();
}

void LevelManager::restartProfile() {
    Profiles* profiles = Profiles::instance();
    if (!profiles || profiles->name.empty()) return;
    const std::string name = profiles->name;
    profiles->deleteProfile(name);
    if (!profiles->createProfile(name))
        Tov::LogLine("ERROR") << "LevelManager::nextLevel" << ": cannot make the profile " << name << " again";
}

void LevelManager::showMainMenu() {
    if (MainMenu* menu = MainMenu::instance()) menu->playAmbient();
}

void LevelManager::update() {
    if (!m_currentLevel) return;
    if (BaseRender* loading = app::screen(app::Screen::Loading); loading && loading->isVisible()) return;
    if (!m_currentLevel->isComplete()) return;
    Application* app = Application::instance();
    if (app && app->anyFlag(Application::kFadeOut)) return;
    if (!anyFlag(kFinishDialogStarted | kSkipFinishDialog)) {
        // The frame checks again once the closing dialog lets the game go.
        setFlag(kFinishDialogStarted, true);
        startDialog(m_currentLevel->getName() + kFinishDialogSuffix);
        return;
    }
    setFlag(kSkipFinishDialog, false);
    if (Profiles* profiles = Profiles::instance()) profiles->LastLevel = m_currentLevel->getName();
    goToLevel(levelString(m_currentLevel->getName(), kNextLevelKey));
}

void LevelManager::processLoadList() {
    if (!m_loadList) return;
    std::vector<std::string> files;
    for (int i = 1; i <= kMaxLoadListEntries; ++i) {
        std::string file = Attr::stringValueOr(Attr::findAttribute(m_loadList, std::to_string(i)), "");
        if (file.empty()) break;
        files.push_back(std::move(file));
    }
    if (files.empty()) return;
    pruneWorkers();
    m_stopPreload.store(false);
    // Raised before the thread runs, so a wait that follows at once already sees it.
    m_busy.fetch_add(1);
    auto worker = std::make_unique<levels::PreloadWorker>(*this, std::move(files));
    if (!worker->start()) {
        m_busy.fetch_sub(1);
        Tov::LogLine("ERROR") << "LevelManager::processLoadList" << ": the preload worker did not start";
        return;
    }
    m_workers.push_back(std::move(worker));
}

void LevelManager::loadSWF(const std::string& fileName) {
    Attr::AttributePtr list = Attr::createAttribute(Attr::TYPE_OBJECT, kLoadListKey);
    if (Attr::AttributePtr entry = Attr::getOrCreateAttribute(list, "1", Attr::TYPE_STRING))
        entry->setValueFromString(fileName);
    m_loadList = list;
    processLoadList();
}

void LevelManager::pruneWorkers() {
    std::erase_if(m_workers, [](const std::unique_ptr<levels::PreloadWorker>& worker) { return worker->isFinished(); });
}

void LevelManager::joinWorkers() {
    // The workers lower the count when they end; each is waited for (never killed).
    for (const auto& worker : m_workers) worker->wait();
    while (m_busy.load() > 0) platform::sleepMs(kPollMs);
    m_workers.clear();
}

void LevelManager::stopWorkers() {
    m_stopPreload.store(true);
    joinWorkers();
}

void LevelManager::restartCurrentLevel() {
    if (!m_currentLevel) return;
    Tov::LogLine("MESSAGE") << "LevelManager::restartCurrentLevel" << ' ' << m_currentLevel->getName();
    // What the cursor carries belongs to the level as it was.
    if (MouseCursor* cursor = MouseCursor::instance()) cursor->reset();
    initElements();
}

void LevelManager::waitLoader() {
    if (ScriptTimerManager* timers = ScriptTimerManager::instance()) timers->clear();
    m_stopPreload.store(true);
    for (const auto& worker : m_workers)
        if (!worker->wait(kWaitLoaderMs))
            Tov::LogLine("WARNING") << "LevelManager::waitLoader" << ": a preload worker still runs after "
                                    << kWaitLoaderMs << " ms";
    pruneWorkers();
    m_currentLevel = nullptr;
}
