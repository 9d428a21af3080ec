#include "levels/puzzle_level.h"

#include <algorithm>

#include "app/mouse_cursor.h"
#include "core/attr_access.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "core/random_tables.h"
#include "flash/movie/sprite_instance.h"
#include "flash/runtime/character.h"
#include "flash/shape/geometry.h"
#include "input/input_event.h"
#include "levels/level_manager.h"
#include "levels/level_sound.h"
#include "levels/minigame_pieces.h"

namespace {

constexpr const char* kInitInternal = "PuzzleLevel::initInternal";
constexpr const char* kTurnSound = "click1";
constexpr const char* kCollectSound = "glass_collection";
constexpr int kTurnChoices = 3;  // a random start turn is 0, 90 or 180 degrees

const levels::LevelKindRegistration s_kind("puzzle", [](BaseLevel* parent) -> BaseLevel* {
    return new PuzzleLevel(parent);
});

bool mayTurn() { return d_NeedRotate && d_NeedRotate->value.b; }

}  // namespace

PuzzlePart::PuzzlePart(int number) : BaseElement(kKind, kNamePrefix + std::to_string(number), "") {}

void PuzzlePart::bind(flash::character* ch) {
    if (!ch) return;
    if (!m_bound) {
        ch->set_visible(true);
        m_home = ch->get_matrix();
        const flash::matrix world = ch->get_world_matrix();
        m_homeX = world.m_[0][2] * flash::pixels_per_twip;
        m_homeY = world.m_[1][2] * flash::pixels_per_twip;
        m_angle = 0.0f;
        m_bound = true;
    }
    setCharacter(ch);
}

void PuzzlePart::setAngle(float angle) {
    m_angle = angle >= levels::kTwoPi ? 0.0f : angle;
    levels::setClipRotation(getCharacter(), m_angle);
}

void PuzzlePart::randomTurn() {
    if (!mayTurn()) return;
    setAngle(static_cast<float>(randomInt() % kTurnChoices) * levels::kHalfPi);
}

void PuzzlePart::turnStep() {
    if (!mayTurn()) return;
    // Four steps come back to exactly 0: the snap test asks for an angle of exactly 0.
    setAngle(m_angle + levels::kHalfPi >= levels::kTwoPi - 1e-3f ? levels::kTwoPi : m_angle + levels::kHalfPi);
}

void PuzzlePart::moveTo(float x, float y) { moveToTwips(x * flash::twips_per_pixel, y * flash::twips_per_pixel); }

void PuzzlePart::moveToTwips(float x, float y) {
    flash::character* ch = getCharacter();
    if (!ch) return;
    flash::matrix m = ch->get_matrix();
    m.set_scale_rotation(m.get_x_scale(), m.get_y_scale(), m_angle);
    m.m_[0][2] = flash::finite_or_zero(x);
    m.m_[1][2] = flash::finite_or_zero(y);
    ch->set_matrix(m);
}

void PuzzlePart::goHome() {
    m_angle = 0.0f;
    if (flash::character* ch = getCharacter(); ch && m_bound) ch->set_matrix(m_home);
}

bool PuzzlePart::snap(float x, float y, bool testOnly) {
    if (m_angle != 0.0f) return false;
    const float dx = x - m_homeX, dy = y - m_homeY;
    if (dx * dx + dy * dy > kSnapDistanceSquared) return false;
    if (!testOnly) goHome();
    return true;
}

PuzzleLevel::PuzzleLevel(BaseLevel* parent) : BaseLevel(parent) { m_levelKind = kKindPuzzle; }

PuzzleLevel::~PuzzleLevel() = default;

PuzzlePart* PuzzleLevel::piece(int index) const {
    if (index < 0 || index >= m_pieceCount || index >= static_cast<int>(m_elements.size())) return nullptr;
    BaseElement* element = m_elements[static_cast<size_t>(index)];
    return element->getKind() == PuzzlePart::kKind && element->getLevel() == this ? static_cast<PuzzlePart*>(element)
                                                                                   : nullptr;
}

PuzzlePart* PuzzleLevel::carriedPiece() const {
    MouseCursor* cursor = MouseCursor::instance();
    auto* carried = cursor ? dynamic_cast<PuzzlePart*>(cursor->connectedElement()) : nullptr;
    return carried && carried->getLevel() == this ? carried : nullptr;
}

