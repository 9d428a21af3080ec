// The hidden-object scene: its element groups, the start state of its clips, what a press or a
// roll-over means for each element kind, completion, the hint, the skip and the debug labels.
#include "levels/hidden_level.h"

#include <cmath>
#include <cstdio>

#include "app/application.h"
#include "app/mouse_cursor.h"
#include "core/attr_access.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "core/string_table.h"
#include "core/string_utils.h"
#include "flash/movie/display_list.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "flash/shape/geometry.h"
#include "input/input_event.h"
#include "levels/hidden_services.h"
#include "levels/level_manager.h"
#include "levels/level_sound.h"
#include "particles/effect_mgr.h"
#include "screens/main_panel.h"
#include "script/console_sink.h"
#include "script/script_core.h"
#include "script/script_function.h"

namespace {

constexpr int kPressEvent = 1;
constexpr int kRollOverEvent = 4;
constexpr int kRollOutEvent = 5;
constexpr int kStopped = 1;
constexpr int kPlaying = 0;
constexpr int kIdleFrame = 0;
constexpr int kFoundFrame = 1;
constexpr int kAlpha = 3;  // the alpha row of a colour transform

const levels::LevelKindRegistration s_kind("hidden", [](BaseLevel* parent) -> BaseLevel* {
    return new HiddenLevel(parent);
});

bool debugMode() { return d_DebugMode && d_DebugMode->value.b; }

flash::sprite_instance* asSprite(flash::character* ch) {
    return ch && ch->cast_to_sprite() ? static_cast<flash::sprite_instance*>(ch) : nullptr;
}

void gotoFrame(flash::character* ch, int frame) {
    if (ch) ch->goto_frame(frame);
}

// Play or stop a clip and its children.
void setPlaying(flash::character* ch, bool playing) {
    if (flash::sprite_instance* sprite = asSprite(ch))
        sprite->set_play_state(playing ? kPlaying : kStopped, true);
    else if (ch)
        ch->set_play_state(playing ? kPlaying : kStopped);
}

void setLoops(flash::character* ch, int count) {
    if (flash::sprite_instance* sprite = asSprite(ch)) sprite->set_loop(count, true, -1.0f);
}

// True when the element had a click script to run.
bool runClickScript(const BaseElement* element) { return element->runScript(eiLeftClick); }

void consoleLine(const std::string& text) { script::consolePrint(text.c_str()); }

// A script function's integer answer; false when the script has no such function.
bool askScript(const std::string& name, int& result) {
    result = 0;
    if (!currentScriptState()) return false;
    script::Function<int> function;
    function.bind(name.c_str());
    if (!function.isBound()) return false;
    return function.call(result);
}

// The name an entry of an element group gives, or empty (logged) when the movie cannot hold it.
std::string groupEntryName(const Attr::AttributePtr& entry, const char* group) {
    const std::string& name = entry->name();
    if (name.empty()) {
        Tov::LogLine("ERROR") << "HiddenLevel::initInternal" << ": an entry of " << group
                              << " has no name; skipped";
        return {};
    }
    if (name.size() > HiddenLevel::kMaxElementName) {
        Tov::LogLine("ERROR") << "HiddenLevel::initInternal" << ": an entry of " << group << " has a name of "
                              << name.size() << " bytes (at most " << HiddenLevel::kMaxElementName
                              << "); skipped";
        return {};
    }
    return name;
}

std::string entryText(const Attr::AttributePtr& entry) {
    return entry->typeId() == Attr::TYPE_OBJECT ? std::string() : entry->valueAsString();
}

}  // namespace

// ---- HiddenElement ------------------------------------------------------------------------

HiddenElement::HiddenElement(const std::string& name, const std::string& targetName)
    : BaseElement(kKindHidden, name, targetName) {}

HiddenElement::~HiddenElement() {
    flash::edit_text_character* field = m_label.get_ptr();
    if (!field) return;
    flash::character* parent = field->get_parent();
    if (flash::display_list* list = parent ? parent->get_display_list() : nullptr) list->remove_character(field);
}

