// make-demo OUT: writes the demo chapter (OUT/data/...) and its manifest (OUT/manifest.txt) from
// the demo layout, byte for byte the same on every run: movies by the SWF writer, archives by the
// sma tool, sounds by libvorbisenc with a fixed stream serial, pictures and fonts drawn from the
// layout and the pixel font, every list written in a fixed order, no time stamps.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/string_utils.h"
#include "platform/graphics/gfx_control.h"
#include "tests/support/ogg_maker.h"
#include "tools/demo/demo_layout.h"
#include "tools/demo/movie_builder.h"
#include "tools/demo/pixel_font.h"

namespace fs = std::filesystem;

namespace {

fs::path g_out;
bool g_failed = false;

void writeBytes(const fs::path& relative, const std::string& bytes) {
    const fs::path p = g_out / relative;
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "make-demo: can't write %s\n", p.c_str());
        g_failed = true;
    }
}

std::string escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

// An attribute document as the attribute reader reads it.
class Xml {
public:
    Xml& open(const std::string& name) {
        line("<object name=\"" + escape(name) + "\">");
        ++m_depth;
        return *this;
    }
    Xml& close() {
        --m_depth;
        return line("</object>");
    }
    Xml& value(const std::string& type, const std::string& name, const std::string& v) {
        return line("<" + type + " name=\"" + escape(name) + "\" value=\"" + escape(v) + "\" />");
    }
    Xml& string(const std::string& name, const std::string& v) { return value("string", name, v); }
    std::string document() const {
        return "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<root>\n" + m_text + "</root>\n";
    }

private:
    Xml& line(const std::string& text) {
        m_text += std::string(static_cast<size_t>(2 * (m_depth + 1)), ' ') + text + "\n";
        return *this;
    }
    std::string m_text;
    int m_depth = 0;
};

// Pictures: B, G, R, A bytes a pixel, top row first.
struct Picture {
    int width, height;
    std::vector<uint8_t> bgra;
    Picture(int w, int h) : width(w), height(h), bgra(static_cast<size_t>(w) * h * 4, 0) {}
    void set(int x, int y, uint32_t argb) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        uint8_t* p = &bgra[(static_cast<size_t>(y) * width + x) * 4];
        p[0] = static_cast<uint8_t>(argb), p[1] = static_cast<uint8_t>(argb >> 8);
        p[2] = static_cast<uint8_t>(argb >> 16), p[3] = static_cast<uint8_t>(argb >> 24);
    }
    // A text in the pixel font, each font pixel a scale by scale block.
    void text(int x, int y, const std::u16string& s, int scale, uint32_t argb) {
        for (char16_t c : s) {
            const std::vector<uint8_t> rows = demo::glyphRows(c);
            for (int gy = 0; gy < demo::kGlyphHeight; ++gy)
                for (int gx = 0; gx < demo::kGlyphWidth; ++gx)
                    if (rows[gy] & (0x10 >> gx))
                        for (int k = 0; k < scale * scale; ++k) set(x + gx * scale + k % scale, y + gy * scale + k / scale, argb);
            x += (demo::kGlyphWidth + 1) * scale;
        }
    }
    platform::gfx::Image image() const {
        platform::gfx::Image i;
        i.width = width, i.height = height, i.pixels = bgra;
        return i;
    }
};

void savePicture(const fs::path& relative, const Picture& p, bool dds) {
    const fs::path path = g_out / relative;
    fs::create_directories(path.parent_path());
    const bool ok = dds ? platform::gfx::saveDds32(path.string(), p.image())
                        : platform::gfx::savePng(path.string(), p.image(), true);
    if (!ok) {
        std::fprintf(stderr, "make-demo: can't write %s\n", path.c_str());
        g_failed = true;
    }
}

std::u16string wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// ---- the parts of the tree ----

