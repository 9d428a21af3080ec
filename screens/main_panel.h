#pragma once
// The heads-up panel drawn over the current level: one movie with the hint button and its
// recharge animation, the skip button of minigames with its readiness animation, the menu and
// task buttons, the speech bubble with its text field, the hero avatar, the area found objects
// fly to, and the task list of the level's objects with its notices (main_panel_notice.*).
// Created by start-up, updated each frame after the current level, reset at each level entry.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/base_render.h"
#include "core/flag_object.h"
#include "core/singleton.h"

namespace flash {
class character;
class edit_text_character;
class sprite_instance;
}  // namespace flash

class MainPanel : public BaseRender,
                  public Tov::Singleton<MainPanel>,
                  public Tov::FlagObjectCB<MainPanel, unsigned int> {
public:
    class NotificationElement;

    // Flags word.
    static constexpr unsigned kListLive = 1;             // new entries appear with their effect
    static constexpr unsigned kListHasEntries = 2;       // the task list is not empty
    static constexpr unsigned kHintReady = 4;            // the hint button may be used
    static constexpr unsigned kNoInventoryEntries = 8;   // inventory pick-ups are not listed
    static constexpr unsigned kHintSilent = 16;          // the hint-ready sound is not played
    static constexpr unsigned kSkipReady = 32;           // the skip button may be used
    static constexpr unsigned kSkipShown = 64;           // the skip button is shown

    static constexpr const char* kMovieName = "mainpanel-inventory.swf";

    MainPanel();
    ~MainPanel() override;

    void render(float dt) override;
    void update(float dt) override;

    // Loads the movie (once) and wires the buttons.
    void init();
    // The native callback stored in every button and in the bubble.
    static void buttonCallback(flash::character* ch, int event);
    void onEvent(flash::character* ch, int event);
    void onFlagsChanged(unsigned mask, bool on);

    void _setSkipBtnVisible(bool visible);

    // The speech bubble. The number arguments are not used.
    void showMsg(const std::string& text, int number);
    void showMsgEx(const std::string& text, int number, const std::string& onHideScript);
    void hideMsg(bool immediately);
    void _showText(const std::string& text);
    void playMsgBox(int number);
    bool isMsgBoxVisible() const { return m_msgOpen; }

    // Moves the current level's element's clip to a depth in the parent of the panel's named clip.
    void setElementDepth(const std::string& elementName, const std::string& clipName, int depth);
    // At each level entry: the task list rebuilt, the hint ready (silently), the skip hidden.
    void reset();

    // The task list (main_panel_notice.cpp).
    void addElement(const std::string& name);
    void releaseEntry(const std::string& name);
    NotificationElement* findEntry(const std::string& name) const;
    bool isEntryVisible(const NotificationElement* entry) const;
    bool isElementVisible(const std::string& name) const;
    void showTask(const std::string& text, bool centred);
    void buildTaskList();
    // "key_2" is "key"; "key_0" and "key_a" stay whole.
    static std::string normalizeEntryName(const std::string& name);

    // Reads for the screens, the levels and the tests.
    const std::vector<NotificationElement*>& entries() const { return m_entries; }
    NotificationElement* taskNotice() const { return m_taskNotice; }
    int columnCount(int column) const { return m_columnCount[column]; }
    int textPlaceWidth() const { return m_textPlaceWidth; }
    int textPlaceHeight() const { return m_textPlaceHeight; }
    int rowSpacing() const { return m_rowSpacing; }
    int skipReadyFrame() const { return m_skipReadyFrame; }
    flash::sprite_instance* hintButton() const;
    flash::sprite_instance* skipButton() const;
    flash::character* heroAvatar() const;
    flash::character* objectField() const;
    static const std::string& pendingTask();
    static bool pendingTaskCentred();

    // The named character below the panel's movie (deep); null when absent.
    flash::character* findClip(const char* name, bool deep = true) const;

    static ScriptBinding::ClassDescriptor* scriptClass();

private:
    friend class NotificationElement;
    // The column a notice's x puts it in: 0 for x >= 0, 1 for x < 0.
    static int columnOf(float x) { return x >= 0.0f ? 0 : 1; }
    void destroyEntries();
    // One pass over the notices: the dead ones leave their column and are destroyed. True when
    // the list is empty afterwards.
    bool updateEntries(float dt);
    // The clip with a fresh range: frame `from` playing to `to` once, shown.
    static void playRange(flash::sprite_instance* clip, int from, int to);
    flash::sprite_instance* dialogAnim() const;
    flash::edit_text_character* dialogText() const;
    static void setPendingTask(const std::string& text, bool centred);
    void playSound(const char* name) const;
    static void startEffect(const char* name, float x, float y);

    flash::weak_ptr<flash::edit_text_character> m_dialogText;
    uint32_t m_msgOpenTime = 0;
    uint32_t m_msgClickTime = 0;
    int m_columnCount[2] = {0, 0};
    NotificationElement* m_columnLast[2] = {nullptr, nullptr};
    float m_hintClock = 0.0f;
    float m_skipClock = 0.0f;
    flash::weak_ptr<flash::character> m_heroAvatar;
    flash::weak_ptr<flash::character> m_objectField;
    flash::weak_ptr<flash::sprite_instance> m_hintButton;
    flash::weak_ptr<flash::sprite_instance> m_skipButton;
    int m_skipReadyFrame = -1;
    std::string m_onHideScript;
    bool m_msgOpen = false;
    std::vector<NotificationElement*> m_entries;
    NotificationElement* m_taskNotice = nullptr;
    int m_textPlaceWidth = 0;
    int m_textPlaceHeight = 0;
    int m_rowSpacing = 0;
};

// The text a script timer runs to show the bubble's text: the message quoted as Lua's "%q" does,
// so that no message becomes script source.
std::string luaQuoted(const std::string& text);
