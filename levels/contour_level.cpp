#include "levels/contour_level.h"

#include "app/game_layers.h"
#include "app/mouse_cursor.h"
#include "core/attr_access.h"
#include "core/log_stream.h"
#include "flash/movie/sprite_instance.h"
#include "flash/shape/geometry.h"
#include "levels/fly_elements.h"
#include "levels/inventory.h"
#include "levels/level_manager.h"
#include "levels/minigame_pieces.h"
#include "script/script_core.h"

namespace {

constexpr int kFrameHidden = 0;
constexpr int kFramePlaced = 1;
constexpr int kKindAnimated = 6;
constexpr const char* kSizedSuffix = "_sz";
constexpr const char* kHintEffect = "firework";
constexpr const char* kResetInventory = "inventory.reset()";

const levels::LevelKindRegistration s_kind(ContourLevel::kType, [](BaseLevel* parent) -> BaseLevel* {
    return new ContourLevel(parent);
});

}  // namespace

// ContourPart

ContourPart::ContourPart(const std::string& name, const std::string& targetName)
    : BaseElement(kKind, name, targetName) {}

ContourPart::~ContourPart() = default;

void ContourPart::attachClip(flash::character* clip) {
    if (m_clip.get_ptr() || !clip) return;
    m_clip = clip;
    clip->set_visible(true);
    const flash::matrix world = clip->get_world_matrix();
    m_home[0] = world.m_[0][2] * flash::pixels_per_twip;
    m_home[1] = world.m_[1][2] * flash::pixels_per_twip;
    m_home[2] = 0.0f;
}

bool ContourPart::isNear(float x, float y, float z) const {
    const float dx = x - m_home[0], dy = y - m_home[1], dz = z - m_home[2];
    return dx * dx + dy * dy + dz * dz < kNearSquared;
}

void ContourPart::place(bool immediately) {
    flash::character* clip = m_clip.get_ptr();
    if (!clip) return;
    m_placed = true;
    FlyElementsManager* flights = FlyElementsManager::instance();
    // A flight refused (another one blocks) must not leave the piece hidden for ever.
    if (!immediately && flights && flights->addContourFly(clip, false, false)) return;
    clip->set_visible(true);
    clip->goto_frame(kFramePlaced);
}

// ContourLevel

ContourLevel::ContourLevel(BaseLevel* parent) : BaseLevel(parent) { m_levelKind = kKindContour; }

ContourLevel::~ContourLevel() = default;

bool ContourLevel::initInternal(const Attr::AttributePtr& description) {
    if (!BaseLevel::initInternal(description)) return false;
    const Attr::AttributePtr parts = Attr::findAttribute(description, kPartGroup);
    for (auto it = Attr::attributesBegin(parts); it != Attr::attributesEnd(parts); ++it) {
        const Attr::AttributePtr& entry = it->second;
        Tov::LogLine("MESSAGE") << "create sized element: " << entry->name();
        auto* part = new ContourPart(entry->name(), Attr::stringValueOr(entry, ""));
        part->setLevel(this);
        m_elements.push_back(part);
        ++m_partCount;
    }
    flash::character* area = findCharacter(kWorkArea, true);
    m_workArea = area;
    if (area) {
        area->set_event_callback(&BaseLevel::levelEventCallback);
        setOwnerOf(area, nullptr);
    } else {
        Tov::LogLine("WARNING") << "ContourLevel::initInternal" << ": no " << kWorkArea << " in " << getName()
                                << "; nothing can be dropped";
    }
    return true;
}

void ContourLevel::restart() {
    // A restart begins the game again: nothing placed, only the parts with a piece counted.
    m_placedCount = 0;
    m_partCount = 0;
    for (BaseElement* element : m_elements) {
        flash::character* clip = findCharacter(element->getName(), true);
        const int kind = element->getKind();
        if (!clip) {
            if (kind == ContourPart::kKind)
                Tov::LogLine("WARNING") << "ContourLevel::restart" << ": no clip " << element->getName() << " in "
                                        << getName() << "; the part is skipped";
            continue;
        }
        if (kind == ContourPart::kKind) {
            auto* part = static_cast<ContourPart*>(element);
            clip->set_event_callback(nullptr);
            part->attachClip(clip);
            part->setPlaced(false);
            clip->set_visible(false);
            ++m_partCount;
        } else if (kind == BaseElement::kKindInventoryOnCursor) {
            clip->set_event_callback(&BaseLevel::levelEventCallback);
        }
        element->setCharacter(clip);
        clip->goto_frame(kFrameHidden);
    }
}

