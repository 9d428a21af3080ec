// The heads-up panel's task list: the notices, their columns and rows inside "TextPlace", the
// count of each object name, fading and sliding, and the level's task text.
#include "screens/main_panel_notice.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/game_layers.h"
#include "core/cvar.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "core/string_table.h"
#include "core/string_utils.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/sprite_instance.h"
#include "flash/movie/text.h"
#include "flash/shape/geometry.h"
#include "graphics/font.h"
#include "graphics/font_manager.h"

namespace {

constexpr const char* kTextPlace = "TextPlace";
constexpr const char* kTaskText = "TaskText";
constexpr const char* kIdPrefix = "IDS_";
constexpr int kMaxAlpha = 255;
constexpr int kAlignLeft = 0;
constexpr int kAlignCentre = 2;
// Drawn far off: the field's outline passes never show.
constexpr float kOutlineOffset = 6000.0f;
constexpr int kTextWidthMargin = 20;
// Rows start this many pixels below the middle of "TextPlace".
constexpr float kFirstRowOffset = 30.0f;
constexpr float kTaskCentredY = 500.0f;
constexpr float kTaskPlainY = -400.0f;
// Level element kinds the list shows: hidden objects, and inventory pick-ups unless switched off.
constexpr int kHiddenObject = 0;
constexpr int kHiddenStaying = 6;
constexpr int kInventoryPickUp = 7;


std::string shownId(const std::string& name) { return name.empty() ? std::string() : kIdPrefix + name; }

uint8_t colourByte(float component) {
    if (!(component > 0.0f)) return 0;
    return static_cast<uint8_t>(std::min(component, static_cast<float>(kMaxAlpha)));
}

}  // namespace

using Notice = MainPanel::NotificationElement;

Notice::NotificationElement(int x, int y, const std::string& name, NotificationElement* predecessor, int count,
                            bool centred, bool taskStyle)
    : m_name(name), m_count(count), m_x(static_cast<float>(x)), m_y(static_cast<float>(y)), m_predecessor(predecessor) {
    Tov::LogLine("MESSAGE") << "MainPanel::NotificationElement::NotificationElement" << " " << name << ", " << x << ","
                            << y;
    if (predecessor) predecessor->m_successor = this;
    if (taskStyle) setFlag(kTaskStyle, true);
    createText(x, y, centred);
}

Notice::~NotificationElement() {
    if (m_predecessor) m_predecessor->m_successor = m_successor;
    if (m_successor) {
        m_successor->m_predecessor = m_predecessor;
        flash::matrix target = m_destination;
        if (!anyFlag(kMoving)) {
            if (flash::edit_text_character* field = this->field()) {
                target = field->get_matrix();
            } else {
                target.set_identity();
                target.m_[0][2] = m_x * flash::twips_per_pixel;
                target.m_[1][2] = m_y * flash::twips_per_pixel;
            }
        }
        m_successor->move(target, false);
    }
    if (flash::edit_text_character* field = this->field())
        if (flash::character* parent = field->get_parent()) parent->remove_display_object(field);
}

flash::edit_text_character* Notice::field() const { return m_field.get_ptr(); }

float Notice::fieldY() const {
    if (flash::edit_text_character* field = this->field()) return field->get_matrix().m_[1][2];
    return m_y * flash::twips_per_pixel;
}

void Notice::createText(int x, int y, bool centred) {
    if (field()) return;
    MainPanel* panel = MainPanel::instance();
    if (!panel) return;
    auto* place = flash::cast_to<flash::sprite_instance>(panel->findClip(kTextPlace));
    if (!place) return;
    Tov::LogLine("MESSAGE") << "MainPanel::NotificationElement::createText" << " w:" << panel->textPlaceWidth()
                            << " h:" << panel->textPlaceHeight();
    const std::string text = shownId(m_name);
    flash::edit_text_character* field =
        place->create_text_field(text.c_str(), place->get_next_highest_depth(), x, y, kFieldWidth, 0);
    if (!field) return;
    m_field = field;
    const bool task = anyFlag(kTaskStyle);
    field->m_font_name = (task ? d_MainPanelTaskFontName : d_MainPanelFontName)->text.c_str();
    const float* colour = (task ? d_MainPanelTaskTextColor : d_MainPanelTextColor)->value.f;
    field->m_color = flash::rgba(colourByte(colour[0]), colourByte(colour[1]), colourByte(colour[2]), 0);
    field->m_alignment = centred ? kAlignCentre : kAlignLeft;
    field->m_outline_width = kOutlineOffset;
    if (flash::edit_text_character_def* def = field->get_definition()) {
        // One line that never wraps, plain text.
        def->m_word_wrap = false;
        def->m_multiline = false;
        def->m_html = false;
    }
    field->set_text(text.c_str());
    field->set_visible(field->get_matrix().m_[1][2] < static_cast<float>(panel->textPlaceHeight()));
}