bool PuzzleLevel::initInternal(const Attr::AttributePtr& description) {
    if (!BaseLevel::initInternal(description)) return false;
    const int claimed = Attr::scalarValueOr(Attr::findAttribute(description, "PiecesNumber"), int32_t{0});
    if (claimed < 1) {
        Tov::LogLine("ERROR") << kInitInternal << " PiecesNumber <= 0";
        return false;
    }
    if (!levels::piecesFit(this, kInitInternal, PuzzlePart::kNamePrefix, claimed)) return false;
    for (int number = 1; number <= claimed; ++number) {
        const std::string name = PuzzlePart::kNamePrefix + std::to_string(number);
        // A piece without a clip could never be placed.
        if (!findCharacter(name, true)) {
            Tov::LogLine("WARNING") << "not find element " << name;
            return false;
        }
    }
    // Counted before anything is made: the level's own elements come first.
    const size_t first = m_elements.size();
    for (int number = 1; number <= claimed; ++number) addElement(new PuzzlePart(number));
    // The pieces lead the list, so that index i is piece i + 1.
    std::rotate(m_elements.begin(), m_elements.begin() + static_cast<long>(first), m_elements.end());
    m_pieceCount = claimed;

    m_picture = findCharacter(kPicture, true);
    if (!m_picture.get_ptr()) {
        Tov::LogLine("WARNING") << "not find element " << kPicture;
        return false;
    }
    m_rotateArea = findCharacter(kRotateArea, true);
    if (flash::character* rotate = m_rotateArea.get_ptr())
        rotate->set_event_callback(&BaseLevel::levelEventCallback);
    else
        Tov::LogLine("ERROR") << kInitInternal << " RotateArea not found";
    m_piecesLayer = findCharacter(kPiecesLayer, true);
    flash::character* layer = m_piecesLayer.get_ptr();
    if (!layer) {
        Tov::LogLine("WARNING") << "not find element " << kPiecesLayer;
        return false;
    }
    const flash::matrix layerWorld = layer->get_world_matrix();
    m_layerX = layerWorld.m_[0][2] * flash::pixels_per_twip;
    m_layerY = layerWorld.m_[1][2] * flash::pixels_per_twip;
    m_areas.clear();
    // More areas than pieces are never used.
    for (int k = 0; k < levels::kMaxPieces; ++k) {
        flash::character* area = findCharacter(kScatterArea + std::to_string(k), true);
        if (!area) break;
        m_areas.emplace_back(area);
    }
    if (m_areas.size() < static_cast<size_t>(claimed)) {
        Tov::LogLine("ERROR") << kInitInternal << " " << m_areas.size() << " " << kScatterArea << " clips for "
                              << claimed << " pieces";
        return false;
    }
    m_workArea = findCharacter(kWorkArea, true);
    if (flash::character* work = m_workArea.get_ptr()) work->set_event_callback(&BaseLevel::levelEventCallback);
    return true;
}

void PuzzleLevel::restart() {
    m_forcedWin = false;
    m_completed = false;
    m_placed = 0;
    if (flash::character* picture = m_picture.get_ptr()) {
        picture->goto_frame(0);
        m_pictureRewound = true;
        picture->set_event_callback(&BaseLevel::levelEventCallback);
    }
    if (flash::character* layer = m_piecesLayer.get_ptr()) layer->set_visible(true);

    PuzzlePart* largest = nullptr;
    float largestDiagonal = -1.0f;
    const int pairs = std::min(m_pieceCount, static_cast<int>(m_areas.size()));
    for (int i = 0; i < pairs; ++i) {
        PuzzlePart* part = piece(i);
        flash::character* area = m_areas[static_cast<size_t>(i)].get_ptr();
        flash::character* ch = part ? findCharacter(part->getName(), true) : nullptr;
        if (!ch || !area) continue;
        part->bind(ch);
        part->randomTurn();
        const flash::matrix& areaMatrix = area->get_matrix();
        const float left = areaMatrix.m_[0][2] * flash::pixels_per_twip;
        const float top = areaMatrix.m_[1][2] * flash::pixels_per_twip;
        const float right = left + area->get_width() * flash::pixels_per_twip;
        const float bottom = top + area->get_height() * flash::pixels_per_twip;
        const float r1 = randomFloat();
        const float r2 = randomFloat();
        part->moveTo(left + (right - left) * r2, top + (bottom - top) * r1);
        ch->set_event_callback(&BaseLevel::levelEventCallback);
        const float w = ch->get_width(), h = ch->get_height();
        if (w * w + h * h > largestDiagonal) {
            largestDiagonal = w * w + h * h;
            largest = part;
        }
    }
    if (largest) {
        if (flash::character* ch = largest->getCharacter()) ch->set_event_callback(nullptr);
        largest->goHome();
        m_placed = 1;
    }
    levels::setSkipButtonShown(true);
}