void writeMovies() {
    for (const demo::Movie& m : demo::movies()) {
        const swf::Bytes bytes = demo::buildMovie(m);
        writeBytes(fs::path("data") / m.folder / m.file, std::string(bytes.begin(), bytes.end()));
    }
}

void writeLevels() {
    Xml graph;
    graph.open("levels").string("StartLevel", demo::startLevel());
    for (const demo::Level& l : demo::levels()) {
        graph.open(l.name);
        if (!l.next.empty()) graph.string("next_level", l.next);
        if (!l.parent.empty()) graph.string("parent", l.parent);
        if (l.loadScreen) graph.value("boolean", "loadscreen", "true");
        // The scene preloads the movie of the level after it.
        if (const demo::Level* next = demo::findLevel(l.next); next && l.type == "hidden")
            graph.open("LoadList").string("1", next->file).close();
        graph.close();
    }
    graph.close();
    writeBytes("data/levels/levels.xml", graph.document());

    for (const demo::Level& l : demo::levels()) {
        Xml d;
        d.open(l.name).string("Type", l.type).string("FileName", l.file);
        if (!l.chapter.empty()) d.string("Chapter", l.chapter);
        for (const auto& [type, name, value] : l.keys) d.value(type, name, value);
        for (const auto& [group, entries] : l.groups) {
            d.open(group);
            for (const auto& [name, value] : entries) d.string(name, value);
            d.close();
        }
        d.close();
        writeBytes("data/levels/" + l.name + ".xml", d.document());
        if (!l.sounds.empty()) {
            Xml ext;
            ext.open(l.name + "_ext").open("sounds");
            for (const auto& [sound, start, loop] : l.sounds) {
                ext.open(sound).value("integer", "start_time", std::to_string(start));
                ext.value("integer", "loop_time", std::to_string(loop)).close();
            }
            ext.close().close();
            writeBytes("data/levels/" + l.name + "_ext.xml", ext.document());
        }
        writeBytes("data/levels/" + l.name + ".lua", [&] {
            std::ostringstream s;
            const std::string& n = l.name;
            s << "-- The " << n << " level (" << l.type << "): its hooks announce themselves.\n\n";
            s << "function " << n << "_init()\n";
            s << l.initScript << "    announce(\"" << n << "_init\")\nend\n\n";
            s << "function " << n << "_update()\n    return 0\nend\n\n";
            s << "function " << n << "_ON_ENTER()\n    announce(\"" << n << "_ON_ENTER\")\n";
            // The scene is won by its found objects, not by its update's answer (asked once the
            // manager holds the level, which its init runs before).
            if (l.type == "hidden") s << "    set_no_check_win_by_script_c(true, \"" << n << "\")\n";
            s << l.enterScript << "end\n\n";
            s << "function " << n << "_ON_LEAVE()\n    announce(\"" << n << "_ON_LEAVE\")\nend\n\n";
            s << "function " << n << "_on_hint()\n    return 0\nend\n\n";
            s << "function " << n << "_ON_SKIP()\n    announce(\"" << n << "_ON_SKIP\")\n    return 1\nend\n";
            return s.str();
        }());
    }
}

const char* kCommonLua = R"lua(-- The demo chapter's common script: everything the game calls by name.

-- Writes a line to the game's log once the game offers log_message, to the console before.
function announce(text)
    if log_message then
        log_message(text)
    else
        print(text)
    end
end

-- flown: the found objects moved into the panel by their flight.
common = {chapter = "", flown = {}}

function common.set_chapter(name)
    common.chapter = name
    announce("chapter " .. tostring(name))
end

function common.clear_level()
    announce("clear level")
    for _, element in ipairs(common.flown) do drop_inventory_element(element) end
    common.flown = {}
    -- The hero's bubble stays closed until the panel has something to say.
    if hide_main_panel_msg then hide_main_panel_msg() end
end

local function nameOf(element)
    if element == nil then return "?" end
    local ok, name = pcall(function() return element:getName() end)
    if ok and name then return name end
    return "?"
end