bool Notice::update(float) {
    flash::edit_text_character* field = this->field();
    if (anyFlag(kFadingOut)) {
        if (!anyFlag(kDisappearStarted)) {
            if (field) {
                const flash::matrix world = field->get_world_matrix();
                startEffect("Item_Disappear", world.m_[0][2] * flash::pixels_per_twip + static_cast<float>(getTextWidth() / 2),
                            world.m_[1][2] * flash::pixels_per_twip);
            }
            setFlag(kDisappearStarted, true);
        }
        if (!field || field->m_color.m_a == 0) return false;
        field->m_color.m_a = static_cast<uint8_t>(std::max(0, field->m_color.m_a - kAlphaStep));
    } else if (field && field->m_color.m_a < kMaxAlpha) {
        field->m_color.m_a = static_cast<uint8_t>(std::min(kMaxAlpha, field->m_color.m_a + kAlphaStep));
    }
    if (!anyFlag(kMoving)) return true;
    if (!field) {
        // Nothing to slide: it is where it goes.
        setFlag(kMoving, false);
        return true;
    }
    flash::matrix m = field->get_matrix();
    m.m_[1][2] = flash::finite_or_zero(m.m_[1][2] - kSlideTwips);
    const float target = m_destination.m_[1][2];
    if (std::fabs(m.m_[1][2] - target) <= kSlideTwips) {
        m.m_[1][2] = target;
        setFlag(kMoving, false);
        MainPanel* panel = MainPanel::instance();
        field->set_visible(panel && static_cast<float>(panel->textPlaceHeight()) > target);
    }
    field->set_matrix(m);
    return true;
}

void Notice::move(const flash::matrix& destination, bool immediately) {
    Tov::LogLine("MESSAGE") << "MainPanel::NotificationElement::move" << " Destination: " << destination.m_[1][2];
    m_destination = destination;
    flash::edit_text_character* field = this->field();
    const float fromX = field ? field->get_matrix().m_[0][2] : m_x * flash::twips_per_pixel;
    const float fromY = field ? field->get_matrix().m_[1][2] : m_y * flash::twips_per_pixel;
    m_x += (destination.m_[0][2] - fromX) * flash::pixels_per_twip;
    m_y += (destination.m_[1][2] - fromY) * flash::pixels_per_twip;
    if (immediately && field) field->set_matrix(destination);
    setFlag(kMoving, !immediately);
    if (m_successor) {
        flash::matrix below = destination;
        const MainPanel* panel = MainPanel::instance();
        below.m_[1][2] = flash::finite_or_zero(below.m_[1][2] + static_cast<float>(panel ? panel->rowSpacing() : 0));
        m_successor->move(below, immediately);
    }
}

void Notice::updateText() {
    flash::edit_text_character* field = this->field();
    if (!field) return;
    std::string text = shownId(m_name);
    if (m_count >= 2) text += "|" + std::to_string(m_count);
    field->set_text(text.c_str());
}

int Notice::getTextWidth() const {
    flash::edit_text_character* field = this->field();
    if (!field) return 0;
    int width = 0;
    if (Font* font = getFontByName(field->m_font_name.c_str()))
        width = font->getTextWidth(StringTable::translate(shownId(m_name)) + u" x" +
                                   utf8ToWString(std::to_string(m_count)));
    return width + kTextWidthMargin;
}

int Notice::incCount() {
    ++m_count;
    updateText();
    return m_count;
}

int Notice::decCount() {
    --m_count;
    updateText();
    return m_count;
}

std::string MainPanel::normalizeEntryName(const std::string& name) {
    const size_t at = name.rfind('_');
    if (at == std::string::npos) return name;
    if (std::atoi(name.c_str() + at + 1) > 0) return name.substr(0, at);
    return name;
}

namespace {
Notice* findExact(const std::vector<Notice*>& entries, const std::string& name) {
    for (Notice* entry : entries)
        if (entry->name() == name) return entry;
    return nullptr;
}
}  // namespace

Notice* MainPanel::findEntry(const std::string& name) const { return findExact(m_entries, normalizeEntryName(name)); }

