// The checked-in demo chapter read by the system's own readers: every XML document, the level
// graph and descriptions, the string table, the fonts with their textures, the sounds, the mount
// list with both packs, and every file the data names resolving by bare name.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "core/attr_access.h"
#include "core/attr_xml.h"
#include "core/string_table.h"
#include "core/string_utils.h"
#include "graphics/font_manager.h"
#include "platform/audio/audio.h"
#include "platform/audio/vorbis_source.h"
#include "platform/image/stb_decoder.h"
#include "tests/support/temp_dir.h"
#include "tools/demo/demo_layout.h"
#include "vfs/vfs_manager.h"

namespace fs = std::filesystem;

namespace {

const fs::path kDemo = fs::path(TOV_TEST_SOURCE_DIR) / "demo";

std::vector<fs::path> filesWithExtension(const std::string& ext) {
    std::vector<fs::path> out;
    for (const auto& e : fs::recursive_directory_iterator(kDemo / "data"))
        if (e.is_regular_file() && e.path().extension() == ext) out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

Attr::AttributePtr load(const fs::path& p) { return Attr::loadDocument(p.string(), std::string()); }

std::string stringOf(const Attr::AttributePtr& object, const std::string& key) {
    return Attr::stringValueOr(Attr::getStringAttribute(object, key, false), "");
}

std::vector<std::pair<std::string, Attr::AttributePtr>> children(const Attr::AttributePtr& object) {
    std::vector<std::pair<std::string, Attr::AttributePtr>> out;
    for (auto it = Attr::attributesBegin(object); it != Attr::attributesEnd(object); ++it)
        out.push_back({it->second->name(), it->second});
    return out;
}

// The working folder is the demo's while a test mounts it, as the game's is.
struct InDemoFolder {
    fs::path previous = fs::current_path();
    InDemoFolder() { fs::current_path(kDemo); }
    ~InDemoFolder() { fs::current_path(previous); }
};

// Mounts as the game's mount list says: each "VFS" entry in its order, folders recursively.
std::unique_ptr<VFS::VFSManager> mountDemo(std::vector<std::string>* mounted) {
    auto vfs = std::make_unique<VFS::VFSManager>();
    const Attr::AttributePtr top = load("data/xmlFiles/Resources.xml");
    EXPECT_TRUE(top);
    for (const auto& [name, entry] : children(Attr::findAttribute(top, "VFS"))) {
        const std::string type = stringOf(entry, "Type"), path = stringOf(entry, "Path");
        if (type.empty()) continue;
        if (Attr::boolValueOr(Attr::getBoolAttribute(entry, "Recursive", false), false)) {
            vfs->mountFolderRecursive(path, ".svn");
        } else {
            EXPECT_TRUE(vfs->mount(type, path)) << type << " " << path;
        }
        mounted->push_back(type + " " + path);
    }
    return vfs;
}

TEST(DemoData, EveryXmlDocumentLoads) {
    size_t count = 0;
    for (const char* ext : {".xml", ".font", ".effect", ".pse"}) {
        for (const fs::path& p : filesWithExtension(ext)) {
            EXPECT_TRUE(load(p)) << p;
            ++count;
        }
    }
    EXPECT_GT(count, 25u);
}

TEST(DemoData, LevelDescriptionsAndTheGraphReachEveryKind) {
    const Attr::AttributePtr graph = load(kDemo / "data/levels/levels.xml");
    ASSERT_TRUE(graph);
    EXPECT_EQ(stringOf(graph, "StartLevel"), demo::startLevel());
    std::set<std::string> kinds, visited;
    // The chain of next levels from the start, with every level that lives inside one of them.
    std::string name = stringOf(graph, "StartLevel");
    while (!name.empty() && visited.insert(name).second) {
        const Attr::AttributePtr node = Attr::findAttribute(graph, name);
        ASSERT_TRUE(node) << name;
        name = stringOf(node, "next_level");
    }
    for (const auto& [child, node] : children(graph))
        if (visited.count(stringOf(node, "parent"))) visited.insert(child);
    for (const std::string& level : visited) {
        const Attr::AttributePtr d = load(kDemo / "data/levels" / (level + ".xml"));
        ASSERT_TRUE(d) << level;
        EXPECT_EQ(d->name(), level);
        const demo::Level* l = demo::findLevel(level);
        ASSERT_NE(l, nullptr) << level;
        EXPECT_EQ(stringOf(d, "Type"), l->type);
        EXPECT_EQ(stringOf(d, "FileName"), l->file);
        EXPECT_TRUE(fs::exists(kDemo / "data/levels" / l->file)) << l->file;
        EXPECT_TRUE(fs::exists(kDemo / "data/levels" / (level + ".lua"))) << level;
        kinds.insert(l->type);
    }
    EXPECT_EQ(kinds, (std::set<std::string>{"hidden", "contour", "letters", "puzzle", "rotator", "movie"}));
    // The last level has no next one: the game ends there.
    EXPECT_EQ(stringOf(Attr::findAttribute(graph, "outro"), "next_level"), "");
    // Element groups hold their entries in the attribute tree's order, which the layout computes.
    const Attr::AttributePtr room = load(kDemo / "data/levels/room.xml");
    std::vector<std::string> hidden;
    for (const auto& [n, v] : children(Attr::findAttribute(room, "hidden"))) hidden.push_back(n);
    EXPECT_EQ(hidden, demo::treeOrder({"cup_1", "cup_2", "book", "candle", "clock"}));
    EXPECT_EQ(hidden, (std::vector<std::string>{"book", "clock", "cup_1", "cup_2", "candle"}));
}

TEST(DemoData, EveryUsedKeyTranslatesAndTheMissingOneShowsItself) {
    ASSERT_TRUE(StringTable::instance().load((kDemo / "data/Texts/strings.st").string().c_str()));
    for (const std::string& key : demo::usedStringKeys())
        EXPECT_NE(toNarrowString(StringTable::translate(key)), key) << key;
    EXPECT_EQ(toNarrowString(StringTable::translate(demo::missingStringKey())), demo::missingStringKey());
    EXPECT_EQ(StringTable::translate("IDS_curtain"), u"Rideau \u00E9carlate");
    // Keys are found in any letter case.
    EXPECT_EQ(StringTable::translate("ids_BOOK"), u"Book");
}

TEST(DemoData, MountListMountsTheTreeAndBothPacksAndNamesResolve) {
    InDemoFolder here;
    std::vector<std::string> mounted;
    auto vfs = mountDemo(&mounted);
    EXPECT_EQ(mounted, (std::vector<std::string>{"filesystem data", "sma1 data\\packs\\effects.sma",
                                                 "sma2 data\\packs\\music.sma"}));
    std::vector<std::string> names = {"_common.lua", "levels.xml", "strings.st", "config.cfg", "media.xml",
                                      "title.dds",   "Dravo.dds",  "test.html",  "spark.png",  "intro_theme.ogg"};
    for (const demo::Movie& m : demo::movies()) names.push_back(m.file);
    for (const demo::Level& l : demo::levels())
        for (const std::string& f : {l.name + ".xml", l.name + ".lua"}) names.push_back(f);
    for (const std::string& e : demo::effectNames()) names.push_back(e + ".effect");
    for (const std::string& f : demo::fontNames()) names.push_back(f + ".font"), names.push_back(demo::fontTexture(f));
    // Every file the media list names.
    const Attr::AttributePtr media = load("data/xmlFiles/media.xml");
    for (const char* list : {"music", "sounds"})
        for (const auto& [n, entry] : children(Attr::findAttribute(media, list))) {
            std::string file;
            entry->getValue(file);
            names.push_back(file);
        }
    // Every effect's particle systems, and every system's texture.
    for (const std::string& e : demo::effectNames()) {
        const Attr::AttributePtr effect = load(fs::path("data/effects") / (e + ".effect"));
        for (const auto& [n, system] : children(Attr::findAttribute(effect, "effect"))) {
            const std::string pse = stringOf(system, "pse");
            names.push_back(pse);
            std::string text;
            ASSERT_TRUE(vfs->readWhole(pse, text)) << pse;
            names.push_back(stringOf(Attr::loadDocument(pse, std::string()), "texture"));
        }
    }
    for (const std::string& n : names) EXPECT_TRUE(vfs->findFile(n, VFS::VFSManager::kByName)) << n;
    // The packs' files come from the packs alone.
    EXPECT_FALSE(fs::exists("data/effects/spark.png"));
    EXPECT_FALSE(fs::exists("data/music/intro_theme.ogg"));
    // Every sound the game plays has its entry; the movie levels' music too.
    std::set<std::string> sounds;
    for (const auto& [n, entry] : children(Attr::findAttribute(media, "sounds"))) sounds.insert(n);
    for (const std::string& s : demo::soundNames()) EXPECT_TRUE(sounds.count(s)) << s;
    // No profile anywhere: every listed ".prof" is a player's.
    VFS::FileList profiles;
    EXPECT_EQ(vfs->findFilesByExtension(".prof", profiles, VFS::VFSManager::kByName), 0u);
}

TEST(DemoData, EveryFontLoadsWithItsTexture) {
    InDemoFolder here;
    std::vector<std::string> mounted;
    auto vfs = mountDemo(&mounted);
    FontManager fonts;
    fonts.loadFonts(".font");
    for (const std::string& name : demo::fontNames()) {
        Font* font = getFontByName(name);
        ASSERT_NE(font, nullptr) << name;
        EXPECT_NE(font->findGlyph(u'A'), nullptr) << name;
        EXPECT_NE(font->findGlyph(0xE9), nullptr) << name;
        EXPECT_GT(font->getTextWidth(u"Hello"), 0) << name;
        std::string bytes;
        ASSERT_TRUE(vfs->readWhole(demo::fontTexture(name), bytes)) << name;
        platform::image::Image picture;
        ASSERT_EQ(platform::image::decodeStb(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), picture),
                  platform::image::Result::Ok)
            << name;
        EXPECT_EQ(static_cast<int32_t>(picture.info.width), font->textureWidth) << name;
        EXPECT_EQ(static_cast<int32_t>(picture.info.height), font->textureHeight) << name;
    }
    // The fonts grow with their names' sizes.
    EXPECT_LT(getFontByName("debug_font")->getHeight(), getFontByName("tahoma_b_13")->getHeight());
    EXPECT_LT(getFontByName("Vernada_BOLD_16")->getHeight(), getFontByName("BookmanC_18_italic")->getHeight());
}

TEST(DemoData, EverySoundDecodes) {
    InDemoFolder here;
    std::vector<std::string> mounted;
    auto vfs = mountDemo(&mounted);
    VFS::FileList oggs;
    ASSERT_GT(vfs->findFilesByExtension(".ogg", oggs, VFS::VFSManager::kByName), 30u);
    for (const VFS::FilePtr& f : oggs) {
        std::string bytes;
        ASSERT_TRUE(vfs->readWhole(f->name(), bytes)) << f->name();
        audiere::RefPtr<audiere::File> file(audiere::AdrCreateMemoryFile(bytes.data(), static_cast<int>(bytes.size())));
        audiere::RefPtr<audiere::SampleSource> source(audiere::openVorbisSource(file.get()));
        ASSERT_TRUE(source.get()) << f->name();
        EXPECT_GT(source->getLength(), 1000) << f->name();
    }
}

}  // namespace