-- A found object flies to its row of the heads-up panel.
function element_fly_to_main_panel(element)
    local name = nameOf(element)
    announce("fly to panel: " .. name)
    if get_target_pos_main_panel and set_parent_to_main_panel and set_anim_new and element then
        pcall(function()
            local target = get_target_pos_main_panel(element)
            local from = element:getPos()
            set_parent_to_main_panel(element, "TextPlace")
            set_anim_new(name, target.x - from.x, target.y - from.y, 0, 0, 0.5, "")
            -- Then it fades there; the next level's start takes it out of the panel.
            set_color_anim(name, 1, 1, 1, 0, 0.5, "")
            table.insert(common.flown, element)
        end)
    end
    -- Its row counts down.
    if main_panel then pcall(function() main_panel():notify(name) end) end
end

function common_hint()
    return 0
end

-- The inventory: the items picked up, in order, how many of each, the first one shown and the
-- cells of the panel's row. The game reports items added and presses on the row; the module lays
-- the row out on each update.
inventory = {items = {}, counts = {}, elements = {}, laid = {}, first = 1, cells = 4, cell_width = 40}

function on_inventory_item_added(element, flag)
    local name = nameOf(element)
    if inventory.counts[name] then
        inventory.counts[name] = inventory.counts[name] + 1
        inc_elements_count(name)
    else
        table.insert(inventory.items, name)
        inventory.counts[name] = 1
        inventory.elements[name] = element
        set_callback_for_element(name, string.format("inventory.take(%q)", name))
        -- Into the panel, where the row shows it.
        set_parent_to_main_panel(element, "Inv_flag")
    end
    announce("inventory add: " .. name)
end

function inventory.update()
    local count = #inventory.items
    if inventory.first > count then inventory.first = math.max(1, count - inventory.cells + 1) end
    local last = inventory.first + inventory.cells - 1
    if set_clip_pos then
        local cell = getInventoryFirstCellPos()
        for i = inventory.first, math.min(last, count) do
            -- An item on the cursor goes with the cursor.
            if not is_conn_elem_name(inventory.items[i]) then
                set_clip_pos(inventory.items[i], cell.x + (i - inventory.first) * inventory.cell_width, cell.y)
            end
            -- Laid out, it takes presses.
            if not inventory.laid[inventory.items[i]] then
                inventory.laid[inventory.items[i]] = true
                activateInventoryElement(inventory.items[i], true)
            end
        end
    end
    activate_inv_arrows(count > inventory.cells)
    inv_btn_enable("btn_left", inventory.first > 1)
    inv_btn_enable("btn_right", last < count)
end

function inventory.reset()
    -- What the row still shows leaves the panel with the level.
    for _, element in pairs(inventory.elements) do drop_inventory_element(element) end
    inventory.items = {}
    inventory.counts = {}
    inventory.elements = {}
    inventory.laid = {}
    inventory.first = 1
end

-- A press on an item laid out in the row puts it on the cursor (the press that picked it up, which
-- runs the same script, does not).
function inventory.take(name)
    local element = inventory.elements[name]
    if element and inventory.laid[name] then getMouse():setConnElem(element, false) end
end

function inventory.scroll_left()
    if inventory.first > 1 then inventory.first = inventory.first - 1 end
    announce("inventory left")
end

function inventory.scroll_right()
    if inventory.first + inventory.cells <= #inventory.items then inventory.first = inventory.first + 1 end
    announce("inventory right")
end

-- A press on the row with an item carried puts the item back.
function inventory.right_click_callback(name)
    local mouse = getMouse()
    if mouse then mouse:setConnElem(nil, true) end
    announce("inventory right click: " .. tostring(name))
end

-- The contour level names the part an item fits ("vase_sz" for "vase_1").
local function fits(item, name)
    local stem = string.match(name, "^(.*)_sz$")
    return item == name or (stem ~= nil and string.match(item, "^(.*)_%d+$") == stem)
end

