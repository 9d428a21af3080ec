#pragma once
// The game's own mouse cursor: the movie "cursor.swf", whose named clips are the cursor pictures
// and whose frame labels are their states. It follows the mouse, shows the wrong-click penalty for
// a few seconds, and can carry a game element: the element's clip is moved (not copied) into the
// cursor movie and follows the mouse until it is given back where it came from.
#include <cstdint>
#include <string>

#include "app/base_render.h"
#include "core/flag_object.h"
#include "core/singleton.h"
#include "flash/base/smart_ptr.h"
#include "flash/shape/geometry.h"

struct lua_State;

namespace flash {
class character;
}

namespace app {

// A game element as the cursor carries it; the level base's element implements it (the cursor
// cannot know the level classes). The cursor keeps what it changes on the clip itself (matrix,
// parent, depth, event callback) and puts it back when it gives the element back.
class CarriedElement {
public:
    // An element that goes while it is carried is given back first.
    virtual ~CarriedElement();
    // The element's clip in its level movie; null when it has none.
    virtual flash::character* carriedClip() const = 0;
    // The element's name ("getConnectedName").
    virtual std::string carriedName() const = 0;
    // Fades the clip in 0.3 seconds from its colour now to alpha 255 (show) or 0 (hide).
    virtual void fadeCarried(bool show) = 0;
    // Pushes the element's script object (getConnElem).
    virtual void pushScriptObject(lua_State* L) = 0;
};

// Reads an element from a script argument: null for nil, a stale handle or another class. The
// level base installs it; without one no script value is an element.
using CarriedElementReader = CarriedElement* (*)(lua_State* L, int index);
void setCarriedElementReader(CarriedElementReader reader);
CarriedElementReader carriedElementReader();

}  // namespace app

class MouseCursor : public BaseRender, public Tov::Singleton<MouseCursor>, public Tov::FlagObject<unsigned int> {
public:
    // Flag bits.
    static constexpr unsigned kBlocked = 0x01;  // mouse input reaches neither screens nor level
    static constexpr unsigned kPenalty = 0x02;  // the penalty picture shows

    // clipMode values.
    static constexpr int kModeNormal = 0;
    static constexpr int kModeCarried = 2;  // an element is carried, or the clip came from another movie

    static constexpr const char* kMovie = "cursor.swf";
    static constexpr const char* kDefaultCursor = "default_cursor";
    static constexpr const char* kOverBlocked = "over_blocked";
    static constexpr const char* kPenaltyLabel = "cursor_penalty";
    static constexpr float kPenaltySeconds = 3.0f;
    static constexpr float kFadeSeconds = 0.3f;
    // The cursor picture's depth in the cursor movie when it came from another movie; a carried
    // clip sits this far below the cursor picture.
    static constexpr int kClipDepth = 10;
    static constexpr int kCarriedDepthBelow = 10;

    // Loads "cursor.swf"; without it the system cursor stays and the operations that need the
    // movie do nothing.
    MouseCursor();
    // Back to the default picture, the carried element given back.
    ~MouseCursor() override;

    // Switches the cursor picture to the clip of that name in the cursor movie (searched deep); the
    // current clip's own name does nothing.
    void setCursor(const std::string& name, int mode);
    // Makes a clip the cursor picture (null: the system cursor); with mode 2 the clip, taken from
    // another movie, is placed into the cursor movie. Any change unblocks the input.
    void setCursorClip(flash::character* clip, int mode);
    // The cursor movie's stage against the application's size: the factors by which window pixels
    // become game pixels.
    void updateScales();
    // Game pixels.
    void setPosition(int x, int y);
    // Counts the penalty picture down (the cursor's own effects are not updated).
    void update(float dt) override;
    // The wrong-click penalty picture for 3 seconds (none in debug mode).
    void startPenalty();
    // The "over a blocked item" picture, only while nothing is carried and input is not blocked.
    void setOverBlocked(bool over);
    // Carries an element (null: carries none). The element carried before is given back first.
    // Nothing happens while a carried element is hidden, unless forced.
    void setConnectedElement(app::CarriedElement* element, bool force);
    // Fades the carried element in or out.
    void showConnected(bool show);
    // Around a screen that opens over the game: the carried clip hides, the cursor picture is kept
    // aside and the default one shows; restoreConnected brings both back.
    void hideConnected();
    void restoreConnected();
    // Default picture, nothing carried (a level starts or ends).
    void reset();
    // The cursor takes no clicks.
    bool onMouse(int x, int y, int buttons) override;

    // The element carried by a cursor, given back without touching the element (it is going).
    void forgetElement(app::CarriedElement* element);

    bool isBlocked() const { return anyFlag(kBlocked); }
    void setBlocked(bool blocked) { setFlag(kBlocked, blocked); }
    bool penaltyShowing() const { return anyFlag(kPenalty); }
    float penaltyTime() const { return m_penaltyTime; }
    float scaleX() const { return m_scaleX; }
    float scaleY() const { return m_scaleY; }
    int x() const { return m_x; }
    int y() const { return m_y; }
    int clipMode() const { return m_clipMode; }
    flash::character* cursorClip() const { return m_cursorClip.get_ptr(); }
    app::CarriedElement* connectedElement() const { return m_connected; }
    bool connectedShown() const { return m_connectedShown; }
    // The carried element's name, or the empty text.
    std::string connectedName() const;
    // The cursor picture's frame label state: sends the cursor clip to a labelled frame.
    void gotoLabel(const char* label);

    static ScriptBinding::ClassDescriptor* scriptClass();

private:
    void giveBackCursorClip();
    void giveBackConnected();
    // Replays a clip's current frame so that it redraws where it now stands.
    static void redraw(flash::character* clip);
    flash::character* cursorMovie() const;

    flash::smart_ptr<flash::character> m_cursorClip;
    app::CarriedElement* m_connected = nullptr;
    // The carried clip, kept from the moment it was taken (the element may go first).
    flash::smart_ptr<flash::character> m_connectedClip;
    int m_clipMode = kModeNormal;
    int m_savedDepth = 0;
    flash::matrix m_savedMatrix;
    flash::smart_ptr<flash::character> m_savedParent;
    flash::matrix m_clipSavedMatrix;
    void (*m_savedCallback)(flash::character*, int) = nullptr;
    flash::smart_ptr<flash::character> m_clipSavedParent;
    float m_scaleX = 1.0f, m_scaleY = 1.0f;
    float m_connectedScaleX = 1.0f, m_connectedScaleY = 1.0f;
    int m_x = 0, m_y = 0;
    float m_penaltyTime = 0.0f;
    bool m_connectedShown = false;
};
