#pragma once
// The player profiles: the active profile in memory, the known names, one attribute file per
// player ("<name>.prof") in the per-user profiles folder, and beside them "config.sta", the
// console variables that survive a restart. Also the two volume setters of the pause menu and the
// scripts' free-form keys of the current profile.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/attr_tree.h"
#include "core/flag_object.h"
#include "core/singleton.h"

namespace ScriptBinding {
struct ClassDescriptor;
}

class Profiles : public Tov::Singleton<Profiles>, public Tov::FlagObjectCB<Profiles, unsigned char> {
public:
    // Flag bits.
    static constexpr unsigned char kWrongMsgShown = 0x08;  // "IsWrongMsg"
    static constexpr unsigned char kMuteAll = 0x10;        // "IsMuteAll"
    static constexpr size_t kMaxNameLength = 10;           // characters
    // A profile file bigger than this is not read (it is kept aside as damaged).
    static constexpr uint64_t kMaxProfileBytes = 1u << 20;
    static constexpr const char* kSettingsFile = "config.sta";
    static constexpr uint32_t kSavedFlag = 0x40;

    // What the profile screens do for profiles; each is skipped while empty.
    struct ScreenHooks {
        std::function<void()> showChooser;
        std::function<void()> showEnterName;
        std::function<void()> updateProfileName;
        // A message box with one OK button and the text of a key.
        std::function<void(const std::string& key)> showMessage;
    };
    static void setScreenHooks(ScreenHooks hooks);

    // Mounts the per-user profiles folder (when there is one) and reads "config.sta".
    Profiles();
    // Saves the current profile.
    ~Profiles() override;

    void loadLastProfile();
    bool load(const std::string& name);
    void save();
    bool createProfile(const std::string& name);
    void deleteProfile(const std::string& name);
    bool contains(const std::string& name) const;
    void setSoundVolume(float volume);
    void setMusicVolume(float volume);
    void onFlagsChanged(unsigned char mask, bool on);

    // The scripts' keys: the value of a key of the current profile's file (a missing key is added
    // empty, in memory only); none when the profile has no file.
    std::optional<std::string> getKey(const std::string& key);
    // Writes the key into the current profile's file; nothing when it has none.
    void setKey(const std::string& key, const std::string& value);

    // The script class "Profiles" (methods "get" and "set"); the function "profile" gives the object.
    static ScriptBinding::ClassDescriptor* scriptClass();

    // The profiles folder: "Profiles" until the constructor found the per-user folder.
    static const std::string& folder();
    // The file of a profile, by path.
    static std::string profilePath(const std::string& name);
    // Why a name cannot become a profile; empty when it can.
    std::string nameProblem(const std::string& name) const;

    std::string name;
    std::vector<std::string> names;
    std::string LastLevel;
    std::string CurrentLevel;
    Attr::AttributePtr document;

private:
    // The profile's tree read from its file: empty when there is none; a file that cannot be read
    // as a profile is kept aside under a ".corrupt" name (with an ERROR) and also gives empty.
    Attr::AttributePtr readProfile(const std::string& profileName);
    bool writeProfile(const std::string& profileName, const Attr::AttributePtr& tree);
    void saveSettings();

    bool m_mounted = false;
};
