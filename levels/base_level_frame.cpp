// The level's life: start, frame step, drawing, mouse and input forwarding, close-ups, the timed
// zoom, the win sequence and the end.
#include <cmath>
#include <string>

#include "app/application.h"
#include "app/game_timers.h"
#include "app/mouse_cursor.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "flash/shape/geometry.h"
#include "input/input_event.h"
#include "levels/base_element.h"
#include "levels/base_level.h"
#include "levels/level_factory.h"
#include "levels/level_sound.h"
#include "levels/minigame_loader.h"
#include "particles/effect_mgr.h"
#include "particles/particle_effect.h"
#include "script/script_core.h"

namespace {

constexpr int kAlpha = 3;  // the alpha row of a colour transform
constexpr int kPressEvent = 1;
constexpr int kRightButton = 1;
constexpr const char* kWinSound = "mini_game_complete";

// Shared by every level, as the game has always had them.
float g_inventoryCountdown = BaseLevel::kInventoryPeriod;
float g_zoomClock = 0.0f;

// Set while a level draws its minilevels: a minilevel drawn by its parent finds the scene
// behind it drawn already.
bool g_drawingFromParent = false;


void runText(const std::string& text, const char* chunk) {
    if (!text.empty() && currentScriptState()) runScriptBuffer(text.c_str(), text.size(), chunk);
}

// The text as a Lua string literal, quoted as string.format's %q does.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\\n"; break;
            case '\r': out += "\\r"; break;
            case '\0': out += "\\000"; break;
            default: out += c;
        }
    }
    return out + "\"";
}

}  // namespace

bool BaseLevel::sharesParentMovie() const { return m_parent && getRoot() && getRoot() == m_parent->getRoot(); }

bool BaseLevel::isVisible() const { return sharesParentMovie() ? m_ownVisible : BaseRender::isVisible(); }

void BaseLevel::setVisible(bool visible) {
    if (sharesParentMovie())
        m_ownVisible = visible;
    else
        BaseRender::setVisible(visible);
}

void BaseLevel::callHook(const char* ending) {
    if (!currentScriptState()) return;
    script::Function<void> hook;
    hook.bind((m_name + ending).c_str());
    hook();
}

void BaseLevel::startChapter() {
    if (anyFlag(kFlagInited)) return;
    m_notInitedLogged = false;
    if (!m_chapter.empty()) runText("common.set_chapter(" + quoted(m_chapter) + ")", "set_chapter");
    if (currentScriptState() && runScriptFile((m_name + ".lua").c_str()) == kScriptOk) {
        setFlag(kFlagScriptUpdate, true);
        callHook("_init");
        setFlag(kFlagInited, true);
        m_updateName = m_name + "_update";
    }
    for (BaseLevel* minilevel : m_minilevels)
        if (minilevel) minilevel->startChapter();
}

void BaseLevel::update(float dt) {
    if (!anyFlag(kFlagInited) && !m_notInitedLogged) {
        // Once per start: the level goes on being updated, and a line a frame would flood the log.
        m_notInitedLogged = true;
        Tov::LogLine("ERROR") << "BaseLevel::update" << " level not inited: " << m_name;
    }
    BaseRender::update(dt);
    takeLoadedMinigames();
    for (BaseLevel* minilevel : m_minilevels)
        if (minilevel && minilevel->anyFlag(kFlagInited)) minilevel->update(dt);

    if (m_scaleDuration > 0.0f) {
        g_zoomClock += dt;
        if (g_zoomClock <= m_scaleDuration) {
            scale(m_scaleTarget - m_scaleDelta + g_zoomClock / m_scaleDuration * m_scaleDelta, m_scaleCentreX,
                  m_scaleCentreY);
        } else {
            m_scaleDuration = 0.0f;
            g_zoomClock = 0.0f;
        }
    }

    g_inventoryCountdown -= dt;
    if (g_inventoryCountdown < 0.0f) {
        g_inventoryCountdown = kInventoryPeriod;
        runText("inventory.update()", "inventory.update");
    }

    bool moving = false;
    // By index: end scripts may add elements.
    for (size_t i = 0; i < m_elements.size(); ++i) {
        BaseElement* element = m_elements[i];
        if (element->updateAnimation(dt)) moving = true;
        element->updateFollowers(dt);
        if (particle::fxParticleEffect2D* effect = element->getEffect()) {
            if (effect->isFinished())
                element->stopEffect();
            else
                effect->update(dt);
        }
    }
    setFlag(kFlagAnimating, moving);

    stepCloseUp(dt);

    if (anyFlag(kFlagScriptUpdate) && currentScriptState()) {
        // Looked up by name each frame: a script may define the function anew while it runs.
        m_updateHook.bind(m_updateName.c_str());
        int result = 0;
        if (m_updateHook.call(result) && result == 1) setFlag(kFlagScriptResult, true);
        m_updateHook.release();
    }

    if (isComplete() && !m_winStarted && getLevelArea()) startWin();
}

