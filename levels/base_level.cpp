// The level base: construction from the description, the searches by name, the destructor.
#include "levels/base_level.h"

#include <algorithm>
#include <cstdint>

#include "app/application.h"
#include "app/game_timers.h"
#include "app/mouse_cursor.h"
#include "core/attr_access.h"
#include "core/attr_xml.h"
#include "core/log_stream.h"
#include "core/scoped_profiler.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"
#include "flash/render/render_handler.h"
#include "flash/shape/geometry.h"
#include "levels/base_element.h"
#include "levels/level_factory.h"
#include "levels/level_sound.h"
#include "levels/minigame_loader.h"
#include "particles/effect_mgr.h"
#include "screens/main_panel.h"

namespace {

constexpr const char* kInitElements = "BaseLevel::initElements";
constexpr const char* kZoomOutButton = "ZoomOutBtn";
constexpr const char* kLevelArea = "LevelArea";

// The element lists of a description, each with the kind it makes and its log text.
struct ElementList {
    const char* key;
    int kind;
    const char* logText;
};
constexpr ElementList kElementLists[] = {
    {"not_game", BaseElement::kKindNotGame, "create not game element: "},
    {"anim_open", BaseElement::kKindOpenAnimation, "create anim element: "},
    {"anim_open_2", BaseElement::kKindOpenAnimation, "create anim element: "},
    {"invent_on_cursor", BaseElement::kKindInventoryOnCursor, "create invent_on_cursor element: "},
};

std::string entryValue(const Attr::AttributePtr& entry) { return Attr::stringValueOr(entry, std::string()); }

}  // namespace

BaseLevel::BaseLevel(BaseLevel* parent)
    : levels::ClipOwner(Kind::Level), m_winEffectName("on_win_effect"), m_parent(parent) {}

BaseLevel::~BaseLevel() {
    // The loader reads into this level: it ends before anything else goes.
    if (m_loader) m_loader->cancelAndWait();
    m_loader.reset();
    Tov::LogLine("MESSAGE") << "BaseLevel::~BaseLevel" << ", removing from chardef_library " << m_swfFile;
    if (m_ownsMovie && !m_swfFile.empty()) {
        if (flash::render_handler* handler = flash::get_render_handler()) handler->clear_textures(m_swfFile.c_str());
        Application* app = Application::instance();
        if (app && app->player()) app->player()->get_movie_library().remove(m_swfFile.c_str());
    }
    if (MouseCursor* cursor = MouseCursor::instance()) cursor->reset();
    deleteElements();
    if (MainPanel* panel = MainPanel::instance()) panel->hide();
    if (GameTimerManager* timers = GameTimerManager::instance()) timers->clear();
    if (m_ambientSound != -1) levels::stopSound(m_ambientSound);
    m_sounds.clear();
    // Either side may go first: a minilevel leaves its parent's slot, and the minilevels still in
    // this level's slots are given back.
    if (m_parent) {
        for (BaseLevel*& slot : m_parent->m_minilevels)
            if (slot == this) slot = nullptr;
    }
    releaseMinilevels();
}

void BaseLevel::releaseMinilevels() {
    for (BaseLevel*& slot : m_minilevels) {
        BaseLevel* minilevel = slot;
        slot = nullptr;
        if (minilevel) {
            minilevel->m_parent = nullptr;
            levels::deleteLevel(minilevel);
        }
    }
}

void BaseLevel::deleteElements() {
    std::vector<BaseElement*> elements;
    elements.swap(m_elements);
    for (BaseElement* element : elements) delete element;
}

