#include "app/profiles.h"

#include <algorithm>
#include <cstdio>

#include "app/application.h"
#include "audio/media_center.h"
#include "core/attr_access.h"
#include "core/attr_xml.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "vfs/vfs_manager.h"

namespace {

constexpr const char* kFallbackFolder = "Profiles";
constexpr const char* kGameFolder = "orlimand";
constexpr const char* kProfilesFolder = "profiles";
constexpr const char* kExtension = ".prof";
constexpr const char* kCorruptSuffix = ".corrupt";
constexpr const char* kNameTakenKey = "ids_changename";

std::string g_folder = kFallbackFolder;
Profiles::ScreenHooks g_hooks;

// Code points of a UTF-8 text (continuation bytes are not counted).
size_t characterCount(const std::string& text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

bool endsWithFolded(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           platform::equalsFoldedAscii(std::string_view(text).substr(text.size() - suffix.size()), suffix);
}

void setChild(const Attr::AttributePtr& tree, const char* key, int type, const std::string& value) {
    Attr::AttributePtr child = Attr::findAttribute(tree, key);
    if (!child) child = Attr::getChildShared(tree, key, type, true);
    if (child) child->setValueFromString(value);
}

// Makes the folder and every missing folder above it; failures show when files are written.
void createFolders(const std::string& path) {
    for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1))
        (void)platform::createDirectory(path.substr(0, at));
    (void)platform::createDirectory(path);
}

std::string floatText(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

}  // namespace

void Profiles::setScreenHooks(ScreenHooks hooks) { g_hooks = std::move(hooks); }

const std::string& Profiles::folder() { return g_folder; }

std::string Profiles::profilePath(const std::string& profileName) { return g_folder + "/" + profileName + kExtension; }

Profiles::Profiles() {
    scriptClass();  // the class and "profile" join the script registry before the state starts
    setFlagCallback(this, &Profiles::onFlagsChanged);
    g_folder = kFallbackFolder;
    if (std::optional<std::string> data = platform::userDataFolder()) {
        g_folder = *data + "/" + kGameFolder + "/" + kProfilesFolder;
        createFolders(g_folder);
        if (VFS::VFSManager* vfs = VFS::VFSManager::instance()) {
            m_mounted = vfs->mount("filesystem", g_folder);
            if (!m_mounted)
                Tov::LogLine("ERROR") << "Profiles::Profiles" << ": cannot mount the profiles folder " << g_folder;
        }
    }
    Application::loadConfig(kSettingsFile);
}

Profiles::~Profiles() { save(); }

bool Profiles::contains(const std::string& profileName) const {
    return std::find(names.begin(), names.end(), profileName) != names.end();
}

void Profiles::loadLastProfile() {
    std::string wanted = s_LastProfileName->text;
    names.clear();
    // The profiles folder itself is listed: a ".prof" of another mount is no profile of ours.
    if (m_mounted) {
        for (const platform::DirEntry& entry : platform::listDirectory(g_folder))
            if (!entry.isDirectory && endsWithFolded(entry.name, kExtension) &&
                entry.name.size() > std::string(kExtension).size())
                names.push_back(entry.name.substr(0, entry.name.size() - std::string(kExtension).size()));
    }
    if (!names.empty() && wanted.empty()) wanted = names.front();
    if (!wanted.empty() && load(wanted)) return;
    if (!names.empty()) {
        if (g_hooks.showChooser) g_hooks.showChooser();
    } else if (g_hooks.showEnterName) {
        g_hooks.showEnterName();
    }
}

bool Profiles::load(const std::string& profileName) {
    if (!contains(profileName)) return false;
    name = profileName;
    if (g_hooks.updateProfileName) g_hooks.updateProfileName();
    s_LastProfileName->setString(name.c_str());
    const Attr::AttributePtr tree = readProfile(name);
    LastLevel = Attr::stringValueOr(Attr::findAttribute(tree, "LastLevel"), std::string());
    CurrentLevel = Attr::stringValueOr(Attr::findAttribute(tree, "CurrentLevel"), std::string());
    setFlag(kWrongMsgShown, Attr::boolValueOr(Attr::findAttribute(tree, "IsWrongMsg"), false));
    setFlag(kMuteAll, Attr::boolValueOr(Attr::findAttribute(tree, "IsMuteAll"), false));
    // The volumes belong to the installation: the current ones are applied again.
    setSoundVolume(s_soundVol->value.f[0]);
    setMusicVolume(s_musicVol->value.f[0]);
    saveSettings();
    return true;
}

void Profiles::save() {
    if (name.empty()) return;
    (void)platform::createDirectory(g_folder);
    Attr::AttributePtr tree = readProfile(name);
    if (!tree) tree = Attr::createAttribute(Attr::TYPE_OBJECT, name);
    s_LastProfileName->setString(name.c_str());
    setChild(tree, "LastLevel", Attr::TYPE_STRING, LastLevel);
    setChild(tree, "CurrentLevel", Attr::TYPE_STRING, CurrentLevel);
    setChild(tree, "IsWrongMsg", Attr::TYPE_BOOLEAN, anyFlag(kWrongMsgShown) ? "true" : "false");
    setChild(tree, "IsMuteAll", Attr::TYPE_BOOLEAN, anyFlag(kMuteAll) ? "true" : "false");
    writeProfile(name, tree);
    saveSettings();
}

