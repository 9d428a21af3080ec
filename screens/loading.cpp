#include "screens/loading.h"

#include "app/application.h"
#include "core/attr_access.h"
#include "core/attr_xml.h"
#include "core/log_stream.h"
#include "core/scoped_profiler.h"
#include "core/string_table.h"
#include "core/string_utils.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"

namespace {

constexpr const char* kDescriptionExtension = ".xml";
constexpr const char* kFileNameKey = "FileName";

// Reads a movie into the player's library; true when it could be read.
bool readMovie(const std::string& fileName) {
    ScopedProfiler profiler("Loading::run", "Async (ldscreen) loaded swf: " + fileName);
    Tov::LogLine("MESSAGE") << "Loading::run" << " loading " << fileName;
    Application* app = Application::instance();
    return app && app->player() && app->player()->create_movie(fileName.c_str()) != nullptr;
}

bool createLoading() {
    new Loading();
    return true;
}

bool destroyLoading() {
    if (!Loading::instance()) return false;
    delete Loading::instance();
    return true;
}

const app::PartRegistration s_registration(23, 1, &createLoading, app::kShutdownLoading, "Loading", &destroyLoading);

}  // namespace

Loading::Loading() {
    app::setScreen(app::Screen::Loading, this);
    app::setLoadingScreen(this);
    // The render handler draws twips 1:1 into the render target: no coordinate scaling to switch.
    Application* app = Application::instance();
    {
        ScopedProfiler profiler("Loading::Loading", std::string("Loaded swf: ") + kMovie);
        if (app && app->player()) setRoot(app->player()->load_file(kMovie).get_ptr());
    }
    if (!m_root) {
        Tov::LogLine("ERROR") << kMovie << " not found in " << "Loading::Loading";
        return;
    }
    m_root->set_visible(false);
    m_root->set_loop(-1);
    m_root->set_play_state(0);
}

Loading::~Loading() {
    // The loader reads this object's members: it ends before they go.
    wait();
    if (app::screen(app::Screen::Loading) == this) app::setScreen(app::Screen::Loading, nullptr);
    if (app::loadingScreen() == this) app::setLoadingScreen(nullptr);
}

void Loading::render(float dt) {
    if (!isVisible()) return;
    applyCaption();
    m_shownTime += dt;
    BaseRender::render(dt);
}

void Loading::setVisible(bool visible) {
    m_shownTime = 0.0f;
    BaseRender::setVisible(visible);
    if (!visible) {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_pendingCaption.reset();
        }
        if (flash::character* field = nameField())
            static_cast<flash::edit_text_character*>(field)->set_text(flash::bx_string(""));
    }
}

void Loading::hide() {
    m_shownTime = 0.0f;
    BaseRender::hide();
}

void Loading::setLevelNameText(const std::string& key) {
    std::string text = wstringToUtf8(StringTable::translate(key));
    std::lock_guard<std::mutex> guard(m_lock);
    m_pendingCaption = std::move(text);
}

void Loading::applyCaption() {
    std::optional<std::string> caption;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        caption.swap(m_pendingCaption);
    }
    if (!caption) return;
    if (flash::character* field = nameField())
        static_cast<flash::edit_text_character*>(field)->set_text(flash::bx_string(caption->c_str()));
}

std::string Loading::captionText() {
    flash::character* field = nameField();
    if (!field) return std::string();
    return static_cast<flash::edit_text_character*>(field)->m_text.c_str();
}

flash::character* Loading::nameField() {
    if (!m_nameText && m_root) {
        if (flash::sprite_instance* movie = m_root->get_root_sprite()) {
            flash::character* found = movie->get_character_by_name(flash::bx_string(kNameField), true);
            if (found && found->is(flash::edit_text_character::cast_class_id)) m_nameText = found;
        }
    }
    return m_nameText.get_ptr();
}

void Loading::setLevelName(const std::string& name) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!isFinished()) {
        Tov::LogLine("WARNING") << "Loading::setLevelName" << ": the loader still runs; " << name << " is not taken";
        return;
    }
    m_levelName = name;
}

void Loading::addMovie(const std::string& fileName) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!isFinished()) {
        Tov::LogLine("WARNING") << "Loading::addMovie" << ": the loader still runs; " << fileName << " is not taken";
        return;
    }
    m_extraMovies.push_back(fileName);
}

std::vector<std::string> Loading::extraMovies() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_extraMovies;
}

bool Loading::startLoader() {
    setVisible(true);
    return start();
}

uint32_t Loading::run() {
    std::string levelName;
    std::vector<std::string> extra;
    {
        // The queued movies are taken on every path, so that a later load does not find them
        // twice.
        std::lock_guard<std::mutex> guard(m_lock);
        levelName = m_levelName;
        extra.swap(m_extraMovies);
    }
    if (levelName.empty()) return kNoLevel;
    Attr::AttributePtr description = Attr::loadDocument(levelName + kDescriptionExtension);
    if (!description) return kUnreadable;
    const std::string fileName = Attr::stringValueOr(Attr::findAttribute(description, kFileNameKey), "");
    if (fileName.empty()) return kLoaded;
    setLevelNameText(fileName);
    if (!readMovie(fileName)) {
        Tov::LogLine("ERROR") << fileName << " not found in " << "Loading::run";
        return kUnreadable;
    }
    for (const std::string& movie : extra) readMovie(movie);
    // Trimming the working set has no counterpart here.
    return kLoaded;
}
