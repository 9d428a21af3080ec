#pragma once
// The common base of every playable scene: a drawable that owns the scene's movie, a flags word,
// the elements bound to named clips, up to ten minilevels (close-ups and minigames shown inside
// it), the level's script hooks, its ambient and timed sounds and its win sequence.
//
// Made by the level manager (through levels/level_factory.h), set up by `initElements` from the
// level's description, started by `startChapter`, stepped by `update` and drawn by `render`,
// ended by `onEndLevel` and deleted. The level kinds derive from it.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/game_layers.h"
#include "core/attr_tree.h"
#include "core/flag_object.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/character.h"
#include "flash/shape/geometry.h"
#include "levels/clip_owner.h"
#include "script/script_function.h"

namespace ScriptBinding {
struct ClassDescriptor;
}

class BaseElement;
class MiniGameLoader;

// Fade script ids of a close-up (the script constants of the same names).
enum LevelFadeScript : int { fsFadeIn = 0, fsFadeOut = 1 };

class BaseLevel : public app::GameLevel, public Tov::FlagObject<unsigned int>, public levels::ClipOwner {
public:
    // Flag bits.
    static constexpr unsigned kFlagScriptUpdate = 0x001;   // call the script's update function
    static constexpr unsigned kFlagScriptResult = 0x002;   // the update function answered 1
    static constexpr unsigned kFlagNoScriptWin = 0x004;    // the script does not decide the win
    static constexpr unsigned kFlagAnimating = 0x008;      // an element animation ran this frame
    static constexpr unsigned kFlagZoomingIn = 0x010;      // close-up zoom-in running
    static constexpr unsigned kFlagFadingOut = 0x020;      // close-up fade-out running
    static constexpr unsigned kFlagTransition = kFlagZoomingIn | kFlagFadingOut;
    static constexpr unsigned kFlagChainStop = 0x040;      // ends the walk of isOutsideChainOf
    static constexpr unsigned kFlagOpen = 0x080;           // the minilevel is open
    static constexpr unsigned kFlagNoWinEffect = 0x100;    // finishing leaves at once
    static constexpr unsigned kFlagInited = 0x200;         // script ran and "_init" was called

    // Level kind codes, set by each kind.
    static constexpr int kKindHidden = 0;
    static constexpr int kKindPuzzle = 1;
    static constexpr int kKindRotator = 2;
    static constexpr int kKindContour = 7;
    static constexpr int kKindLetters = 11;
    static constexpr int kKindMovie = 12;

    static constexpr int kMaxMinilevels = 10;
    static constexpr int kFadeScriptCount = 2;

    // Win sequence times (seconds after the level became complete) and close-up rates.
    static constexpr float kLeaveDelay = 3.0f;
    static constexpr float kEndScriptDelay = 3.5f;
    static constexpr float kCloseUpRate = 2.0f;      // scale and alpha per second
    static constexpr float kCloseUpStartScale = 0.5f;
    static constexpr float kInventoryPeriod = 0.4f;  // seconds between "inventory.update()" runs

    struct TimedSound {
        int loopTime = -1;  // seconds; below 1 plays once
        int startTime = 0;  // seconds
        std::string file;
    };

    explicit BaseLevel(BaseLevel* parent);
    BaseLevel(const BaseLevel&) = delete;
    BaseLevel& operator=(const BaseLevel&) = delete;
    // Releases the movie (library entry and textures), the elements, every game timer, the
    // ambient sound and, after waiting for it, a minigame loader still running.
    ~BaseLevel() override;

    // Drawable.
    void render(float dt) override;
    bool onMouse(int x, int y, int buttons) override;
    void update(float dt) override;
    // A level that plays inside its parent's movie keeps a visibility of its own, so hiding it
    // does not hide the parent's scene.
    bool isVisible() const override;
    void setVisible(bool visible) override;

    // What the application and the screens know of a level. `onEvent` hands the event to
    // `handleEvent`, which the kinds override.
    void onEvent(flash::character* ch, int eventCode) override;
    bool onInputEvent(InputEvent* event) override;
    bool onKey(KeyEvent* event) override;
    bool hint() override;
    bool skip() override;
    // The zoom about the screen's centre.
    void scale(float factor) override;
    bool isMovieReady() const override;

    // A clip event: minilevels first; true when one of them (or the kind) took it.
    virtual bool handleEvent(flash::character* ch, int eventCode);
    virtual flash::character* findCharacter(const std::string& name, bool deep);
    virtual BaseElement* getElementByName(const std::string& name);
    // The heads-up panel's reads (base_level_tasks.cpp).
    void visitElements(ElementVisitor& visitor) const override;
    flash::character* elementClip(const std::string& name) override;
    virtual void onEndLevel();
    virtual bool isComplete();
    virtual void forceWin();
    virtual void restart();
    // Shows the task box unless the level is complete; the script runs when it is answered.
    virtual void showTask(const std::string& script);
    virtual void setTask(const std::string& text);
    // Takes ownership; null is ignored.
    virtual void addElement(BaseElement* element);
    // Makes the elements, minilevels and effects of the description; true on success.
    virtual bool initInternal(const Attr::AttributePtr& description);

    // Set-up from the description's root node; false means the level cannot be played.
    bool initElements(const Attr::AttributePtr& description);
    // True unless `other`'s movie is this level's or that of a parent before one with 0x040.
    bool isOutsideChainOf(const BaseLevel* other) const;