void PuzzleLevel::dropCarried() {
    if (MouseCursor* cursor = MouseCursor::instance()) cursor->setConnectedElement(nullptr, true);
}

bool PuzzleLevel::handleEvent(flash::character* ch, int eventCode) {
    if (BaseLevel::handleEvent(ch, eventCode)) return true;
    if (eventCode != levels::kPressEvent || levels::gameBusy() || !ch) return false;
    MouseCursor* cursor = MouseCursor::instance();
    PuzzlePart* carried = carriedPiece();
    const float cursorX = cursor ? static_cast<float>(cursor->x()) : 0.0f;
    const float cursorY = cursor ? static_cast<float>(cursor->y()) : 0.0f;
    if (ch == m_workArea.get_ptr()) {
        if (carried) {
            dropCarried();
            // Under the cursor, in the pieces layer's own space, at whatever scale it stands.
            flash::point local;
            const flash::character* layer = m_piecesLayer.get_ptr();
            const flash::matrix world = layer ? layer->get_world_matrix() : flash::matrix();
            world.transform_by_inverse(&local, flash::point(cursorX * flash::twips_per_pixel,
                                                            cursorY * flash::twips_per_pixel));
            carried->moveToTwips(local.m_x, local.m_y);
        }
    } else if (ch == m_picture.get_ptr()) {
        if (carried && carried->snap(cursorX, cursorY, true)) {
            dropCarried();
            ++m_placed;
            if (flash::character* clip = carried->getCharacter()) clip->set_event_callback(nullptr);
            carried->goHome();
        }
    } else if (ch == m_rotateArea.get_ptr()) {
        if (carried) {
            carried->turnStep();
            levels::playSound(kTurnSound, false);
        }
    } else if (!carried && cursor) {
        BaseElement* owner = ClipOwner::elementOf(ch);
        if (owner && owner->getLevel() == this && owner->getKind() == PuzzlePart::kKind)
            cursor->setConnectedElement(owner, false);
    }
    return true;
}

bool PuzzleLevel::onInputEvent(InputEvent* event) {
    // The right button turns the carried piece instead of putting it back.
    auto* mouse = dynamic_cast<MouseEvent*>(event);
    if (levels::gameBusy() || !mouse || mouse->type != MOUSE_PRESSED || mouse->button != kRightButton) return false;
    PuzzlePart* carried = carriedPiece();
    if (!carried) return false;
    carried->turnStep();
    levels::playSound(kTurnSound, false);
    return true;
}

void PuzzleLevel::update(float) {
    // The level base's step does not run here: the level manager's poll ends the level.
    if (m_pictureRewound) {
        m_pictureRewound = false;
        return;
    }
    if (!(m_forcedWin || m_placed == m_pieceCount) || m_completed) return;
    flash::character* layer = m_piecesLayer.get_ptr();
    auto* picture = flash::cast_to<flash::sprite_instance>(m_picture.get_ptr());
    if (layer && layer->get_visible()) {
        layer->set_visible(false);
        if (picture) picture->set_play_state(flash::character::PLAY);
        levels::playSound(kCollectSound, false);
    } else if (!picture || picture->get_play_state() == flash::character::STOP) {
        m_completed = true;
    }
}

bool PuzzleLevel::isComplete() { return m_completed; }

void PuzzleLevel::forceWin() {
    // A carried piece goes back to the layer first, or the cursor would put it back later.
    if (carriedPiece()) dropCarried();
    m_forcedWin = true;
    m_placed = m_pieceCount;
    for (int i = 0; i < m_pieceCount; ++i)
        if (PuzzlePart* part = piece(i)) part->goHome();
}

bool PuzzleLevel::skip() {
    levels::setSkipButtonShown(false);
    forceWin();
    return true;
}