function inventory.delete_elem(name)
    for i, item in ipairs(inventory.items) do
        if fits(item, name) then
            name = item
            if inventory.elements[name] then drop_inventory_element(inventory.elements[name]) end
            table.remove(inventory.items, i)
            inventory.counts[name] = nil
            inventory.elements[name] = nil
            inventory.laid[name] = nil
            break
        end
    end
    announce("inventory delete: " .. tostring(name))
end
)lua";

std::string soundFile(const std::string& name) { return name + ".ogg"; }

void writeSounds() {
    const std::vector<std::string> names = demo::soundNames();
    constexpr int kRate = 22050;
    for (size_t i = 0; i < names.size(); ++i) {
        // Each sound its own short tone; the ambient loops a little longer.
        const bool loop = names[i].find("ambient") != std::string::npos;
        const double frequency = 330.0 + 40.0 * static_cast<double>(i % 16);
        writeBytes("data/sounds/" + soundFile(names[i]),
                   testaudio::makeTone(frequency, loop ? kRate : kRate / 6, kRate, 1, 0.5f));
    }
    // The music: one loop of a few notes.
    std::vector<float> samples;
    const double notes[] = {262, 330, 392, 523};
    for (int n = 0; n < 8; ++n)
        for (int k = 0; k < kRate / 4; ++k)
            samples.push_back(static_cast<float>(0.4 * std::sin(2 * M_PI * notes[n % 4] * k / kRate)));
    writeBytes("data/music/menu_theme.ogg", testaudio::encodeOgg(samples, 1, kRate));
    // The intro's track lives in the second pack.
    writeBytes("packs-src/sma2/intro_theme.ogg", testaudio::encodeOgg(std::vector<float>(samples.rbegin(), samples.rend()), 1, kRate));
}

void writeMedia() {
    Xml m;
    m.open("media").open("music");
    const std::vector<std::string> music = demo::musicFiles();
    // Only the menu's track is on the playlist; the intro's is named by its level.
    m.string("1", music[0]);
    m.close().open("sounds");
    for (const std::string& s : demo::soundNames()) m.string(s, soundFile(s));
    m.close().open("volume");
    for (const std::string& s : demo::soundNames())
        if (s.find("ambient") != std::string::npos) m.value("float", s, "0.5");
    m.close().close();
    writeBytes("data/xmlFiles/media.xml", m.document());

    Xml r;
    r.open("Resources").open("VFS");
    r.open("1").string("Type", "filesystem").string("Path", "data").value("boolean", "Recursive", "true").close();
    r.open("2").string("Type", "sma1").string("Path", "data\\packs\\effects.sma").close();
    r.open("3").string("Type", "sma2").string("Path", "data\\packs\\music.sma").close();
    r.close().close();
    writeBytes("data/xmlFiles/Resources.xml", r.document());
    writeBytes("data/xmlFiles/test.html",
               "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Orlimand demo</title></head>\n"
               "<body><h1>Thank you for playing the Orlimand demo chapter.</h1></body></html>\n");
}

void writeStrings() {
    std::u16string text = u"\xFEFF" u"Orlimand demo strings\r\n";
    for (const auto& [key, value] : demo::strings()) text += wide(key) + u"\r\n" + utf8ToWString(value) + u"\r\n";
    std::string bytes;
    for (char16_t c : text) bytes.push_back(static_cast<char>(c & 0xFF)), bytes.push_back(static_cast<char>(c >> 8));
    writeBytes("data/Texts/strings.st", bytes);
}

void writeConfig() {
    writeBytes("data/config.cfg",
               "// The demo chapter's settings.\n"
               "d_FPSCount\t60\n"
               "d_DTMax\t0.1\n"
               "d_noLinkAtExit\ttrue\n"
               "v_DefaultFont\t\"debug_font\"\n"
               "s_LoadingLevelTime\t2\n");
}

