#pragma once
// The profile chooser: up to four saved profiles in name slots with a selector over the chosen
// one, a name text stepped by two arrows, and buttons to create, delete, confirm and go back.
// Modal while it shows.
#include <array>
#include <string>

#include "app/base_render.h"
#include "core/singleton.h"
#include "flash/base/smart_ptr.h"

namespace flash {
class character;
class edit_text_character;
}  // namespace flash

class ChooseProfile : public BaseRender, public Tov::Singleton<ChooseProfile> {
public:
    static constexpr const char* kMovie = "choosename.swf";
    static constexpr unsigned kSlotCount = 4;
    // No more profiles than slots.
    static constexpr size_t kMaxProfiles = kSlotCount;

    ChooseProfile();
    ~ChooseProfile() override;

    void init();
    // Shows the chooser over the game with the profiles listed; tells the player to make one
    // when none exists.
    void show();
    // The slots from the profile names, the last played one selected.
    void refresh();
    void selectProfile(unsigned index);
    // The arrows: the name before or after in "cn_Nametext", wrapping; nothing without profiles.
    void showPrevious();
    void showNext();
    void onEvent(flash::character* ch, int eventCode);
    // A yes deletes the selected profile (another is loaded first when it is the current one).
    void onDeleteAnswer(int answer);

    flash::edit_text_character* slot(unsigned index) const {
        return index < kSlotCount ? m_slots[index].get_ptr() : nullptr;
    }
    flash::character* selector() const { return m_selector.get_ptr(); }
    flash::edit_text_character* nameText() const { return m_nameText.get_ptr(); }
    const std::string& selectedName() const { return m_selectedName; }
    unsigned count() const { return m_count; }
    unsigned arrowIndex() const { return m_arrowIndex; }

private:
    void showArrowName();

    std::array<flash::weak_ptr<flash::edit_text_character>, kSlotCount> m_slots;
    flash::weak_ptr<flash::character> m_selector;
    flash::weak_ptr<flash::edit_text_character> m_nameText;
    std::string m_selectedName;
    unsigned m_count = 0;
    unsigned m_arrowIndex = 0;
    unsigned m_spareIndex = 0;
};
