// Console-variable files, the mounts of the data folders, the media list and the render target.
#include "app/application.h"
#include "app/profiles.h"
#include "audio/media_center.h"
#include "core/attr_access.h"
#include "core/attr_xml.h"
#include "core/cvar.h"
#include "core/cvar_catalogue.h"
#include "core/lexer.h"
#include "core/log_stream.h"
#include "graphics/d3d_application.h"
#include "graphics/texture_container.h"
#include "vfs/vfs_manager.h"

namespace {

constexpr const char* kResourcesFile = "data\\xmlFiles\\Resources.xml";
constexpr const char* kMediaFile = "data\\xmlFiles\\media.xml";
constexpr const char* kMountList = "VFS";
constexpr const char* kSkippedFolder = ".svn";
constexpr const char* kRenderTargetName = "render_target";
constexpr unsigned kBothTables = VFS::VFSManager::kByName | VFS::VFSManager::kByPath;

std::string stringChild(const Attr::AttributePtr& entry, const char* name) {
    return Attr::stringValueOr(Attr::getStringAttribute(entry, name, false), std::string());
}

}  // namespace

void Application::loadConfig(const std::string& fileName) {
    VFS::VFSManager* vfs = VFS::VFSManager::instance();
    if (!vfs) return;
    VFS::FilePtr file = vfs->findFile(fileName, kBothTables);
    if (!file) return;
    const uint32_t size = file->size();
    const auto* bytes = reinterpret_cast<const char*>(file->map(0, 0));
    if (bytes && size <= static_cast<uint32_t>(INT32_MAX)) {
        idLexer lexer(bytes, static_cast<int>(size), "global config");
        CVar::readConfig(lexer);
    } else if (size != 0) {
        Tov::LogLine("ERROR") << "Application::loadConfig" << ": cannot read " << fileName;
    }
    file->release();
}

void Application::saveConfig(const std::string& fileName, uint32_t flagMask) {
    // Always into the profiles folder: a file of the same name in the data tree may be read-only
    // and belongs to the installation (it is still read, but never written over).
    const std::string path = Profiles::folder() + "/" + fileName;
    if (!CVar::saveConfigFile(path, flagMask))
        Tov::LogLine("ERROR") << "Application::saveConfig" << ": cannot write " << path;
}

void Application::mountFileSystem() { mountList(Attr::loadDocument(kResourcesFile), kMountList); }

void Application::mountList(const Attr::AttributePtr& tree, const std::string& listName) {
    VFS::VFSManager* vfs = VFS::VFSManager::instance();
    if (!vfs) return;
    if (!tree) {
        vfs->mountFolderRecursive(".", kSkippedFolder);
        return;
    }
    const Attr::AttributePtr& list = Attr::findAttribute(tree, listName);
    if (!list) return;
    for (auto it = Attr::attributesBegin(list); it != Attr::attributesEnd(list); ++it) {
        const Attr::AttributePtr& entry = it->second;
        const std::string type = stringChild(entry, "Type");
        if (type.empty()) continue;
        const std::string path = stringChild(entry, "Path");
        const bool recursive = Attr::boolValueOr(Attr::getBoolAttribute(entry, "Recursive", false), false);
        if (recursive)
            vfs->mountFolderRecursive(path, kSkippedFolder);
        else if (!vfs->mount(type, path))
            Tov::LogLine("WARNING") << "Application::mountList" << ": cannot mount " << type << " " << path;
    }
}

void Application::loadMedia() {
    m_mediaDescription = Attr::loadDocument(kMediaFile);
    MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance();
    VFS::VFSManager* vfs = VFS::VFSManager::instance();
    if (!media || !vfs) return;
    if (m_mediaDescription) {
        std::vector<std::string> playlist;
        const Attr::AttributePtr& music = Attr::findAttribute(m_mediaDescription, "music");
        for (auto it = Attr::attributesBegin(music); it != Attr::attributesEnd(music); ++it)
            if (VFS::FilePtr file = vfs->findFile(it->second->valueAsString(), kBothTables))
                playlist.push_back(file->path());
        media->setPlaylist(playlist);
        const Profiles* profiles = Profiles::instance();
        const bool muted = profiles && profiles->anyFlag(Profiles::kMuteAll);
        // Forced: the channel starts out naming entry 0 without playing it.
        if (!muted && !playlist.empty()) media->playMusicTrack(0, true);

        const Attr::AttributePtr& sounds = Attr::findAttribute(m_mediaDescription, "sounds");
        for (auto it = Attr::attributesBegin(sounds); it != Attr::attributesEnd(sounds); ++it)
            if (VFS::FilePtr file = vfs->findFile(it->second->valueAsString(), kBothTables))
                media->getSoundList()[it->first] = file->path();

        const Attr::AttributePtr& volumes = Attr::findAttribute(m_mediaDescription, "volume");
        for (auto it = Attr::attributesBegin(volumes); it != Attr::attributesEnd(volumes); ++it)
            media->getSoundVolumes()[it->first] = static_cast<float>(std::atof(it->second->valueAsString().c_str()));
    }
    media->setMusicEnabled(!d_DisableMusic->value.b);
    // The installation's volumes.
    media->setSoundVolume(s_soundVol->value.f[0]);
    media->setMusicVolume(s_musicVol->value.f[0]);
}

void Application::createRenderTarget() {
    CMyD3DApplication* frameApp = CMyD3DApplication::instance();
    TextureContainer* textures = TextureContainer::instance();
    if (!frameApp || !frameApp->getDevice() || !textures) return;
    if (m_backBuffer) m_backBuffer->Release();
    m_backBuffer = nullptr;
    frameApp->getDevice()->GetRenderTarget(0, &m_backBuffer);
    m_renderTarget = textures->createTexture(kRenderTargetName, kGameWidth, kGameHeight, 1, 1, D3DFMT_A8R8G8B8,
                                             D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT);
    if (!m_renderTarget) Tov::LogLine("ERROR") << "Application::createRenderTarget" << ": cannot make the target";
}

void Application::releaseRenderTarget() {
    if (!m_renderTarget) return;
    m_renderTarget->unload();
    m_renderTarget = TexturePtr();
    if (TextureContainer* textures = TextureContainer::instance()) textures->releaseTexture(kRenderTargetName);
}
