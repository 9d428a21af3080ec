#include "movie_fixture.h"

#include <sstream>
#include <typeinfo>

#include "flash/base/bx_file.h"
#include "flash/movie/frame_tags.h"
#include "flash/movie/sprite_definition.h"
#include "flash/movie/tag_loaders.h"

namespace movietest {

namespace {

std::mutex g_files_lock;
std::map<std::string, bytes> g_files;
std::map<std::string, int> g_opens;

constexpr uint8_t action_push = 0x96;
constexpr uint8_t action_trace = 0x26;
constexpr uint8_t push_type_string = 0;

void describe_frames(std::ostringstream& out, const flash::movie_definition_sub& def) {
    for (int frame = 0; frame < def.get_frame_count(); ++frame) {
        out << " [" << frame;
        flash::bx_string label;
        if (def.get_frame_label(frame, &label)) out << " '" << label.c_str() << "'";
        // A whole movie answers its labels by name only.
        if (auto* movie = dynamic_cast<const flash::movie_def_impl*>(&def)) {
            for (auto it = movie->get_named_frames().begin(); it != movie->get_named_frames().end(); ++it) {
                if (it.get_value() == frame) out << " '" << it.get_key().c_str() << "'";
            }
        }
        for (flash::execute_tag* tag : *def.get_playlist(frame)) {
            if (auto* place = dynamic_cast<flash::place_object_2*>(tag)) {
                out << " place" << place->m_tag_type << "(" << place->m_place_type << "," << place->m_depth << ","
                    << place->m_character_id << "," << place->m_name.c_str() << ","
                    << place->m_event_handlers.size() << ")";
            } else if (auto* remove = dynamic_cast<flash::remove_object_2*>(tag)) {
                out << " remove(" << remove->m_depth << "," << remove->m_id << ")";
            } else if (auto* action = dynamic_cast<flash::do_action*>(tag)) {
                out << " action(" << action->get_buffer().get_length() << ")";
            } else if (auto* bg = dynamic_cast<flash::set_background_color*>(tag)) {
                out << " bg(" << int(bg->get_color().m_r) << "," << int(bg->get_color().m_g) << ","
                    << int(bg->get_color().m_b) << ")";
            } else {
                out << " other";
            }
        }
        out << "]";
    }
}

}  // namespace

served_files::served_files() {
    std::lock_guard<std::mutex> lock(g_files_lock);
    g_files.clear();
    g_opens.clear();
    flash::register_file_opener_callback(&served_files::open);
}

served_files::~served_files() { flash::register_file_opener_callback(nullptr); }

void served_files::add(const std::string& path, const bytes& data) {
    std::lock_guard<std::mutex> lock(g_files_lock);
    g_files[path] = data;
}

int served_files::opens(const std::string& path) const {
    std::lock_guard<std::mutex> lock(g_files_lock);
    const auto it = g_opens.find(path);
    return it == g_opens.end() ? 0 : it->second;
}

flash::bx_file* served_files::open(const char* path) {
    std::lock_guard<std::mutex> lock(g_files_lock);
    ++g_opens[path];
    const auto it = g_files.find(path);
    if (it == g_files.end()) return nullptr;
    flash::bx_file* file = new flash::bx_file(flash::memory_buffer);
    file->write_bytes(it->second.data(), static_cast<int>(it->second.size()));
    file->set_position(0);
    file->set_name(path);
    return file;
}

flash::movie_def_impl* movie_fixture::load(const std::string& path, const bytes& data) {
    files.add(path, data);
    return static_cast<flash::movie_def_impl*>(owner->create_movie(path.c_str()));
}

std::string summary(const flash::movie_def_impl& def) {
    std::ostringstream out;
    const flash::rect& r = def.get_frame_rect();
    out << "v" << def.get_version() << " rect(" << r.m_x_min << "," << r.m_x_max << "," << r.m_y_min << ","
        << r.m_y_max << ") rate " << def.get_frame_rate() << " frames " << def.get_frame_count() << "\n";
    out << "frames:";
    describe_frames(out, def);
    out << "\ninit:";
    for (int frame = 0; frame < def.get_frame_count(); ++frame) out << " " << def.get_init_actions(frame)->size();
    out << "\ncharacters:";
    for (auto it = def.get_characters().begin(); it != def.get_characters().end(); ++it) {
        out << " " << it.get_key();
        if (auto* sprite = dynamic_cast<flash::sprite_definition*>(it.get_value().get_ptr())) {
            out << "{";
            describe_frames(out, *sprite);
            out << " }";
        }
    }
    out << "\nexports:";
    for (auto it = def.get_exports().begin(); it != def.get_exports().end(); ++it) {
        out << " " << it.get_key().c_str() << "=" << it.get_value()->get_id();
    }
    out << "\nimports:";
    for (const flash::import_info& info : def.get_imports()) {
        out << " " << info.m_source_url.c_str() << ":" << info.m_character_id << "=" << info.m_symbol.c_str();
    }
    out << "\n";
    return out.str();
}

bytes trace_actions(const std::vector<std::string>& lines) {
    bytes out;
    for (const std::string& line : lines) {
        const int length = static_cast<int>(line.size()) + 2;
        out.push_back(action_push);
        out.push_back(static_cast<uint8_t>(length & 0xFF));
        out.push_back(static_cast<uint8_t>(length >> 8));
        out.push_back(push_type_string);
        out.insert(out.end(), line.begin(), line.end());
        out.push_back(0);
        out.push_back(action_trace);
    }
    out.push_back(0);
    return out;
}

}  // namespace movietest