void BaseLevel::startWin() {
    m_winStarted = true;
    Tov::LogLine("MESSAGE") << "Start level win effect: " << m_name;
    if (!anyFlag(kFlagInited)) Tov::LogLine("ERROR") << "level not inited: " << m_name;
    if (!anyFlag(kFlagNoWinEffect) && !m_winEffectName.empty()) {
        const flash::matrix world = getLevelArea()->get_world_matrix();
        if (particle::fxParticleEffectMgr* effects = particle::fxParticleEffectMgr::instance())
            addEffect(effects->startEffect(world.m_[0][2] * flash::pixels_per_twip, world.m_[1][2] * flash::pixels_per_twip,
                                           m_winEffectName, true, false));
        if (GameTimerManager* timers = GameTimerManager::instance()) {
            timers->start(this, &BaseLevel::onLeaveTimer, nullptr, kLeaveDelay);
            timers->start(this, &BaseLevel::onEndScriptTimer, nullptr, kEndScriptDelay);
        }
        levels::playSound(kWinSound, false);
        return;
    }
    onLeave();
    runEndScript();
}

void BaseLevel::runEndScript() { runText(m_endScript, "end_script"); }

void BaseLevel::stepCloseUp(float dt) {
    flash::character* area = getLevelArea();
    if (!area || !anyFlag(kFlagTransition)) return;
    flash::matrix matrix = area->get_matrix();
    flash::cxform colour = area->get_cxform();
    flash::character* background = findCharacter("bg_alfa", true);
    flash::cxform backgroundColour = background ? background->get_cxform() : flash::cxform();
    int fadeScript = -1;

    if (anyFlag(kFlagFadingOut)) {
        if (colour.m_[kAlpha][0] <= 0.0f) {
            setFlag(kFlagFadingOut, false);
            backgroundColour.m_[kAlpha][0] = 0.0f;
            setVisible(false);
            fadeScript = fsFadeOut;
        } else {
            colour.m_[kAlpha][0] = flash::finite_or_zero(colour.m_[kAlpha][0] - kCloseUpRate * dt);
            backgroundColour.m_[kAlpha][0] = flash::finite_or_zero(backgroundColour.m_[kAlpha][0] - kCloseUpRate * dt);
        }
    }
    if (anyFlag(kFlagZoomingIn)) {
        if (matrix.get_x_scale() >= 1.0f) {
            setFlag(kFlagZoomingIn, false);
            matrix = m_levelAreaMatrix;
            fadeScript = fsFadeIn;
        } else {
            const float scale = flash::finite_or_zero(matrix.get_x_scale() + kCloseUpRate * dt);
            matrix.set_scale_rotation(scale, scale, matrix.get_rotation());
            matrix.m_[0][2] = flash::finite_or_zero(m_levelAreaMatrix.m_[0][2] - (1.0f - scale) * static_cast<float>(m_zoomOffsetX));
            matrix.m_[1][2] = flash::finite_or_zero(m_levelAreaMatrix.m_[1][2] - (1.0f - scale) * static_cast<float>(m_zoomOffsetY));
        }
        colour.m_[kAlpha][0] = flash::finite_or_zero(matrix.get_x_scale());
        backgroundColour.m_[kAlpha][0] = flash::finite_or_zero(backgroundColour.m_[kAlpha][0] + kCloseUpRate * dt);
    }

    area->set_matrix(matrix);
    area->set_cxform(colour);
    if (background) background->set_cxform(backgroundColour);
    // After the write-back, so that the script sees (and may change) the final state.
    if (fadeScript >= 0) runText(m_fadeScripts[static_cast<size_t>(fadeScript)], "fade_script");
}