std::string Profiles::nameProblem(const std::string& profileName) const {
    const size_t first = profileName.find_first_not_of(" \t");
    if (first == std::string::npos) return "is empty";
    if (profileName == "." || profileName == "..") return "is no file name";
    for (char c : profileName) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || c == '"' || byte < 0x20 || byte == 0x7F) return "holds a character files cannot";
    }
    if (characterCount(profileName) > kMaxNameLength) return "is longer than 10 characters";
    for (const std::string& known : names)
        if (known != profileName && platform::equalsFoldedAscii(known, profileName))
            return "differs from " + known + " only in letter case";
    return std::string();
}

bool Profiles::createProfile(const std::string& profileName) {
    if (contains(profileName)) {
        if (g_hooks.showMessage) g_hooks.showMessage(kNameTakenKey);
        return false;
    }
    if (std::string problem = nameProblem(profileName); !problem.empty()) {
        Tov::LogLine("WARNING") << "Profiles::createProfile" << ": the name \"" << profileName << "\" " << problem;
        return false;
    }
    save();
    setFlag(kMuteAll, false);
    CurrentLevel.clear();
    LastLevel.clear();
    name = profileName;
    if (g_hooks.updateProfileName) g_hooks.updateProfileName();
    names.push_back(name);
    save();
    if (VFS::VFSManager* vfs = VFS::VFSManager::instance(); vfs && m_mounted) {
        vfs->mount("filesystem", g_folder);
        vfs->rescan(g_folder);
    }
    return true;
}

void Profiles::deleteProfile(const std::string& profileName) {
    auto it = std::find(names.begin(), names.end(), profileName);
    if (it == names.end()) return;
    names.erase(it);
    const std::string fileName = profileName + kExtension;
    if (VFS::VFSManager* vfs = VFS::VFSManager::instance()) {
        // Only our own file leaves the tables, not another mount's of the same name.
        VFS::FilePtr file = vfs->findFile(fileName, VFS::VFSManager::kByName);
        if (file && file->path() == g_folder + "\\" + fileName) {
            file->release();
            vfs->removeFile(file);
        }
    }
    const std::string path = profilePath(profileName);
    if (platform::fileExists(path) && !platform::deleteFile(path))
        Tov::LogLine("WARNING") << "Profiles::deleteProfile" << ": cannot delete " << path;
    if (profileName == name) name.clear();
}

void Profiles::setSoundVolume(float volume) {
    s_soundVol->setFromString(floatText(volume).c_str());
    saveSettings();
    if (MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance())
        media->setSoundVolume(s_soundVol->value.f[0]);
}

void Profiles::setMusicVolume(float volume) {
    s_musicVol->setFromString(floatText(volume).c_str());
    saveSettings();
    if (MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance())
        media->setMusicVolume(s_musicVol->value.f[0]);
}

void Profiles::onFlagsChanged(unsigned char mask, bool on) {
    if (!(mask & kMuteAll)) return;
    if (MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance()) {
        media->pauseMusic(on);
        media->pauseSounds(on);
        // A profile muted from the start never opened a track: unmuting starts the first one.
        if (!on && !media->musicChannel()->stream() && media->isMusicEnabled() && media->getPlaylistSize() > 0)
            media->playMusicTrack(0, true);
    }
}

std::optional<std::string> Profiles::getKey(const std::string& key) {
    document = readProfile(name);
    if (name.empty() || !document) return std::nullopt;
    Attr::AttributePtr child = Attr::findAttribute(document, key);
    if (!child) child = Attr::getChildShared(document, key, Attr::TYPE_STRING, true);
    return child ? child->valueAsString() : std::string();
}

void Profiles::setKey(const std::string& key, const std::string& value) {
    if (name.empty()) return;
    Attr::AttributePtr tree = readProfile(name);
    if (!tree) return;
    setChild(tree, key.c_str(), Attr::TYPE_STRING, value);
    writeProfile(name, tree);
}

Attr::AttributePtr Profiles::readProfile(const std::string& profileName) {
    if (profileName.empty()) return Attr::AttributePtr();
    const std::string path = profilePath(profileName);
    if (!platform::fileExists(path)) return Attr::AttributePtr();
    const std::optional<uint64_t> size = platform::fileSize(path);
    std::string text;
    Attr::AttributePtr tree;
    if (size && *size <= kMaxProfileBytes && platform::readWholeFile(path, text) &&
        text.find('\0') == std::string::npos) {
        tree = Attr::parseDocument(text.c_str());
        if (tree && tree->typeId() != Attr::TYPE_OBJECT) tree = Attr::AttributePtr();
    }
    if (tree) return tree;
    // Kept aside under the first free name: nothing is overwritten.
    std::string kept = path + kCorruptSuffix;
    for (int n = 1; platform::fileExists(kept); ++n) kept = path + kCorruptSuffix + std::to_string(n);
    if (platform::renameFile(path, kept))
        Tov::LogLine("ERROR") << "Profiles::load" << ": " << path << " is no profile; kept as " << kept
                              << ", the profile starts empty";
    else
        Tov::LogLine("ERROR") << "Profiles::load" << ": " << path << " is no profile and cannot be kept as " << kept;
    return Attr::AttributePtr();
}

bool Profiles::writeProfile(const std::string& profileName, const Attr::AttributePtr& tree) {
    const std::string path = profilePath(profileName);
    if (Attr::saveDocument(path.c_str(), tree, false, true)) return true;
    Tov::LogLine("ERROR") << "Profiles::save" << ": cannot write " << path;
    return false;
}

void Profiles::saveSettings() { Application::saveConfig(kSettingsFile, kSavedFlag); }