flash::edit_text_character* HiddenElement::label() const { return m_label.get_ptr(); }

bool HiddenElement::isAvailable() const {
    MainPanel* panel = MainPanel::instance();
    if (!panel) return false;
    MainPanel::NotificationElement* entry = panel->findEntry(getName());
    return entry && panel->isEntryVisible(entry);
}

void HiddenElement::createLabel(flash::character* parent) {
    if (m_label.get_ptr()) return;
    flash::sprite_instance* sprite = asSprite(parent);
    if (!sprite) return;
    const std::string name = getName() + kLabelSuffix;
    flash::edit_text_character* field = sprite->create_text_field(
        flash::bx_string(name.c_str()), sprite->get_next_highest_depth() + kLabelDepthAbove, 0, 0, kLabelWidth,
        kLabelHeight);
    if (!field) return;
    m_label = field;
    field->m_color = flash::rgba(255, 0, 0, 255);
    field->m_text_height = kLabelTextHeight;
    field->set_text(flash::bx_string(wstringToUtf8(StringTable::translate(kLabelTextPrefix + getName())).c_str()));
    field->set_visible(debugMode());
}

// ---- HiddenLevel: set-up ------------------------------------------------------------------

struct HiddenLevel::Group {
    const char* key;
    int kind;
    const char* logText;
    const char* missingText;  // logged when the group is absent; null for none
    bool useTargets;
};

HiddenLevel::HiddenLevel(BaseLevel* parent) : BaseLevel(parent) { m_levelKind = kKindHidden; }

HiddenLevel::~HiddenLevel() {
    if (Application* app = Application::instance()) {
        for (int line : {kRemainedLine, kTimeLine, kSpareLine}) app->setDebugText(line, std::string());
    }
}

bool HiddenLevel::initInternal(const Attr::AttributePtr& description) {
    if (!BaseLevel::initInternal(description)) return false;
    m_objectCount = 0;
    static const Group kGroups[] = {
        {"hidden", kKindHidden, "create hidden element: ", "not find node with hidden objects!!!", false},
        {"script_objects", kKindCountedScript, "create script element: ", "not find node with hidden objects!!!", false},
        {"hidden_and_staying", kKindStaying, "create hidden_and_staying element: ", nullptr, false},
        {"invisible", kKindUseTarget, "create script element: ", nullptr, true},
    };
    for (const Group& group : kGroups) createGroup(description, group);

    // The background only where the scene's own top clips are.
    flash::root* root = getRoot();
    flash::sprite_instance* movie = root ? root->get_root_sprite() : nullptr;
    if (flash::character* area = movie ? movie->get_character_by_name(flash::bx_string(kClickArea), false) : nullptr)
        area->set_event_callback(&BaseLevel::levelEventCallback);
    return true;
}

void HiddenLevel::createGroup(const Attr::AttributePtr& description, const Group& group) {
    const Attr::AttributePtr& entries = Attr::findAttribute(description, group.key);
    if (!entries || entries->typeId() != Attr::TYPE_OBJECT) {
        if (group.missingText) Tov::LogLine("MESSAGE") << group.missingText;
        return;
    }
    for (auto it = Attr::attributesBegin(entries); it != Attr::attributesEnd(entries); ++it) {
        const Attr::AttributePtr& entry = it->second;
        const std::string name = groupEntryName(entry, group.key);
        if (name.empty()) continue;
        Tov::LogLine("MESSAGE") << group.logText << name;
        BaseElement* element = group.kind == kKindHidden ? new HiddenElement(name, entryText(entry))
                                                         : new BaseElement(group.kind, name, entryText(entry));
        element->setLevel(this);
        m_elements.push_back(element);
        if (group.useTargets)
            ++m_useTargetCount;
        else
            ++m_objectCount;
    }
}

