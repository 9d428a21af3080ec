#pragma once
// One text of the heads-up panel's task list: an object name with the count still to find, in one
// of the two columns of "TextPlace"; it fades in, fades out with an effect at count 0, and the
// notices below it in its column slide up to close the gap. The level's task text is a notice of
// a second style.
#include <string>

#include "core/flag_object.h"
#include "flash/base/smart_ptr.h"
#include "flash/shape/geometry.h"
#include "screens/main_panel.h"

class MainPanel::NotificationElement : public Tov::FlagObject<unsigned int> {
public:
    static constexpr unsigned kMoving = 1;
    static constexpr unsigned kFadingOut = 2;
    static constexpr unsigned kDisappearStarted = 4;
    static constexpr unsigned kTaskStyle = 8;

    static constexpr int kFieldWidth = 280;
    static constexpr int kAlphaStep = 5;
    static constexpr float kSlideTwips = 30.0f;

    NotificationElement(int x, int y, const std::string& name, NotificationElement* predecessor, int count,
                        bool centred, bool taskStyle);
    // Leaves its column (the notices below slide into its place) and removes its field.
    ~NotificationElement() override;
    NotificationElement(const NotificationElement&) = delete;
    NotificationElement& operator=(const NotificationElement&) = delete;

    // The field inside "TextPlace", made once.
    void createText(int x, int y, bool centred);
    // One frame of fading and sliding; false once it has faded out.
    bool update(float dt);
    // Slides (or jumps) to the destination; the column below follows row by row.
    void move(const flash::matrix& destination, bool immediately);
    void updateText();
    // The shown text's width in its font, plus a margin; 0 without a field.
    int getTextWidth() const;
    int incCount();
    int decCount();

    const std::string& name() const { return m_name; }
    int count() const { return m_count; }
    float x() const { return m_x; }
    float y() const { return m_y; }
    NotificationElement* predecessor() const { return m_predecessor; }
    NotificationElement* successor() const { return m_successor; }
    // Null when the field could not be made (or is gone).
    flash::edit_text_character* field() const;
    // The field's vertical position in movie units (0 without a field).
    float fieldY() const;

private:
    flash::weak_ptr<flash::edit_text_character> m_field;
    std::string m_name;
    int m_count;
    float m_x;
    float m_y;
    NotificationElement* m_predecessor = nullptr;
    NotificationElement* m_successor = nullptr;
    flash::matrix m_destination;
};