    // Level start: chapter, script file, "_init"; then each minilevel's.
    void startChapter();
    // Opens this minilevel as a close-up from the cursor's position.
    void enterMinilevel();
    // The leave step: the close-up fades out and "_ON_LEAVE" runs.
    void onLeave();
    void runEndScript();
    // Native event callback of "ZoomOutBtn".
    static void onZoomOutButton(flash::character* ch, int eventCode);
    // The native event callback the level kinds give their clips: the application hands the
    // event to the current level.
    static void levelEventCallback(flash::character* ch, int eventCode);
    void scale(float s, float centreX, float centreY);
    void scaleAtTime(float target, float centreX, float centreY, float duration);
    // Loads minigames into free minilevel slots: one name at once, or names joined by "|" read
    // on a loader thread and made here at the following updates.
    void loadMinigame(const std::string& names, bool threaded);
    bool isLoadingMinigames() const;
    // Opens the minilevel of that name for a script (its start the first time); hidden_level.cpp.
    void initMinigameScript(const std::string& name);

    const std::string& getName() const { return m_name; }
    const std::string& getSwfFile() const { return m_swfFile; }
    const std::string& getChapter() const { return m_chapter; }
    const std::string& getTaskText() const { return m_taskText; }
    const std::string& getWinEffect() const { return m_winEffectName; }
    void setWinEffect(const std::string& name) { m_winEffectName = name; }
    const std::string& getEndScript() const { return m_endScript; }
    void setEndScript(const std::string& script) { m_endScript = script; }
    // False, and nothing stored, for an id other than 0 and 1.
    bool setFadeScript(int fadeId, const std::string& script);
    const std::string& getFadeScript(int fadeId) const;
    int getLevelKind() const { return m_levelKind; }
    BaseLevel* getParent() const { return m_parent; }
    BaseLevel* getMinilevel(int slot) const;
    int minilevelCount() const;
    const std::vector<BaseElement*>& getElements() const { return m_elements; }
    flash::character* getZoomOutButton() const { return m_zoomOutButton.get_ptr(); }
    flash::character* getLevelArea() const { return m_levelArea.get_ptr(); }
    // The description's "NoAutoAddIOC" (true when missing), for the heads-up panel.
    bool getNoAutoAddIOC() const { return m_noAutoAddIOC; }
    const flash::matrix& getLevelAreaMatrix() const { return m_levelAreaMatrix; }
    const flash::matrix& getLevelAreaWorldMatrix() const { return m_levelAreaWorldMatrix; }
    int getZoomOffsetX() const { return m_zoomOffsetX; }
    int getZoomOffsetY() const { return m_zoomOffsetY; }
    int getAmbientSound() const { return m_ambientSound; }
    const std::vector<TimedSound>& getSounds() const { return m_sounds; }
    bool isWinStarted() const { return m_winStarted; }
    bool isForcedWin() const { return m_forcedWin; }
    float getScaleDuration() const { return m_scaleDuration; }

    static ScriptBinding::ClassDescriptor* scriptClass();

protected:
    // Game-timer callbacks.
    void onLeaveTimer(void*) { onLeave(); }
    void onEndScriptTimer(void*) { runEndScript(); }
    void onTimedSound(void* record);

    // Puts a level into the first free slot (hidden); false when all ten are used.
    bool addMinilevel(BaseLevel* level);
    // The first free slot, -1 when all ten are used.
    int freeMinilevelSlot() const;
    flash::character* findCharacterOnce(const std::string& name, bool deep, std::vector<const BaseLevel*>& visited);
    void deleteElements();
    // Empties every slot, giving the minilevels back through the creation entry.
    void releaseMinilevels();
    // Runs a hook function of the level's name with that ending when the script defines it.
    void callHook(const char* ending);
    void stepCloseUp(float dt);
    bool sharesParentMovie() const;
    void startWin();
    // Makes the minigames a loader thread has read.
    void takeLoadedMinigames();

    std::string m_endScript;
    std::vector<BaseElement*> m_elements;
    // Clips of the movie, held weakly: the movie may drop them.
    flash::weak_ptr<flash::character> m_zoomOutButton;
    flash::weak_ptr<flash::character> m_levelArea;
    flash::matrix m_levelAreaMatrix;
    flash::matrix m_levelAreaWorldMatrix;
    int m_zoomOffsetX = 0;
    int m_zoomOffsetY = 0;
    bool m_winStarted = false;
    std::string m_name;
    std::string m_swfFile;
    std::string m_taskText;
    std::string m_winEffectName;
    std::string m_chapter;
    bool m_forcedWin = false;
    bool m_noAutoAddIOC = true;
    int m_levelKind = kKindHidden;
    int m_ambientSound = -1;
    std::vector<TimedSound> m_sounds;
    BaseLevel* m_parent;
    std::array<BaseLevel*, kMaxMinilevels> m_minilevels{};
    std::array<std::string, kFadeScriptCount> m_fadeScripts;
    float m_scaleDuration = 0.0f;
    float m_scaleDelta = 0.0f;
    float m_scaleTarget = 0.0f;
    float m_scaleCentreX = 0.0f;
    float m_scaleCentreY = 0.0f;

private:
    friend class MiniGameLoader;

    script::Function<int> m_updateHook;
    std::string m_updateName;
    bool m_notInitedLogged = false;
    bool m_ownVisible = true;
    // The movie this level loaded itself (a minilevel that shares its parent's loads none).
    bool m_ownsMovie = false;
    std::unique_ptr<MiniGameLoader> m_loader;
};
