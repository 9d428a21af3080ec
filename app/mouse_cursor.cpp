#include "app/mouse_cursor.h"

#include <cmath>

#include "app/application.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "core/scoped_profiler.h"
#include "flash/movie/display_list.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"
#include "flash/runtime/character.h"
#include "flash/shape/geometry.h"
#include "graphics/d3d_application.h"
#include "platform/graphics/window.h"

namespace {

constexpr const char* kConstructor = "MouseCursor::MouseCursor";

app::CarriedElementReader g_elementReader = nullptr;

// The cursor put aside while a screen is open over the game: process-wide, like the cursor.
flash::smart_ptr<flash::character> g_suspendedClip;
int g_suspendedMode = 0;
int g_suspendedFrame = 0;


void showDeviceCursor(bool show) {
    CMyD3DApplication* frame = CMyD3DApplication::instance();
    if (IDirect3DDevice9* device = frame ? frame->getDevice() : nullptr) device->ShowCursor(show ? TRUE : FALSE);
}

}  // namespace

namespace app {

CarriedElement::~CarriedElement() {
    if (MouseCursor* cursor = MouseCursor::instance()) cursor->forgetElement(this);
}

void setCarriedElementReader(CarriedElementReader reader) { g_elementReader = reader; }
CarriedElementReader carriedElementReader() { return g_elementReader; }

}  // namespace app

MouseCursor::MouseCursor() {
    scriptClass();  // the class joins the script registry with its functions
    // The render handler has no coordinate-scaling switch to turn off.
    {
        ScopedProfiler profiler(kConstructor, std::string("Loaded swf: ") + kMovie);
        Application* app = Application::instance();
        if (app && app->player()) setRoot(app->player()->load_file(kMovie).get_ptr());
    }
    if (m_root) {
        if (flash::sprite_instance* movie = m_root->get_root_sprite())
            movie->set_play_state(flash::character::STOP, true);
        setCursor(kDefaultCursor, kModeNormal);
    } else {
        Tov::LogLine("ERROR") << kMovie << " not found in " << kConstructor;
        setCursorClip(nullptr, kModeNormal);
    }
}

MouseCursor::~MouseCursor() {
    setCursor(kDefaultCursor, kModeNormal);
    if (flash::character* clip = cursorClip()) clip->goto_frame(0);
    setConnectedElement(nullptr, true);
    // Whatever stays put aside belongs to this cursor's movie.
    g_suspendedClip = nullptr;
    if (Application* app = Application::instance()) app->removeFromRenderList(this);
}

flash::character* MouseCursor::cursorMovie() const { return m_root ? m_root->get_root_movie() : nullptr; }

void MouseCursor::redraw(flash::character* clip) {
    const int frame = clip->get_current_frame();
    clip->goto_frame(0);
    clip->goto_frame(frame);
}

void MouseCursor::setCursor(const std::string& name, int mode) {
    if (!m_root) return;
    if (cursorClip() && cursorClip()->get_name() == name.c_str()) return;
    flash::character* found = nullptr;
    if (flash::sprite_instance* movie = m_root->get_root_sprite())
        found = movie->get_character_by_name(flash::bx_string(name.c_str()), true);
    setCursorClip(found, mode);
}

void MouseCursor::giveBackCursorClip() {
    flash::character* old = cursorClip();
    if (!old) return;
    if (m_clipMode == kModeCarried) {
        if (flash::character* movie = cursorMovie())
            if (flash::display_list* list = movie->get_display_list()) list->remove_character(old);
    }
    old->set_matrix(m_clipSavedMatrix);
    old->set_parent(m_clipSavedParent.get_ptr());
    redraw(old);
}

void MouseCursor::setCursorClip(flash::character* clip, int mode) {
    setFlag(kBlocked, false);
    flash::smart_ptr<flash::character> hold(clip);
    if (clip != cursorClip()) {
        giveBackCursorClip();
        if (clip) {
            m_clipSavedMatrix = clip->get_matrix();
            m_clipSavedParent = clip->get_parent();
            if (mode == kModeCarried) {
                if (flash::character* movie = cursorMovie()) {
                    clip->set_parent(movie);
                    if (flash::display_list* list = movie->get_display_list())
                        list->add_display_object(clip, kClipDepth, false, clip->get_cxform(), clip->get_matrix(),
                                                 clip->get_ratio(), clip->get_clip_depth());
                }
            }
            ShowCursor(FALSE);
            clip->set_visible(true);
        }
    }
    m_cursorClip = clip;
    ShowCursor(clip ? FALSE : TRUE);
    showDeviceCursor(clip == nullptr);
    m_clipMode = mode;
    updateScales();
}

void MouseCursor::updateScales() {
    if (!m_root) return;
    CMyD3DApplication* frame = CMyD3DApplication::instance();
    const int width = frame && frame->getWidth() > 0 ? frame->getWidth() : Application::kGameWidth;
    const int height = frame && frame->getHeight() > 0 ? frame->getHeight() : Application::kGameHeight;
    m_scaleX = static_cast<float>(m_root->get_movie_width()) / static_cast<float>(width);
    m_scaleY = static_cast<float>(m_root->get_movie_height()) / static_cast<float>(height);
    Tov::LogLine("MESSAGE") << "mScales.x = " << m_scaleX << ", mScales.y = " << m_scaleY;
}