void HiddenLevel::restart() {
    for (BaseLevel* minilevel : m_minilevels)
        if (minilevel) minilevel->restart();
    m_forcedWin = false;
    m_foundCount = 0;
    flash::root* root = getRoot();
    flash::sprite_instance* movie = root ? root->get_root_sprite() : nullptr;
    if (!movie) {
        Tov::LogLine("ERROR") << "mRoot == NULL in " << "HiddenLevel::restart";
        return;
    }
    for (BaseElement* element : m_elements) {
        const std::string& name = element->getName();
        flash::character* ch = movie->get_character_by_name(flash::bx_string(name.c_str()), true);
        if (!ch) ch = findCharacter(name, true);
        if (!ch) {
            Tov::LogLine("WARNING") << "in flash file not found element " << name;
            // Never the clip of an earlier start.
            element->setCharacter(nullptr);
            continue;
        }
        element->setCharacter(ch);
        ch->set_visible(true);
        ch->m_play_name = flash::bx_string((name + kStartSoundSuffix).c_str());
        const int kind = element->getKind();
        if (kind == kKindHidden) {
            ch->m_sound_names[flash::SOUND_PRESS] = flash::bx_string(kPressSound);
            if (auto* hidden = dynamic_cast<HiddenElement*>(element)) hidden->createLabel(ch);
        }
        switch (kind) {
            case kKindHidden:
            case BaseElement::kKindOpenAnimation:
            case kKindStaying:
            case BaseElement::kKindInventoryOnCursor:
                gotoFrame(ch, kIdleFrame);
                setPlaying(ch, false);
                ch->set_event_callback(&BaseLevel::levelEventCallback);
                break;
            case BaseElement::kKindNotGame:
                element->setExtra(name + kStartSoundSuffix);
                gotoFrame(ch, kIdleFrame);
                setLoops(ch, -1);
                setPlaying(ch, true);
                ch->set_visible(true);
                break;
            case kKindUseTarget: {
                flash::cxform colour = ch->get_cxform();
                colour.m_[kAlpha][0] = 0.0f;
                ch->set_cxform(colour);
                ch->set_event_callback(&BaseLevel::levelEventCallback);
                break;
            }
            case kKindScriptObject:
            case BaseElement::kKindMinilevelDoor:
            case kKindCountedScript:
                ch->set_event_callback(&BaseLevel::levelEventCallback);
                break;
            default:
                break;
        }
    }
}

void HiddenLevel::addElement(BaseElement* element) {
    if (!element) return;
    BaseLevel::addElement(element);
    flash::character* ch = findCharacter(element->getName(), true);
    if (!ch) {
        Tov::LogLine("ERROR") << "HiddenLevel::addElement" << " character " << element->getName() << " not found";
        return;
    }
    ch->set_event_callback(&BaseLevel::levelEventCallback);
    // Binding makes the element the clip's owner.
    element->setCharacter(ch);
}

// ---- HiddenLevel: events ------------------------------------------------------------------

BaseElement* HiddenLevel::ownElement(flash::character* ch) const {
    BaseElement* element = levels::ClipOwner::elementOf(ch);
    return element && element->getLevel() == this ? element : nullptr;
}

void HiddenLevel::wrongClick() {
    if (Application* app = Application::instance()) app->applyOverclickPenalty();
}

bool HiddenLevel::handleEvent(flash::character* ch, int eventCode) {
    if (BaseLevel::handleEvent(ch, eventCode)) return true;
    if (eventCode == kPressEvent && ch && ch->get_name() == kClickArea) {
        wrongClick();
        return true;
    }
    BaseElement* element = ownElement(ch);
    if (!element || levels::flightsBusy()) return false;
    if (eventCode == kRollOverEvent || eventCode == kRollOutEvent) return onRoll(element, ch, eventCode);
    if (eventCode != kPressEvent) return false;
    consoleLine("Clicked element: " + element->getName());
    return onPress(element, ch);
}