void writePictures() {
    const struct {
        const char* file;
        const char* caption;
        uint32_t top, bottom;
    } kLogos[] = {{"title.dds", "ORLIMAND", 0xFF203060, 0xFF000010}, {"Dravo.dds", "DRAVO", 0xFF602010, 0xFF100000}};
    for (const auto& logo : kLogos) {
        Picture p(256, 192);
        for (int y = 0; y < p.height; ++y) {
            const double t = static_cast<double>(y) / (p.height - 1);
            auto mix = [&](int shift) {
                const double a = (logo.top >> shift) & 0xFF, b = (logo.bottom >> shift) & 0xFF;
                return static_cast<uint32_t>(std::lround(a + (b - a) * t)) << shift;
            };
            for (int x = 0; x < p.width; ++x) p.set(x, y, 0xFF000000 | mix(16) | mix(8) | mix(0));
        }
        const int scale = 4;
        const int width = static_cast<int>(std::string(logo.caption).size()) * (demo::kGlyphWidth + 1) * scale;
        p.text((p.width - width) / 2, 70, wide(logo.caption), scale, 0xFFFFE0A0);
        savePicture(fs::path("data/textures") / logo.file, p, true);
    }
}

// Glyph scale of each font: its height in pixels is 7 times that (plus spacing).
int fontScale(const std::string& font) {
    if (font == "debug_font") return 1;
    if (font == "BookmanC_18_italic") return 3;
    return 2;
}

void writeFonts() {
    constexpr int kColumns = 16;
    for (const std::string& font : demo::fontNames()) {
        const int s = fontScale(font);
        const int cellW = (demo::kGlyphWidth + 1) * s, cellH = (demo::kGlyphHeight + 1) * s;
        const std::vector<char16_t> chars = demo::fontCharacters();
        const int rows = static_cast<int>((chars.size() + kColumns - 1) / kColumns);
        int texW = 1, texH = 1;
        while (texW < kColumns * cellW) texW *= 2;
        while (texH < rows * cellH) texH *= 2;
        Picture p(texW, texH);
        Xml x;
        x.open(font).string("TextureSize", std::to_string(texW) + "|" + std::to_string(texH)).open("Symbols");
        for (size_t i = 0; i < chars.size(); ++i) {
            const int cx = static_cast<int>(i % kColumns) * cellW, cy = static_cast<int>(i / kColumns) * cellH;
            p.text(cx, cy, std::u16string(1, chars[i]), s, 0xFFFFFFFF);
            // x, y, width, height, left and right spacing
            x.string(std::to_string(chars[i]), std::to_string(cx) + "|" + std::to_string(cy) + "|" +
                                                   std::to_string(demo::kGlyphWidth * s) + "|" +
                                                   std::to_string(demo::kGlyphHeight * s) + "|0|" + std::to_string(s));
        }
        x.close().close();
        writeBytes("data/fonts/" + font + ".font", x.document());
        savePicture(fs::path("data/fonts") / demo::fontTexture(font), p, false);
    }
}

// A particle system description: a burst that ends, or an endless stream.
std::string particleSystem(bool endless) {
    Xml x;
    x.open("root").string("version", "3.0").value("integer", "emission", endless ? "20" : "60");
    x.value("float", "lifetime", endless ? "-1" : "0.3").value("float", "absolutelifetime", endless ? "-1" : "1.2");
    x.value("float", "particleLifeMin", "0.3").value("float", "particleLifeMax", "0.8");
    x.string("texture", "spark.png").value("integer", "effect", "0").value("integer", "blend", "1");
    x.value("float", "imitterRadiusX", "4").value("float", "imitterRadiusY", "4").value("integer", "imitterMode", "0");
    x.value("float", "Direction", "270").value("float", "Spread", endless ? "40" : "360");
    x.value("float", "Speed", endless ? "60" : "160").value("boolean", "mUseRandomColorList", "false");
    const char* const kRect[] = {"tx1", "ty1", "tx2", "ty2", "cx", "cy"};
    const char* const kValues[] = {"0", "0", "16", "16", "8", "8"};
    for (int i = 0; i < 6; ++i) x.value("float", kRect[i], kValues[i]);
    for (const char* curve : {"Alpha", "ColorR", "ColorG", "ColorB", "Size", "Rubbing"}) {
        x.open(curve).open("k000").value("float", "elapsedTime", "0").value("float", "value", "1").close();
        if (std::string(curve) == "Alpha")
            x.open("k001").value("float", "elapsedTime", "1").value("float", "value", "0").close();
        x.close();
    }
    x.close();
    return x.document();
}

