#include "tests/particles/particle_fixture.h"

#include <sstream>

#include "core/log_stream.h"
#include "core/random_tables.h"

namespace particletest {

namespace {

std::string num(float v) {
    std::ostringstream out;
    out.precision(9);
    out << v;
    return out.str();
}

std::string floatAttr(const std::string& name, float v) {
    return "<float name=\"" + name + "\" value=\"" + num(v) + "\" />\n";
}
std::string intAttr(const std::string& name, int v) {
    return "<integer name=\"" + name + "\" value=\"" + std::to_string(v) + "\" />\n";
}
std::string stringAttr(const std::string& name, const std::string& v) {
    return "<string name=\"" + name + "\" value=\"" + v + "\" />\n";
}
std::string pointList(const std::string& name, const std::vector<Vector2>& points) {
    std::string out = "<object name=\"" + name + "\">\n";
    char key[32];
    for (size_t i = 0; i < points.size(); ++i) {
        std::snprintf(key, sizeof key, "p%03zu", i);
        out += "<object name=\"" + std::string(key) + "\">" + floatAttr("x", points[i].x) + floatAttr("y", points[i].y) +
               "</object>\n";
    }
    return out + "</object>\n";
}

std::string document(const std::string& body) {
    return "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<root>\n<object name=\"root\">\n" + body +
           "</object>\n</root>\n";
}

}  // namespace

std::string Desc::xml() const {
    std::string body = stringAttr("version", version) + intAttr("emission", emission) + floatAttr("lifetime", lifetime) +
                       floatAttr("absolutelifetime", absoluteLifetime) + floatAttr("particleLifeMin", lifeMin) +
                       floatAttr("particleLifeMax", lifeMax) + stringAttr("texture", texture) +
                       intAttr("effect", effect) + intAttr("blend", blend) + floatAttr("imitterRadiusX", radiusX) +
                       floatAttr("imitterRadiusY", radiusY) + intAttr("imitterMode", mode) +
                       floatAttr("Direction", direction) + floatAttr("Spread", spread) + floatAttr("Speed", speed) +
                       "<boolean name=\"mUseRandomColorList\" value=\"" + (randomColors ? "true" : "false") +
                       "\" />\n";
    static const char* const kRect[6] = {"tx1", "ty1", "tx2", "ty2", "cx", "cy"};
    for (int i = 0; i < 6; ++i) body += floatAttr(kRect[i], rect[i]);
    char key[32];
    for (const auto& [name, points] : curves) {
        body += "<object name=\"" + name + "\">\n";
        for (size_t i = 0; i < points.size(); ++i) {
            std::snprintf(key, sizeof key, "k%03zu", i);
            body += "<object name=\"" + std::string(key) + "\">" + floatAttr("elapsedTime", points[i].first) +
                    floatAttr("value", points[i].second) + "</object>\n";
        }
        body += "</object>\n";
    }
    if (!emitterPoints.empty()) body += pointList("EmitterPoints", emitterPoints);
    if (!pathMode.empty()) {
        body += "<object name=\"SplineParam\">\n" + stringAttr("pathmode", pathMode) + pointList("SplinePath", path) +
                floatAttr("st0", tangents[0]) + floatAttr("st1", tangents[1]) + floatAttr("et0", tangents[2]) +
                floatAttr("et1", tangents[3]) + "</object>\n";
    }
    return document(body);
}

std::string effectXml(const std::vector<EffectSystem>& systems, const std::string& extra) {
    std::string body = extra + "<object name=\"effect\">\n";
    char key[32];
    for (size_t i = 0; i < systems.size(); ++i) {
        const EffectSystem& s = systems[i];
        std::snprintf(key, sizeof key, "s%03zu", i);
        body += "<object name=\"" + std::string(key) + "\">\n" + stringAttr("pse", s.pse) + floatAttr("dx", s.dx) +
                floatAttr("dy", s.dy);
        if (s.fixed) {
            body += "<object name=\"staticposition\">" + floatAttr("x", s.fixedAt.x) + floatAttr("y", s.fixedAt.y) +
                    "</object>\n";
        }
        if (s.bounds.size() == 8) {
            static const char* const kKeys[8] = {"x1", "y1", "x2", "y2", "x3", "y3", "x4", "y4"};
            body += "<object name=\"BoundsRect\">";
            for (int k = 0; k < 8; ++k) body += intAttr(kKeys[k], s.bounds[k]);
            body += "</object>\n";
        }
        body += "</object>\n";
    }
    body += "</object>\n";
    return document(body);
}

void ParticleTest::SetUp() {
    Tov::LogStream::setFile((m_dir.path() / "particles.log").string(), false);
    initSinCosTables();
    initRandomTables(1234);
    core::srand(99);
    m_wrapper = std::make_unique<CD3DDevice>();
    m_wrapper->setDevice(&m_device);
    CD3DDevice::setCacheDevice(&m_device);
    m_container = std::make_unique<TextureContainer>();
    addTexture("spark.png", 64, 32);
    addTexture("smoke.dds", 128, 128);
    m_registry = std::make_unique<particle::ParticleMgr>();
    m_manager = new particle::fxParticleEffectMgr();
}

void ParticleTest::TearDown() {
    if (particle::fxParticleEffectMgr::instance()) m_manager->destroy();
    m_registry.reset();
    m_container.reset();
    CD3DDevice::setCacheDevice(nullptr);
    m_wrapper.reset();
}

SpyTexture* ParticleTest::addTexture(const std::string& name, UINT width, UINT height) {
    auto& spy = m_textures[name];
    spy = std::make_unique<SpyTexture>(width, height);
    spy->AddRef();  // the container's texture owns one reference
    TexturePtr texture(new Texture(spy.get()));
    texture->name = name;
    m_container->add(texture, name);
    return spy.get();
}

void ParticleTest::writeDescription(const std::string& file, const Desc& desc) {
    testsupport::writeFile(m_dir.path() / file, desc.xml());
}

void ParticleTest::writeEffect(const std::string& name, const std::string& text) {
    testsupport::writeFile(m_dir.path() / (name + ".effect"), text);
}

std::string ParticleTest::logText() const { return testsupport::readFile(m_dir.path() / "particles.log"); }

int ParticleTest::logCount(const std::string& text) const {
    std::istringstream in(logText());
    int count = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.find(text) != std::string::npos) ++count;
    }
    return count;
}

particle::ParticleSystem* ParticleTest::system(const std::string& description) {
    particle::ParticleSystem* s = m_manager->CreateParticleSystem();
    if (s && !s->GetParticleSystemInfo(description)) {
        s->stop();
        return nullptr;
    }
    return s;
}

}  // namespace particletest