bool HiddenLevel::onPress(BaseElement* element, flash::character* ch) {
    Application* app = Application::instance();
    MouseCursor* cursor = MouseCursor::instance();
    switch (element->getKind()) {
        case kKindHidden:
        case kKindStaying:
            if (!takeObject(element, ch)) return true;
            break;
        case BaseElement::kKindOpenAnimation:
            if (app) app->resetTimer();
            if (cursor) cursor->setOverBlocked(false);
            if (!runClickScript(element)) {
                setPlaying(ch, true);
                ch->set_event_callback(nullptr);
            }
            return true;
        case kKindScriptObject:
        case kKindCountedScript:
            if (element->getScript(eiLeftClick).empty()) {
                wrongClick();
                return true;
            }
            if (app) app->resetTimer();
            runClickScript(element);
            return true;
        case BaseElement::kKindInventoryOnCursor:
            // A pick-up with a click script is the script's alone.
            if (runClickScript(element)) return true;
            if (app) app->resetTimer();
            if (MainPanel* panel = MainPanel::instance()) panel->releaseEntry(element->getName());
            levels::itemAdded(element, true);
            gotoFrame(ch, kFoundFrame);
            ch->set_event_callback(nullptr);
            break;
        case BaseElement::kKindMinilevelDoor:
            openDoor(element);
            break;
        case kKindUseTarget:
            if (!useTarget(element, ch)) return true;
            break;
        default:
            return false;
    }
    runClickScript(element);
    return true;
}

// An object to find; false when the press took nothing (and must do nothing more).
bool HiddenLevel::takeObject(BaseElement* element, flash::character* ch) {
    MouseCursor* cursor = MouseCursor::instance();
    if (cursor && cursor->clipMode() == MouseCursor::kModeCarried) return false;
    if (!debugMode()) {
        MainPanel* panel = MainPanel::instance();
        MainPanel::NotificationElement* entry = panel ? panel->findEntry(element->getName()) : nullptr;
        if (entry && !panel->isEntryVisible(entry)) {
            wrongClick();
            return false;
        }
    }
    if (Application* app = Application::instance()) app->resetTimer();
    if (element->getKind() == kKindStaying)
        levels::addAnimFly(ch, false);
    else
        flyToMainPanel(element);
    gotoFrame(ch, kFoundFrame);
    setLoops(ch, 0);
    consoleLine("click hid");
    setPlaying(ch, true);
    ch->set_event_callback(nullptr);
    ++m_foundCount;
    return true;
}

// A use-item target; false while the cursor carries nothing or another item (the press is
// taken all the same, silently).
bool HiddenLevel::useTarget(BaseElement* element, flash::character* ch) {
    MouseCursor* cursor = MouseCursor::instance();
    if (!cursor || !cursor->connectedElement()) return false;
    if (cursor->connectedName() != element->getTargetName()) return false;
    if (Application* app = Application::instance()) app->resetTimer();
    ch->set_event_callback(nullptr);
    --m_useTargetCount;
    levels::addTurnFly(ch, true, false);
    return true;
}

void HiddenLevel::openDoor(BaseElement* element) {
    if (MouseCursor* cursor = MouseCursor::instance()) cursor->setOverBlocked(false);
    if (Application* app = Application::instance()) app->resetTimer();
    BaseLevel* minilevel = minilevelNamed(element->getTargetName());
    if (minilevel && !minilevel->isComplete() && !minilevel->isVisible()) minilevel->enterMinilevel();
}

bool HiddenLevel::onRoll(BaseElement* element, flash::character* ch, int eventCode) {
    const bool over = eventCode == kRollOverEvent;
    MouseCursor* cursor = MouseCursor::instance();
    if (!element->runScript(over ? eiRollOver : eiRollOut) && cursor) cursor->setOverBlocked(false);
    switch (element->getKind()) {
        case kKindHidden:
            if (cursor) cursor->setOverBlocked(false);
            // The found frame as a preview, while the object can still be found.
            if (ch->get_event_callback() && debugMode()) gotoFrame(ch, over ? kFoundFrame : kIdleFrame);
            return true;
        case BaseElement::kKindOpenAnimation:
        case BaseElement::kKindMinilevelDoor:
            if (cursor) cursor->setOverBlocked(over);
            return true;
        default:
            return false;
    }
}

