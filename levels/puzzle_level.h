#pragma once
// The jigsaw minigame: the pieces of a picture lie scattered over the scatter areas of the
// level's movie, some turned. A press picks a piece up (the cursor carries it), the rotate area
// or the right button turns it, a press on the work area puts it down there, and a press on the
// picture within 30 pixels of the piece's home, upright, snaps it into place. The largest piece
// starts placed. Once all are placed the pieces layer hides, the picture plays its closing
// animation, and the level is complete when that animation stops.
#include <string>
#include <vector>

#include "flash/base/smart_ptr.h"
#include "flash/shape/geometry.h"
#include "levels/base_element.h"
#include "levels/base_level.h"

class PuzzlePart : public BaseElement {
public:
    static constexpr int kKind = 3;
    static constexpr const char* kNamePrefix = "pzl_Piece";
    // The snap distance: 30 pixels, squared.
    static constexpr float kSnapDistanceSquared = 900.0f;

    explicit PuzzlePart(int number);

    // Takes the clip; the first time also shows it and keeps its place as the home.
    void bind(flash::character* ch);
    // A random start turn (0, 90 or 180 degrees) from the shared integer random table.
    void randomTurn();
    // A further quarter turn; four make a full one.
    void turnStep();
    // The clip's translation becomes (x, y) pixels, its rotation the turn angle.
    void moveTo(float x, float y);
    // The clip's translation becomes (x, y) twips in its parent's space.
    void moveToTwips(float x, float y);
    void goHome();
    // Upright and (x, y) pixels within 30 pixels of home; unless only testing, the piece goes home.
    bool snap(float x, float y, bool testOnly);

    float angle() const { return m_angle; }
    float homeX() const { return m_homeX; }
    float homeY() const { return m_homeY; }
    const flash::matrix& homeMatrix() const { return m_home; }

private:
    void setAngle(float angle);

    flash::matrix m_home;
    float m_homeX = 0.0f;
    float m_homeY = 0.0f;
    float m_angle = 0.0f;
    bool m_bound = false;
};

class PuzzleLevel : public BaseLevel {
public:
    static constexpr const char* kPicture = "pzl_picture";
    static constexpr const char* kPiecesLayer = "pzl_pieces";
    static constexpr const char* kWorkArea = "WorkArea";
    static constexpr const char* kRotateArea = "RotateArea";
    static constexpr const char* kScatterArea = "PuzzleArea";
    static constexpr int kRightButton = 1;

    explicit PuzzleLevel(BaseLevel* parent);
    ~PuzzleLevel() override;

    void update(float dt) override;
    bool isComplete() override;
    bool handleEvent(flash::character* ch, int eventCode) override;
    void forceWin() override;
    void restart() override;
    bool onInputEvent(InputEvent* event) override;
    bool skip() override;
    bool initInternal(const Attr::AttributePtr& description) override;

    int placedCount() const { return m_placed; }
    int pieceCount() const { return m_pieceCount; }
    PuzzlePart* piece(int index) const;
    // The piece the cursor carries when it is one of this level's; else null.
    PuzzlePart* carriedPiece() const;
    size_t scatterAreaCount() const { return m_areas.size(); }
    float layerX() const { return m_layerX; }
    float layerY() const { return m_layerY; }

private:
    void dropCarried();

    int m_placed = 0;
    int m_pieceCount = 0;
    flash::weak_ptr<flash::character> m_picture;
    flash::weak_ptr<flash::character> m_piecesLayer;
    flash::weak_ptr<flash::character> m_workArea;
    flash::weak_ptr<flash::character> m_rotateArea;
    float m_layerX = 0.0f;
    float m_layerY = 0.0f;
    std::vector<flash::weak_ptr<flash::character>> m_areas;
    bool m_completed = false;
    // Set by restart until the next update: the picture's first frame, gone to there, runs its
    // actions (a stop) at the movie's next advance, which would end a closing animation started
    // before it at once.
    bool m_pictureRewound = false;
};