void MouseCursor::setPosition(int x, int y) {
    m_x = x;
    m_y = y;
    const float tx = flash::finite_or_zero(static_cast<float>(x) * flash::twips_per_pixel);
    const float ty = flash::finite_or_zero(static_cast<float>(y) * flash::twips_per_pixel);
    if (flash::character* clip = cursorClip()) {
        flash::matrix m = clip->get_matrix();
        m.m_[0][2] = tx;
        m.m_[1][2] = ty;
        clip->set_matrix(m);
    }
    if (m_connected && m_connectedClip) {
        flash::matrix m = m_connectedClip->get_matrix();
        m.set_scale_rotation(m_connectedScaleX, m_connectedScaleY, m.get_rotation());
        m.m_[0][2] = tx;
        m.m_[1][2] = ty;
        m_connectedClip->set_matrix(m);
    }
}

void MouseCursor::update(float dt) {
    if (!anyFlag(kPenalty)) return;
    m_penaltyTime -= dt;
    if (m_penaltyTime <= 0.0f) {
        setFlag(kPenalty, false);
        gotoLabel(kDefaultCursor);
    }
}

void MouseCursor::gotoLabel(const char* label) {
    if (flash::character* clip = cursorClip()) clip->goto_labeled_frame(label);
}

void MouseCursor::startPenalty() {
    if (d_DebugMode->value.b) return;
    setFlag(kPenalty, true);
    gotoLabel(kPenaltyLabel);
    m_penaltyTime = kPenaltySeconds;
}

void MouseCursor::setOverBlocked(bool over) {
    if (m_clipMode != kModeNormal || anyFlag(kBlocked)) return;
    gotoLabel(over ? kOverBlocked : kDefaultCursor);
}

void MouseCursor::giveBackConnected() {
    if (flash::character* clip = m_connectedClip.get_ptr()) {
        if (flash::character* movie = cursorMovie())
            if (flash::display_list* list = movie->get_display_list()) list->remove_character(clip);
        clip->set_matrix(m_savedMatrix);
        clip->set_parent(m_savedParent.get_ptr());
        clip->set_event_callback(m_savedCallback);
        m_savedCallback = nullptr;
        clip->set_depth(m_savedDepth);
        redraw(clip);
    }
    m_connectedClip = nullptr;
    m_savedParent = nullptr;
    m_clipMode = kModeNormal;
}

void MouseCursor::setConnectedElement(app::CarriedElement* element, bool force) {
    if (!m_root) return;
    if (m_connected && !m_connectedShown && !force) return;
    m_connectedShown = true;
    if (m_connected) giveBackConnected();
    m_connected = element;
    flash::character* clip = element ? element->carriedClip() : nullptr;
    if (!clip) return;
    m_connectedClip = clip;
    m_savedMatrix = clip->get_matrix();
    m_savedParent = clip->get_parent();
    m_savedDepth = clip->get_depth();
    m_savedCallback = clip->get_event_callback();
    // The carried clip takes no clicks.
    clip->set_event_callback(nullptr);
    const flash::matrix world = clip->get_world_matrix();
    m_connectedScaleX = world.get_x_scale();
    m_connectedScaleY = world.get_y_scale();
    m_clipMode = kModeCarried;
    if (flash::character* movie = cursorMovie()) {
        clip->set_parent(movie);
        const int depth = (cursorClip() ? cursorClip()->get_depth() : 0) - kCarriedDepthBelow;
        if (flash::display_list* list = movie->get_display_list())
            list->add_display_object(clip, depth, false, clip->get_cxform(), clip->get_matrix(), clip->get_ratio(),
                                     clip->get_clip_depth());
    }
    redraw(clip);
    setPosition(m_x, m_y);
}

void MouseCursor::forgetElement(app::CarriedElement* element) {
    if (!element || element != m_connected) return;
    giveBackConnected();
    m_connected = nullptr;
}

void MouseCursor::showConnected(bool show) {
    if (m_connected) m_connected->fadeCarried(show);
    m_connectedShown = show;
}

void MouseCursor::hideConnected() {
    if (m_connectedClip) m_connectedClip->set_visible(false);
    if (flash::character* clip = cursorClip()) {
        g_suspendedClip = clip;
        g_suspendedMode = m_clipMode;
        g_suspendedFrame = clip->get_current_frame();
    }
    setCursor(kDefaultCursor, kModeNormal);
    if (flash::character* clip = cursorClip()) clip->goto_frame(0);
}

void MouseCursor::restoreConnected() {
    if (!g_suspendedClip) return;
    if (m_connectedClip) m_connectedClip->set_visible(true);
    flash::smart_ptr<flash::character> clip = g_suspendedClip;
    setCursorClip(clip.get_ptr(), g_suspendedMode);
    clip->goto_frame(g_suspendedFrame);
}

void MouseCursor::reset() {
    setCursor(kDefaultCursor, kModeNormal);
    if (flash::character* clip = cursorClip()) clip->goto_frame(0);
    setConnectedElement(nullptr, true);
}

bool MouseCursor::onMouse(int, int, int) { return true; }

std::string MouseCursor::connectedName() const { return m_connected ? m_connected->carriedName() : std::string(); }