void HiddenLevel::flyToMainPanel(BaseElement* element) {
    if (!currentScriptState()) return;
    script::Function<void> fly;
    fly.bind(kFlyFunction);
    fly(element);
}

bool HiddenLevel::onInputEvent(InputEvent* event) {
    const bool taken = BaseLevel::onInputEvent(event);
    if (event && event->type == MOUSE_PRESSED && levels::flightsBusy()) levels::continueFlights();
    return taken;
}

bool HiddenLevel::onKey(KeyEvent* event) {
    if (!event || event->type != KEY_CLICKED || event->scanCode != kLabelsScanCode) return false;
    toggleLabels();
    return true;
}

void HiddenLevel::toggleLabels() {
    const bool debug = debugMode();
    for (BaseElement* element : m_elements) {
        auto* hidden = dynamic_cast<HiddenElement*>(element);
        flash::edit_text_character* field = hidden ? hidden->label() : nullptr;
        if (!field) continue;
        field->set_visible(debug && !field->get_visible());
    }
}

// ---- HiddenLevel: frame, completion, hint, skip --------------------------------------------

void HiddenLevel::update(float dt) {
    BaseLevel::update(dt);
    if (!completeByCount()) m_playTime += dt;
    // The debug lines are kept only in debug mode: no text is made for them otherwise.
    Application* app = Application::instance();
    if (app && debugMode()) {
        const int remained = m_objectCount - m_foundCount;
        app->setDebugText(kRemainedLine, "remained objects: " + std::to_string(remained > 0 ? remained : 0));
        char text[64];
        std::snprintf(text, sizeof text, "time: %.2f", static_cast<double>(m_playTime));
        app->setDebugText(kTimeLine, text);
    }
    if (m_useTargetCount != 0) updateUseTargets();
}

bool HiddenLevel::completeByCount() const {
    return (m_forcedWin && m_objectCount == 0) || (m_objectCount != 0 && m_objectCount == m_foundCount);
}

void HiddenLevel::updateUseTargets() {
    MouseCursor* cursor = MouseCursor::instance();
    app::CarriedElement* held = cursor ? cursor->connectedElement() : nullptr;
    flash::character* heldClip = held ? held->carriedClip() : nullptr;
    for (BaseElement* element : m_elements) {
        if (element->getKind() != kKindUseTarget) continue;
        flash::character* target = element->getCharacter();
        if (!target || !target->get_event_callback()) continue;
        if (!heldClip || heldClip->get_name() != element->getTargetName().c_str()) {
            target->set_visible(false);
            continue;
        }
        const flash::matrix a = target->get_world_matrix();
        const flash::matrix b = heldClip->get_world_matrix();
        const float d = std::hypot(a.m_[0][2] - b.m_[0][2], a.m_[1][2] - b.m_[1][2]);
        target->set_visible(d <= heldClip->get_width() * 0.5f);
        const float alpha = kProximityAlpha / (d * flash::pixels_per_twip);
        flash::cxform colour = target->get_cxform();
        // Right over the target the distance is 0: shown in full, not left transparent.
        colour.m_[kAlpha][0] = std::isfinite(alpha) ? alpha : kProximityAlpha;
        target->set_cxform(colour);
    }
}

bool HiddenLevel::minilevelsDone() const {
    for (BaseLevel* minilevel : m_minilevels)
        if (minilevel && (!minilevel->isComplete() || minilevel->isVisible())) return false;
    return true;
}