void BaseLevel::render(float dt) {
    if (!d_RenderLevel->value.b) return;
    if (!getLevelArea() && m_parent && !g_drawingFromParent) {
        // The scene behind the close-up: its movie only, or the recursion would come back here.
        BaseLevel* behind = m_parent;
        if (behind->getRoot() == getRoot() && behind->m_parent) behind = behind->m_parent;
        behind->BaseRender::render(dt);
    }
    // A level inside its parent's movie is drawn with it.
    if (!(g_drawingFromParent && sharesParentMovie()) && isVisible()) BaseRender::render(dt);
    for (BaseElement* element : m_elements)
        if (particle::fxParticleEffect2D* effect = element->getEffect()) effect->draw();
    const bool wasDrawingFromParent = g_drawingFromParent;
    g_drawingFromParent = true;
    for (BaseLevel* minilevel : m_minilevels)
        if (minilevel) minilevel->render(dt);
    g_drawingFromParent = wasDrawingFromParent;
}

bool BaseLevel::onMouse(int x, int y, int buttons) {
    for (BaseLevel* minilevel : m_minilevels) {
        if (minilevel && !minilevel->anyFlag(kFlagTransition) && minilevel->isVisible() &&
            minilevel->onMouse(x, y, buttons))
            return true;
    }
    BaseRender::onMouse(x, y, buttons);
    flash::character* area = getLevelArea();
    if (!area) {
        // The parent's movie only: the parent would offer the call to this level again.
        if (m_parent) m_parent->BaseRender::onMouse(x, y, buttons);
        return false;
    }
    flash::rect bound;
    area->get_bound(&bound);
    if (flash::character* parent = area->get_parent()) parent->get_world_matrix().transform(&bound);
    return bound.point_test(static_cast<float>(x) * flash::twips_per_pixel, static_cast<float>(y) * flash::twips_per_pixel);
}

bool BaseLevel::onInputEvent(InputEvent* event) {
    // The carried element is the cursor's, not a level's: once a minilevel acted on the press,
    // the levels around it do not act on it again.
    bool taken = false;
    for (BaseLevel* minilevel : m_minilevels)
        if (minilevel && !minilevel->anyFlag(kFlagTransition) && minilevel->onInputEvent(event)) taken = true;
    if (taken) return true;
    auto* mouse = dynamic_cast<MouseEvent*>(event);
    if (!mouse || mouse->type != MOUSE_PRESSED || mouse->button != kRightButton) return false;
    MouseCursor* cursor = MouseCursor::instance();
    if (!cursor) return false;
    // The carried element's right-click script, or the cursor gives the element back.
    auto* carried = dynamic_cast<BaseElement*>(cursor->connectedElement());
    if (carried && carried->runScript(eiRightClick)) return true;
    cursor->setConnectedElement(nullptr, false);
    return true;
}