bool BaseLevel::initElements(const Attr::AttributePtr& description) {
    m_forcedWin = false;
    deleteElements();

    m_name = description && description->typeId() == Attr::TYPE_OBJECT ? description->name() : std::string();
    if (m_name.empty()) {
        Tov::LogLine("ERROR") << "level name empty!!! " << kInitElements;
        return false;
    }

    MainPanel* panel = MainPanel::instance();
    if (panel) panel->setVisible(true);

    m_swfFile = Attr::stringValueOr(Attr::findAttribute(description, "FileName"), std::string());
    m_noAutoAddIOC = Attr::boolValueOr(Attr::findAttribute(description, "NoAutoAddIOC"), true);
    m_chapter = Attr::stringValueOr(Attr::findAttribute(description, "Chapter"), std::string());
    if (panel) panel->setFlag(MainPanel::kNoInventoryEntries, m_noAutoAddIOC);

    if (m_swfFile.empty()) {
        if (!m_parent) {
            Tov::LogLine("ERROR") << "SWF file not found in config file";
            return false;
        }
        setRoot(m_parent->getRoot());
    } else {
        ScopedProfiler profiler(kInitElements, "Loaded swf: " + m_swfFile);
        Application* app = Application::instance();
        if (app && app->player()) {
            flash::smart_ptr<flash::root> root = app->player()->load_file(m_swfFile.c_str());
            setRoot(root.get_ptr());
            m_ownsMovie = root.get_ptr() != nullptr;
        }
        // Trimming the working set has no counterpart here.
    }
    if (!getRoot()) {
        Tov::LogLine("ERROR") << m_swfFile << " not found in " << kInitElements;
        return false;
    }

    setTask("ids_" + m_name + "_objectives");

    m_zoomOutButton = findCharacter(kZoomOutButton, true);
    if (flash::character* button = getZoomOutButton()) {
        button->set_event_callback(&BaseLevel::onZoomOutButton);
        setOwnerOf(button, this);
    }
    m_levelArea = findCharacter(kLevelArea, true);
    if (flash::character* area = getLevelArea()) {
        m_levelAreaMatrix = area->get_matrix();
        m_levelAreaWorldMatrix = area->get_world_matrix();
    }

    if (!initInternal(description)) return false;

    if (m_ambientSound == -1) m_ambientSound = levels::playSound(m_name + "_ambient", true);

    const Attr::AttributePtr extension = Attr::loadDocument(m_name + "_ext.xml");
    const Attr::AttributePtr sounds = Attr::findAttribute(extension, "sounds");
    for (auto it = Attr::attributesBegin(sounds); it != Attr::attributesEnd(sounds); ++it) {
        const Attr::AttributePtr& entry = it->second;
        TimedSound record;
        record.file = entry->name();
        record.loopTime = Attr::scalarValueOr(Attr::findAttribute(entry, "loop_time"), int32_t{-1});
        record.startTime = Attr::scalarValueOr(Attr::findAttribute(entry, "start_time"), int32_t{0});
        m_sounds.push_back(record);
        if (GameTimerManager* timers = GameTimerManager::instance())
            timers->start(this, &BaseLevel::onTimedSound, reinterpret_cast<void*>(m_sounds.size() - 1),
                          static_cast<float>(record.startTime));
    }
    return true;
}

void BaseLevel::onTimedSound(void* record) {
    const auto index = reinterpret_cast<uintptr_t>(record);
    if (index >= m_sounds.size()) return;
    const TimedSound& sound = m_sounds[index];
    levels::playSound(sound.file, false);
    // Each repeat is a timer of its own: the timer that fired is finished.
    if (sound.loopTime >= 1) {
        if (GameTimerManager* timers = GameTimerManager::instance())
            timers->start(this, &BaseLevel::onTimedSound, record, static_cast<float>(sound.loopTime));
    }
}

bool BaseLevel::initInternal(const Attr::AttributePtr& description) {
    for (const ElementList& list : kElementLists) {
        const Attr::AttributePtr entries = Attr::findAttribute(description, list.key);
        for (auto it = Attr::attributesBegin(entries); it != Attr::attributesEnd(entries); ++it) {
            const Attr::AttributePtr& entry = it->second;
            Tov::LogLine("MESSAGE") << list.logText << entry->name();
            auto* element = new BaseElement(list.kind, entry->name(), entryValue(entry));
            element->setLevel(this);
            m_elements.push_back(element);
        }
    }

    const Attr::AttributePtr minilevels = Attr::findAttribute(description, "minilevels");
    int listed = 0;
    for (auto it = Attr::attributesBegin(minilevels); it != Attr::attributesEnd(minilevels); ++it) {
        if (++listed > kMaxMinilevels) {
            Tov::LogLine("ERROR") << "BaseLevel::initInternal" << ": " << m_name << " lists more than "
                                  << kMaxMinilevels << " minilevels; the first " << kMaxMinilevels << " are kept";
            break;
        }
        const Attr::AttributePtr& entry = it->second;
        const std::string minilevelName = entryValue(entry);
        Tov::LogLine("MESSAGE") << "create minilevel: " << minilevelName;
        addMinilevel(levels::createLevel(minilevelName, this));
        auto* door = new BaseElement(BaseElement::kKindMinilevelDoor, entry->name(), minilevelName);
        door->setCharacter(findCharacter(entry->name(), true));
        door->setLevel(this);
        m_elements.push_back(door);
    }

    const Attr::AttributePtr effects = Attr::findAttribute(description, "effects");
    particle::fxParticleEffectMgr* effectMgr = particle::fxParticleEffectMgr::instance();
    for (auto it = Attr::attributesBegin(effects); it != Attr::attributesEnd(effects); ++it) {
        const Attr::AttributePtr& entry = it->second;
        flash::character* clip = findCharacter(entry->name(), true);
        if (!clip || !effectMgr) continue;
        const flash::matrix world = clip->get_world_matrix();
        // The level steps and draws the effect, and releases it with itself.
        addEffect(effectMgr->startEffect(world.m_[0][2] * flash::pixels_per_twip, world.m_[1][2] * flash::pixels_per_twip,
                                         entryValue(entry), true, false));
    }
    return true;
}