void writeEffects() {
    writeBytes("data/effects/sparks_burst.pse", particleSystem(false));
    writeBytes("data/effects/sparks_stream.pse", particleSystem(true));
    for (const std::string& name : demo::effectNames()) {
        const bool endless = name == "room_fire";
        Xml x;
        x.open("root").string("classname", "fxSingleEffect").open("effect").open("s000");
        x.string("pse", endless ? "sparks_stream.pse" : "sparks_burst.pse").value("float", "dx", "0").value("float", "dy", "0");
        x.close().close().close();
        writeBytes("data/effects/" + name + ".effect", x.document());
    }
    // The sparks' picture lives in the first pack.
    Picture spark(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const double d = std::hypot(x - 7.5, y - 7.5) / 8.0;
            const int a = d >= 1 ? 0 : static_cast<int>(std::lround(255 * (1 - d)));
            spark.set(x, y, static_cast<uint32_t>(a) << 24 | 0xFFF0C0);
        }
    savePicture("packs-src/sma1/spark.png", spark, false);
}

bool buildPack(const char* version, const std::string& archive, const std::string& folder) {
    const std::string command = std::string("\"") + SMA_TOOL + "\" build " + version + " \"" + (g_out / archive).string() +
                                "\" \"" + (g_out / folder).string() + "\" >/dev/null";
    fs::create_directories((g_out / archive).parent_path());
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "make-demo: the sma tool could not build %s\n", archive.c_str());
        return false;
    }
    return true;
}

void writePacks() {
    if (!buildPack("sma1", "data/packs/effects.sma", "packs-src/sma1")) g_failed = true;
    if (!buildPack("sma2", "data/packs/music.sma", "packs-src/sma2")) g_failed = true;
    std::error_code ec;
    fs::remove_all(g_out / "packs-src", ec);
}

void writeManifest() {
    std::ostringstream out;
    out << "# The demo movies' named clips in game pixels: movie, path, kind, centre x y, bounds x0 y0 x1 y1,\n"
           "# frames. Then the named free points: point, movie, name, x y.\n";
    static const char* const kKinds[] = {"sprite", "button", "text"};
    for (const demo::Movie& m : demo::movies()) {
        for (const demo::Placed& p : demo::placedClips(m)) {
            out << m.folder << "/" << m.file << " " << p.path << " " << kKinds[static_cast<int>(p.kind)] << " centre "
                << (p.x0 + p.x1) / 2 << " " << (p.y0 + p.y1) / 2 << " bounds " << p.x0 << " " << p.y0 << " " << p.x1
                << " " << p.y1 << " frames " << p.frames << "\n";
        }
        for (const auto& [name, at] : m.points)
            out << "point " << m.folder << "/" << m.file << " " << name << " " << at.first << " " << at.second << "\n";
    }
    writeBytes("manifest.txt", out.str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-demo OUT\n");
        return 2;
    }
    g_out = fs::absolute(argv[1]);
    std::error_code ec;
    fs::remove_all(g_out / "data", ec);
    fs::remove_all(g_out / "packs-src", ec);
    writeMovies();
    writeLevels();
    writeBytes("data/scripts/_common.lua", kCommonLua);
    writeSounds();
    writeMedia();
    writeStrings();
    writeConfig();
    writePictures();
    writeFonts();
    writeEffects();
    writePacks();
    writeManifest();
    return g_failed ? 1 : 0;
}