void BaseLevel::enterMinilevel() {
    flash::character* area = getLevelArea();
    if (!area) return;
    flash::matrix matrix = area->get_matrix();
    matrix.set_scale_rotation(kCloseUpStartScale, kCloseUpStartScale, matrix.get_rotation());
    int mouseX = 0, mouseY = 0, buttons = 0;
    // The cursor's position; without a cursor, the last one the movie was handed.
    if (MouseCursor* cursor = MouseCursor::instance()) {
        mouseX = cursor->x();
        mouseY = cursor->y();
    } else if (flash::root* root = getRoot()) {
        root->get_mouse_state(&mouseX, &mouseY, &buttons);
    }
    m_zoomOffsetX = static_cast<int>(std::lround(flash::finite_or_zero(m_levelAreaWorldMatrix.m_[0][2] - mouseX * flash::twips_per_pixel)));
    m_zoomOffsetY = static_cast<int>(std::lround(flash::finite_or_zero(m_levelAreaWorldMatrix.m_[1][2] - mouseY * flash::twips_per_pixel)));
    matrix.m_[0][2] = m_levelAreaMatrix.m_[0][2] - static_cast<float>(m_zoomOffsetX / 2);
    matrix.m_[1][2] = m_levelAreaMatrix.m_[1][2] - static_cast<float>(m_zoomOffsetY / 2);
    area->set_matrix(matrix);
    setFlag(kFlagFadingOut, false);
    setFlag(kFlagZoomingIn | kFlagOpen, true);
    setVisible(true);
    callHook("_ON_ENTER");
}

void BaseLevel::onLeave() {
    setFlag(kFlagZoomingIn | kFlagOpen, false);
    setFlag(kFlagFadingOut, true);
    callHook("_ON_LEAVE");
}

void BaseLevel::onZoomOutButton(flash::character* ch, int eventCode) {
    if (eventCode != kPressEvent || !ch || std::string(ch->get_name().c_str()) != "ZoomOutBtn") return;
    BaseLevel* level = ClipOwner::levelOf(ch);
    if (!level) return;
    level->onLeave();
    if (Application* app = Application::instance()) app->setInputLocked(true);
}

void BaseLevel::levelEventCallback(flash::character* ch, int eventCode) { Application::swfEventCallback(ch, eventCode); }

void BaseLevel::onEndLevel() {
    Tov::LogLine("MESSAGE") << "BaseLevel::onEndLevel";
    callHook("_ON_LEAVE");
    runText("inventory.reset()", "inventory.reset");
    if (flash::character* workArea = findCharacter("WorkArea", true)) workArea->set_event_callback(nullptr);
    for (BaseElement* element : m_elements) {
        const int kind = element->getKind();
        flash::character* ch = element->getCharacter();
        if (kind == BaseElement::kKindHidden || kind == BaseElement::kKindKeptAtEnd || !ch) continue;
        setOwnerOf(ch, nullptr);
        ch->set_event_callback(nullptr);
    }
    while (effectCount() > 0) removeEffect(effectAt(0));
    releaseMinilevels();
}

void BaseLevel::showTask(const std::string& script) {
    if (isComplete()) return;
    if (app::MessageBox* box = app::messageBox()) box->showWithScript(app::MessageBox::kTypeTask, m_taskText, script);
}

void BaseLevel::scale(float factor) { scale(factor, 0.5f, 0.5f); }

void BaseLevel::scale(float s, float centreX, float centreY) {
    flash::root* root = getRoot();
    flash::character* movie = root ? root->get_root_movie() : nullptr;
    if (!movie) return;
    flash::matrix matrix = movie->get_matrix();
    matrix.set_scale_rotation(s, s, matrix.get_rotation());
    matrix.m_[0][2] = flash::finite_or_zero(-(static_cast<float>(root->get_movie_width()) * flash::twips_per_pixel * (s - 1.0f) * centreX));
    matrix.m_[1][2] = flash::finite_or_zero(-(static_cast<float>(root->get_movie_height()) * flash::twips_per_pixel * (s - 1.0f) * centreY));
    movie->set_matrix(matrix);
}

void BaseLevel::scaleAtTime(float target, float centreX, float centreY, float duration) {
    flash::root* root = getRoot();
    flash::character* movie = root ? root->get_root_movie() : nullptr;
    m_scaleDuration = duration;
    m_scaleDelta = target - (movie ? movie->get_matrix().get_x_scale() : 1.0f);
    m_scaleTarget = target;
    m_scaleCentreX = centreX;
    m_scaleCentreY = centreY;
}