bool HiddenLevel::isComplete() {
    if (anyFlag(kFlagAnimating)) return false;
    const bool done = minilevelsDone();
    if (anyFlag(kFlagScriptUpdate) && !anyFlag(kFlagNoScriptWin)) {
        if (m_forcedWin) return true;
        return anyFlag(kFlagScriptResult) && done;
    }
    if (m_forcedWin && m_objectCount == 0) return done;
    return m_objectCount == m_foundCount && levels::flightsQueued() == 0 && done;
}

void HiddenLevel::forceWin() {
    for (BaseLevel* minilevel : m_minilevels)
        if (minilevel) minilevel->forceWin();
    for (BaseElement* element : m_elements) {
        const int kind = element->getKind();
        if (kind != kKindHidden && kind != BaseElement::kKindOpenAnimation) continue;
        flash::character* ch = findCharacter(element->getName(), true);
        if (!ch || !ch->get_visible()) continue;
        if (kind == kKindHidden)
            gotoFrame(ch, kFoundFrame);
        else
            setPlaying(ch, true);
        ch->set_event_callback(nullptr);
    }
    m_forcedWin = true;
    m_foundCount = m_objectCount;
}

bool HiddenLevel::hint() {
    for (BaseLevel* minilevel : m_minilevels)
        if (minilevel && minilevel->isVisible() && minilevel->hint()) return true;
    if (anyFlag(kFlagScriptUpdate)) {
        int result = 0;
        if (!askScript(m_name + "_on_hint", result) || result == 0) askScript(kCommonHint, result);
        if (result == 1) return true;
    }
    flash::root* root = getRoot();
    flash::sprite_instance* movie = root ? root->get_root_sprite() : nullptr;
    if (!movie) return false;
    MainPanel* panel = MainPanel::instance();
    for (BaseElement* element : m_elements) {
        const int kind = element->getKind();
        if (kind != kKindHidden && kind != kKindStaying && kind != BaseElement::kKindInventoryOnCursor) continue;
        MainPanel::NotificationElement* entry = panel ? panel->findEntry(element->getName()) : nullptr;
        if (entry && !panel->isEntryVisible(entry)) continue;
        flash::character* ch = movie->get_character_by_name(flash::bx_string(element->getName().c_str()), true);
        if (!ch || !ch->get_event_callback() || !ch->get_visible()) continue;
        const flash::matrix world = ch->get_world_matrix();
        if (particle::fxParticleEffectMgr* effects = particle::fxParticleEffectMgr::instance())
            effects->startEffect(world.m_[0][2] * flash::pixels_per_twip, world.m_[1][2] * flash::pixels_per_twip, kHintEffect,
                                 false, true);
        return true;
    }
    return false;
}

bool HiddenLevel::skip() {
    for (BaseLevel* minilevel : m_minilevels)
        if (minilevel && minilevel->isVisible() && minilevel->skip()) return true;
    int result = 0;
    if (!askScript(m_name + "_ON_SKIP", result)) {
        Tov::LogLine("ERROR") << "No ON_SKIP handler in " << m_name;
        return false;
    }
    return result == 1;
}

BaseLevel* HiddenLevel::minilevelNamed(const std::string& name) const {
    for (BaseLevel* minilevel : m_minilevels)
        if (minilevel && minilevel->getName() == name) return minilevel;
    return nullptr;
}

// ---- Minigames opened by a script ---------------------------------------------------------

void BaseLevel::initMinigameScript(const std::string& name) {
    BaseLevel* minilevel = nullptr;
    for (BaseLevel* slot : m_minilevels) {
        if (slot && slot->getName() == name) {
            minilevel = slot;
            break;
        }
    }
    if (!minilevel) return;
    const bool inited = minilevel->anyFlag(kFlagInited);
    if ((inited && minilevel->isComplete()) || minilevel->isVisible()) return;
    if (!inited) {
        minilevel->restart();
        minilevel->startChapter();
        Tov::LogLine("MESSAGE") << "Script inited for minigame: " << name;
    }
    minilevel->enterMinilevel();
    levels::playSound(HiddenLevel::kMinigameSound, false);
}