int BaseLevel::freeMinilevelSlot() const {
    for (int slot = 0; slot < kMaxMinilevels; ++slot)
        if (!m_minilevels[static_cast<size_t>(slot)]) return slot;
    return -1;
}

bool BaseLevel::addMinilevel(BaseLevel* level) {
    if (!level) return false;
    const int slot = freeMinilevelSlot();
    if (slot < 0) {
        levels::deleteLevel(level);
        return false;
    }
    m_minilevels[static_cast<size_t>(slot)] = level;
    level->setVisible(false);
    return true;
}

BaseLevel* BaseLevel::getMinilevel(int slot) const {
    return slot >= 0 && slot < kMaxMinilevels ? m_minilevels[static_cast<size_t>(slot)] : nullptr;
}

int BaseLevel::minilevelCount() const {
    return static_cast<int>(std::count_if(m_minilevels.begin(), m_minilevels.end(), [](BaseLevel* l) { return l; }));
}

flash::character* BaseLevel::findCharacter(const std::string& name, bool deep) {
    std::vector<const BaseLevel*> visited;
    return findCharacterOnce(name, deep, visited);
}

flash::character* BaseLevel::findCharacterOnce(const std::string& name, bool deep,
                                               std::vector<const BaseLevel*>& visited) {
    // A minilevel without a zoom-out button asks its parent deeply, which asks its minilevels
    // again: each level is searched once per call.
    if (std::find(visited.begin(), visited.end(), this) != visited.end()) return nullptr;
    visited.push_back(this);
    if (flash::root* root = getRoot()) {
        if (flash::sprite_instance* movie = root->get_root_sprite()) {
            if (flash::character* found = movie->get_character_by_name(flash::bx_string(name.c_str()), true))
                return found;
        }
    }
    if (deep) {
        for (BaseLevel* minilevel : m_minilevels) {
            if (!minilevel) continue;
            if (flash::character* found = minilevel->findCharacterOnce(name, true, visited)) return found;
        }
    }
    if (m_parent) return m_parent->findCharacterOnce(name, !getZoomOutButton(), visited);
    return nullptr;
}

BaseElement* BaseLevel::getElementByName(const std::string& name) {
    for (BaseElement* element : m_elements)
        if (element->getName() == name) return element;
    for (BaseLevel* minilevel : m_minilevels) {
        if (!minilevel) continue;
        if (BaseElement* found = minilevel->getElementByName(name)) return found;
    }
    return nullptr;
}

void BaseLevel::addElement(BaseElement* element) {
    if (!element) return;
    element->setLevel(this);
    m_elements.push_back(element);
}

void BaseLevel::setTask(const std::string& text) { m_taskText = text; }

void BaseLevel::forceWin() { m_forcedWin = true; }

bool BaseLevel::isComplete() { return false; }

void BaseLevel::restart() {}

bool BaseLevel::handleEvent(flash::character* ch, int eventCode) {
    for (BaseLevel* minilevel : m_minilevels) {
        if (minilevel && minilevel->anyFlag(kFlagOpen) && minilevel->handleEvent(ch, eventCode)) return true;
    }
    return false;
}

void BaseLevel::onEvent(flash::character* ch, int eventCode) { handleEvent(ch, eventCode); }

bool BaseLevel::onKey(KeyEvent*) { return false; }

bool BaseLevel::hint() { return false; }

bool BaseLevel::skip() { return false; }

bool BaseLevel::isMovieReady() const {
    flash::root* root = getRoot();
    return root && root->get_root_movie();
}

bool BaseLevel::setFadeScript(int fadeId, const std::string& script) {
    if (fadeId != fsFadeIn && fadeId != fsFadeOut) return false;
    m_fadeScripts[static_cast<size_t>(fadeId)] = script;
    return true;
}

const std::string& BaseLevel::getFadeScript(int fadeId) const {
    static const std::string kNone;
    if (fadeId != fsFadeIn && fadeId != fsFadeOut) return kNone;
    return m_fadeScripts[static_cast<size_t>(fadeId)];
}

bool BaseLevel::isOutsideChainOf(const BaseLevel* other) const {
    if (!other) return true;
    for (const BaseLevel* level = this; level; level = level->m_parent) {
        if (level->anyFlag(kFlagChainStop)) return true;
        if (level->getRoot() == other->getRoot()) return false;
    }
    return true;
}
