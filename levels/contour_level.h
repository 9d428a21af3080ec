#pragma once
// The contour minigame: the player carries inventory items onto outlines of the scene. Each place
// is a `ContourPart` whose piece clip stays hidden until the matching item ("cup_3" for the part
// "cup_sz") is dropped on "WorkArea" within 30 pixels of the place; the piece then flies from the
// cursor to its place and shows frame 1. The level is complete when every part is placed. It
// plays standalone or as a close-up of a scene.
#include <string>

#include "levels/base_element.h"
#include "levels/base_level.h"

class ContourPart : public BaseElement {
public:
    static constexpr int kKind = 5;
    // Squared pixels: a drop closer than 30 pixels to home places the part.
    static constexpr float kNearSquared = 900.0f;

    ContourPart(const std::string& name, const std::string& targetName);
    ~ContourPart() override;

    // Takes the piece clip and its home, once: later calls keep the first.
    void attachClip(flash::character* clip);
    // The point (pixels) lies closer than 30 pixels to home.
    bool isNear(float x, float y, float z) const;
    // Shows the piece in its place at once, or flies it there from the cursor.
    void place(bool immediately);

    flash::character* pieceClip() const { return m_clip.get_ptr(); }
    const float* home() const { return m_home; }
    bool isPlaced() const { return m_placed; }
    void setPlaced(bool placed) { m_placed = placed; }

private:
    float m_home[3] = {0.0f, 0.0f, 0.0f};
    flash::weak_ptr<flash::character> m_clip;
    bool m_placed = false;
};

class ContourLevel : public BaseLevel {
public:
    static constexpr const char* kType = "contour";
    static constexpr const char* kPartGroup = "contour";
    static constexpr const char* kWorkArea = "WorkArea";
    static constexpr int kPressEvent = 1;

    explicit ContourLevel(BaseLevel* parent);
    ~ContourLevel() override;

    bool initInternal(const Attr::AttributePtr& description) override;
    void restart() override;
    bool handleEvent(flash::character* ch, int eventCode) override;
    bool isComplete() override;
    void forceWin() override;
    bool hint() override;

    // The part an item clip name stands for: "cup_3" names "cup_sz"; empty for a name without "_".
    static std::string sizedName(const std::string& name);

    flash::character* workArea() const { return m_workArea.get_ptr(); }
    int placedCount() const { return m_placedCount; }
    int partCount() const { return m_partCount; }

private:
    // A press on "WorkArea" with an element on the cursor.
    void drop(app::CarriedElement* carried);

    flash::weak_ptr<flash::character> m_workArea;
    int m_placedCount = 0;
    int m_partCount = 0;
};
