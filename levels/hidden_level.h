#pragma once
// The hidden-object scene: a painted movie whose clips are the objects to find, close-ups, doors
// to minilevels, inventory pick-ups and the targets an inventory item is used on. The element
// groups of its description ("hidden", "script_objects", "hidden_and_staying", "invisible") add
// to the level base's; a press means what the pressed clip's element kind says, a press on the
// background "clickarea" is a wrong click. It completes by its found objects (or by its script),
// serves the heads-up panel's hint and skip, and shows debug labels on its objects.
#include <string>

#include "flash/base/smart_ptr.h"
#include "levels/base_element.h"
#include "levels/base_level.h"

namespace flash {
class edit_text_character;
}

// An object to find (the group "hidden"): an element of kind 0 with a debug label.
class HiddenElement : public BaseElement {
public:
    static constexpr const char* kLabelSuffix = "_text";
    static constexpr const char* kLabelTextPrefix = "IDS_";
    static constexpr int kLabelDepthAbove = 1000;
    static constexpr int kLabelWidth = 200;      // pixels
    static constexpr int kLabelHeight = 30;      // pixels
    static constexpr float kLabelTextHeight = 600.0f;  // twips

    HiddenElement(const std::string& name, const std::string& targetName);
    // Takes its label out of the clip it was made in.
    ~HiddenElement() override;

    // Listed in the heads-up panel and inside its visible rows.
    bool isAvailable() const override;

    // The debug label: a red text field in the parent clip, made once, shown in debug mode.
    void createLabel(flash::character* parent);
    flash::edit_text_character* label() const;

private:
    flash::weak_ptr<flash::edit_text_character> m_label;
};

class HiddenLevel : public BaseLevel {
public:
    // Element kinds this level adds to the level base's.
    static constexpr int kKindScriptObject = 5;
    static constexpr int kKindStaying = 6;
    static constexpr int kKindUseTarget = 13;
    static constexpr int kKindCountedScript = 14;

    static constexpr const char* kClickArea = "clickarea";
    static constexpr const char* kFlyFunction = "element_fly_to_main_panel";
    static constexpr const char* kCommonHint = "common_hint";
    static constexpr const char* kHintEffect = "firework";
    static constexpr const char* kStartSoundSuffix = "_sndstart";
    static constexpr const char* kPressSound = "right_object";
    static constexpr const char* kMinigameSound = "close_up_ph";
    // Debug text lines of the scene.
    static constexpr int kRemainedLine = 3;
    static constexpr int kTimeLine = 4;
    static constexpr int kSpareLine = 5;
    // The key that shows and hides the debug labels (H).
    static constexpr int kLabelsScanCode = 35;
    // Longest element name a group entry may give; longer ones are skipped.
    static constexpr size_t kMaxElementName = 255;
    // The use target's alpha at a distance of one pixel from the carried item.
    static constexpr float kProximityAlpha = 40.0f;

    explicit HiddenLevel(BaseLevel* parent);
    // Clears the scene's debug lines.
    ~HiddenLevel() override;

    void update(float dt) override;
    bool isComplete() override;
    bool handleEvent(flash::character* ch, int eventCode) override;
    void forceWin() override;
    void restart() override;
    bool onInputEvent(InputEvent* event) override;
    bool onKey(KeyEvent* event) override;
    bool hint() override;
    bool skip() override;
    void addElement(BaseElement* element) override;
    bool initInternal(const Attr::AttributePtr& description) override;

    // Hands a found object to the script, which flies it to its panel row.
    void flyToMainPanel(BaseElement* element);
    // Shows or hides the debug labels (hidden outside debug mode).
    void toggleLabels();

    int objectCount() const { return m_objectCount; }
    int foundCount() const { return m_foundCount; }
    int useTargetCount() const { return m_useTargetCount; }
    float playTime() const { return m_playTime; }

private:
    // One element group of the description: its kind, its log line, and whether it makes use
    // targets (counted apart) rather than objects.
    struct Group;
    void createGroup(const Attr::AttributePtr& description, const Group& group);
    BaseElement* ownElement(flash::character* ch) const;
    bool onPress(BaseElement* element, flash::character* ch);
    bool onRoll(BaseElement* element, flash::character* ch, int eventCode);
    bool takeObject(BaseElement* element, flash::character* ch);
    bool useTarget(BaseElement* element, flash::character* ch);
    void openDoor(BaseElement* element);
    void wrongClick();
    bool completeByCount() const;
    bool minilevelsDone() const;
    void updateUseTargets();
    // The first minilevel of that name; null when none.
    BaseLevel* minilevelNamed(const std::string& name) const;

    int m_objectCount = 0;
    int m_foundCount = 0;
    int m_useTargetCount = 0;
    float m_playTime = 0.0f;
};