std::string ContourLevel::sizedName(const std::string& name) {
    const size_t cut = name.find('_');
    if (cut == std::string::npos) return std::string();
    return name.substr(0, cut) + kSizedSuffix;
}

bool ContourLevel::handleEvent(flash::character* ch, int eventCode) {
    if (levels::gameBusy()) return false;
    if (BaseLevel::handleEvent(ch, eventCode)) return true;
    if (BaseElement* owner = ClipOwner::elementOf(ch); owner && owner->getLevel() != this) return false;
    flash::character* area = m_workArea.get_ptr();
    if (eventCode != kPressEvent || !ch || ch != area) return true;
    MouseCursor* cursor = MouseCursor::instance();
    app::CarriedElement* carried = cursor ? cursor->connectedElement() : nullptr;
    if (carried) {
        drop(carried);
        return true;
    }
    // With nothing carried a close-up explains itself; a standalone level says nothing.
    if (getZoomOutButton())
        if (app::MessageBox* box = app::messageBox())
            box->show(app::MessageBox::kTypeOk, "ids_" + getName() + "_workarea_descr", nullptr);
    return true;
}

void ContourLevel::drop(app::CarriedElement* carried) {
    MouseCursor* cursor = MouseCursor::instance();
    flash::character* item = carried->carriedClip();
    // Held over the give-back: the clip may then have no other holder.
    const flash::smart_ptr<flash::character> keep(item);
    const std::string sized = item ? sizedName(item->get_name().c_str()) : std::string();
    BaseElement* element = sized.empty() ? nullptr : getElementByName(sized);
    auto* part = element && element->getKind() == ContourPart::kKind ? static_cast<ContourPart*>(element) : nullptr;
    // A part placed already is no target: counting it twice would complete the level early.
    const bool hit = part && part->pieceClip() && !part->isPlaced() &&
                     part->isNear(static_cast<float>(cursor->x()), static_cast<float>(cursor->y()), 0.0f);
    if (hit) {
        part->place(false);
        ++m_placedCount;
    }
    // Hit or miss, the item leaves the cursor.
    cursor->setConnectedElement(nullptr, false);
    if (!hit) return;
    // The cursor gives the clip its callback back: a used item takes no more clicks.
    if (item) {
        item->set_event_callback(nullptr);
        item->set_visible(false);
    }
    // Last, as the module may drop the item's clip: a used item leaves the inventory, while a missed
    // drop keeps it there, or the player could never bring it again.
    if (Inventory* inventory = Inventory::instance()) inventory->deleteElem(sized);
}

bool ContourLevel::isComplete() { return m_placedCount == m_partCount; }

void ContourLevel::forceWin() {
    BaseLevel::forceWin();
    for (BaseElement* element : m_elements) {
        if (element->getKind() == ContourPart::kKind) {
            static_cast<ContourPart*>(element)->place(true);
        } else if (flash::character* clip = element->getCharacter()) {
            clip->set_play_state(flash::character::PLAY);
        }
    }
    m_placedCount = m_partCount;
    if (currentScriptState()) runScriptBuffer(kResetInventory, 0, "inventory.reset");
}

bool ContourLevel::hint() {
    for (int slot = 0; slot < kMaxMinilevels; ++slot) {
        BaseLevel* minilevel = getMinilevel(slot);
        if (minilevel && minilevel->isVisible() && minilevel->hint()) return true;
    }
    // Pieces are never hinted: the items on the cursor and the scene's objects are.
    for (BaseElement* element : m_elements) {
        const int kind = element->getKind();
        if (kind != BaseElement::kKindHidden && kind != kKindAnimated && kind != BaseElement::kKindInventoryOnCursor)
            continue;
        flash::character* clip = findCharacter(element->getName(), true);
        if (!clip || !clip->get_event_callback()) continue;
        if (element->getCharacter() != clip) element->setCharacter(clip);
        element->setEffect(kHintEffect);
        return true;
    }
    return false;
}
