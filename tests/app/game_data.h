#pragma once
// Small data folders for the game's tests, written by the tests themselves: the mount list, the
// settings, the media list with a short tone, the start-up pictures and the common script.
#include <filesystem>
#include <string>

#include "platform/graphics/gfx_control.h"
#include "tests/support/ogg_maker.h"
#include "tests/support/temp_dir.h"

namespace apptest {

namespace fs = std::filesystem;

// A picture of one colour (A8R8G8B8).
inline void writePicture(const fs::path& path, int width, int height, uint32_t argb) {
    platform::gfx::Image image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    for (size_t i = 0; i < image.pixels.size(); i += 4) {
        image.pixels[i] = static_cast<uint8_t>(argb);
        image.pixels[i + 1] = static_cast<uint8_t>(argb >> 8);
        image.pixels[i + 2] = static_cast<uint8_t>(argb >> 16);
        image.pixels[i + 3] = static_cast<uint8_t>(argb >> 24);
    }
    fs::create_directories(path.parent_path());
    platform::gfx::saveDds32(path.string(), image);
}

// An attribute document whose top object holds the given inner XML.
inline std::string document(const std::string& top, const std::string& inner) {
    return "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<root>\n<object name=\"" + top + "\">\n" + inner +
           "</object>\n</root>\n";
}

inline std::string mountEntry(const std::string& name, const std::string& type, const std::string& path,
                              bool recursive) {
    return "<object name=\"" + name + "\"><string name=\"Type\" value=\"" + type +
           "\" /><string name=\"Path\" value=\"" + path + "\" /><boolean name=\"Recursive\" value=\"" +
           (recursive ? "true" : "false") + "\" /></object>\n";
}

// The smallest movie: a 1024x768 stage of one empty frame (a cursor movie without pictures).
inline std::string emptyMovie() {
    static const unsigned char bytes[] = {0x46, 0x57, 0x53, 0x06, 0x19, 0x00, 0x00, 0x00, 0x80, 0x00, 0x02, 0x80, 0x00,
                                          0x00, 0x01, 0xE0, 0x00, 0x00, 0x1E, 0x01, 0x00, 0x40, 0x00, 0x00, 0x00};
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

struct GameDataOptions {
    bool logos = true;
    bool media = true;
    bool cursor = true;  // an empty "cursor.swf"
    std::string config;  // "config.cfg" text; empty: none
    // The loading screen's movie (the demo chapter's) and a level graph of one movie level.
    bool screens = true;
};

// The smallest data folder the start-up runs on.
inline void writeGameData(const fs::path& dir, const GameDataOptions& options = {}) {
    fs::create_directories(dir / "data" / "xmlFiles");
    testsupport::writeFile(dir / "data" / "xmlFiles" / "Resources.xml",
                           document("Resources", "<object name=\"VFS\">" +
                                                     mountEntry("1", "filesystem", ".", true) + "</object>\n"));
    if (options.logos) {
        writePicture(dir / "data" / "textures" / "title.dds", 64, 48, 0xFFFF0000u);
        writePicture(dir / "data" / "textures" / "Dravo.dds", 64, 48, 0xFF00FF00u);
    }
    if (options.media) {
        testsupport::writeFile(dir / "data" / "music" / "theme.ogg", testaudio::makeTone(440, 4410));
        testsupport::writeFile(dir / "data" / "sounds" / "click.ogg", testaudio::makeTone(880, 2205));
        testsupport::writeFile(
            dir / "data" / "xmlFiles" / "media.xml",
            document("media", "<object name=\"music\"><string name=\"1\" value=\"theme.ogg\" /></object>\n"
                              "<object name=\"sounds\"><string name=\"click\" value=\"click.ogg\" /></object>\n"
                              "<object name=\"volume\"><float name=\"click\" value=\"0.5\" /></object>\n"));
    }
    if (options.screens) {
        fs::create_directories(dir / "data" / "movies");
        fs::copy_file(fs::path(TOV_TEST_SOURCE_DIR) / "demo" / "data" / "movies" / "loading.swf",
                      dir / "data" / "movies" / "loading.swf", fs::copy_options::overwrite_existing);
        fs::create_directories(dir / "data" / "levels");
        fs::copy_file(fs::path(TOV_TEST_SOURCE_DIR) / "demo" / "data" / "levels" / "intro.swf",
                      dir / "data" / "levels" / "intro.swf", fs::copy_options::overwrite_existing);
        testsupport::writeFile(dir / "data" / "levels" / "levels.xml",
                               document("levels", "<string name=\"StartLevel\" value=\"intro\" />\n"
                                                  "<object name=\"intro\"></object>\n"));
        testsupport::writeFile(dir / "data" / "levels" / "intro.xml",
                               document("intro", "<string name=\"Type\" value=\"movie\" />\n"
                                                 "<string name=\"FileName\" value=\"intro.swf\" />\n"));
    }
    if (options.cursor) testsupport::writeFile(dir / "data" / "movies" / "cursor.swf", emptyMovie());
    if (!options.config.empty()) testsupport::writeFile(dir / "config.cfg", options.config);
    testsupport::writeFile(dir / "data" / "scripts" / "_common.lua", "common_loaded = true\n");
}

}  // namespace apptest