bool MainPanel::isEntryVisible(const NotificationElement* entry) const {
    return entry && static_cast<float>(m_textPlaceHeight) > entry->fieldY();
}

bool MainPanel::isElementVisible(const std::string& name) const {
    const Notice* entry = findExact(m_entries, name);
    return !entry || isEntryVisible(entry);
}

void MainPanel::addElement(const std::string& name) {
    const std::string normalized = normalizeEntryName(name);
    if (Notice* existing = findExact(m_entries, normalized)) {
        existing->incCount();
        return;
    }
    const float height = static_cast<float>(m_textPlaceHeight) * flash::pixels_per_twip;
    const float base = std::trunc(kFirstRowOffset - height * 0.5f);
    int column, x;
    if (m_columnCount[0] < m_columnCount[1]) {
        column = 0;
        x = 0;
    } else {
        column = 1;
        x = static_cast<int>(-(static_cast<float>(m_textPlaceWidth) * flash::pixels_per_twip) * 0.5f);
    }
    const int row = ++m_columnCount[column];
    const int y = static_cast<int>(height * static_cast<float>(row) * 0.25f + base);
    auto* notice = new Notice(x, y, normalized, m_columnLast[column], 1, false, false);
    m_columnLast[column] = notice;
    m_entries.push_back(notice);
    if (anyFlag(kListLive)) {
        if (flash::character* place = findClip(kTextPlace)) {
            const flash::matrix world = place->get_world_matrix();
            startEffect("Item_Appear",
                        (world.m_[0][2] + static_cast<float>(notice->getTextWidth() / 2 + x) * flash::twips_per_pixel) *
                            flash::pixels_per_twip,
                        (world.m_[1][2] + static_cast<float>(y) * flash::twips_per_pixel) * flash::pixels_per_twip);
        }
    }
    setFlag(kListHasEntries, true);
}

void MainPanel::releaseEntry(const std::string& name) {
    if (Notice* entry = findEntry(name))
        if (entry->decCount() == 0) entry->setFlag(Notice::kFadingOut, true);
}

bool MainPanel::updateEntries(float dt) {
    for (size_t i = 0; i < m_entries.size();) {
        Notice* entry = m_entries[i];
        if (entry->update(dt)) {
            ++i;
            continue;
        }
        --m_columnCount[columnOf(entry->x())];
        if (entry == m_columnLast[0])
            m_columnLast[0] = entry->predecessor();
        else if (entry == m_columnLast[1])
            m_columnLast[1] = entry->predecessor();
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(i));
        delete entry;
    }
    return m_entries.empty();
}

void MainPanel::destroyEntries() {
    // Taken out first: a notice's end moves its neighbours, never the list.
    std::vector<Notice*> entries;
    entries.swap(m_entries);
    for (Notice* entry : entries) delete entry;
}

void MainPanel::buildTaskList() {
    if (!findClip(kTextPlace)) return;
    m_rowSpacing = static_cast<int>(static_cast<float>(m_textPlaceHeight) * flash::pixels_per_twip) / 4 * 20;
    app::GameLevel* level = app::currentLevel();
    if (!level) return;
    struct Lister : app::GameLevel::ElementVisitor {
        MainPanel* panel;
        bool withPickUps;
        void visit(const std::string& name, int kind) override {
            if (kind == kHiddenObject || kind == kHiddenStaying || (kind == kInventoryPickUp && withPickUps))
                panel->addElement(name);
        }
    } lister;
    lister.panel = this;
    lister.withPickUps = !anyFlag(kNoInventoryEntries);
    level->visitElements(lister);
}

void MainPanel::showTask(const std::string& text, bool centred) {
    if (!m_entries.empty()) {
        setPendingTask(text, centred);
        return;
    }
    if (anyFlag(kListLive)) {
        delete m_taskNotice;
        m_taskNotice = nullptr;
        const int x = static_cast<int>(-static_cast<float>(m_textPlaceWidth / 2) * flash::pixels_per_twip);
        const int y = static_cast<int>((centred ? kTaskCentredY : kTaskPlainY) * flash::pixels_per_twip);
        m_taskNotice = new Notice(x, y, text, nullptr, 1, centred, true);
        if (!text.empty())
            if (flash::character* anchor = findClip(kTaskText)) {
                const flash::matrix world = anchor->get_world_matrix();
                startEffect("task_appear", world.m_[0][2] * flash::pixels_per_twip, world.m_[1][2] * flash::pixels_per_twip);
            }
    }
    setPendingTask(std::string(), false);
}
