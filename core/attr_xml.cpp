#include "core/attr_xml.h"

#include <tinyxml.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <sstream>
#include <vector>

#include "core/attr_access.h"
#include "core/log_stream.h"
#include "core/string_utils.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace Attr {

namespace {

std::mutex& lookupLock() {
    static std::mutex lock;
    return lock;
}

FileLookup& lookupSlot() {
    static FileLookup lookup;
    return lookup;
}

// The documents being loaded on this thread, outermost first, by their folded names: an include
// of one of them would never end.
thread_local std::vector<std::string> t_loading;
// Includes read so far for the outermost document of this thread, and how deep the reader is in
// its own entry points (loadDocument, parseDocument, readElement call each other).
thread_local int t_includes = 0;
thread_local int t_readDepth = 0;

struct ReadScope {
    ReadScope() {
        if (t_readDepth++ == 0) t_includes = 0;
    }
    ~ReadScope() { --t_readDepth; }
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;
};

std::string loadKey(const std::string& name) {
    std::string key = platform::toSlashes(name);
    for (char& c : key) c = platform::foldAscii(c);
    while (key.compare(0, 2, "./") == 0) key.erase(0, 2);
    return key;
}

struct LoadingScope {
    explicit LoadingScope(const std::string& name) { t_loading.push_back(loadKey(name)); }
    ~LoadingScope() { t_loading.pop_back(); }
    LoadingScope(const LoadingScope&) = delete;
    LoadingScope& operator=(const LoadingScope&) = delete;
};

// The names of the plain file system are cut where a fixed name buffer would cut them.
std::string cut(const std::string& name) { return name.size() > 511 ? name.substr(0, 511) : name; }

enum class ReadResult { Missing, Failed, Read };

// Reads a plain or gzip-compressed file whole. Only regular files are read (a device or a pipe
// would never end), and never more than kMaxDocumentBytes.
// The most bytes one UTF-8 sequence takes.
constexpr size_t kUtf8LongestSequence = 4;

ReadResult readPlainFile(const std::string& name, std::string& text) {
    std::optional<std::string> host = platform::resolvePath(name);
    if (!host) return ReadResult::Missing;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(*host, ec)) return ReadResult::Missing;
    gzFile file = gzopen(host->c_str(), "rb");
    if (!file) return ReadResult::Missing;
    text.clear();
    std::vector<char> chunk(64 * 1024);
    ReadResult result = ReadResult::Read;
    while (true) {
        int got = gzread(file, chunk.data(), static_cast<unsigned>(chunk.size()));
        if (got < 0) {
            int code = 0;
            const char* why = gzerror(file, &code);
            Tov::LogLine("ERROR") << "Attr::loadDocument" << ": cannot read \"" << name << "\": "
                                  << (why ? why : "read error");
            result = ReadResult::Failed;
            break;
        }
        if (got == 0) break;
        if (text.size() + static_cast<size_t>(got) > kMaxDocumentBytes) {
            Tov::LogLine("ERROR") << "Attr::loadDocument" << ": \"" << name << "\" is larger than "
                                  << kMaxDocumentBytes << " bytes";
            result = ReadResult::Failed;
            break;
        }
        text.append(chunk.data(), static_cast<size_t>(got));
    }
    gzclose(file);
    if (result != ReadResult::Read) text.clear();
    return result;
}

// The element depth of a document, counted the way the parser nests (tags, with quoted attribute
// values, comments, CDATA, declarations and processing instructions skipped). Stops counting
// once `limit` is passed.
int nestingDepth(const char* p, int limit) {
    int depth = 0;
    int deepest = 0;
    while (*p) {
        if (*p != '<') {
            ++p;
            continue;
        }
        ++p;
        if (std::strncmp(p, "!--", 3) == 0) {
            const char* end = std::strstr(p + 3, "-->");
            if (!end) break;
            p = end + 3;
        } else if (std::strncmp(p, "![CDATA[", 8) == 0) {
            const char* end = std::strstr(p + 8, "]]>");
            if (!end) break;
            p = end + 3;
        } else if (*p == '?' || *p == '!') {
            const char* end = std::strchr(p, '>');
            if (!end) break;
            p = end + 1;
        } else if (*p == '/') {
            const char* end = std::strchr(p, '>');
            if (depth > 0) --depth;
            if (!end) break;
            p = end + 1;
        } else {
            char quote = 0;
            char last = 0;
            while (*p && (quote || *p != '>')) {
                if (quote) {
                    if (*p == quote) quote = 0;
                } else if (*p == '"' || *p == '\'') {
                    quote = *p;
                }
                last = *p++;
            }
            if (last != '/') {
                ++depth;
                deepest = std::max(deepest, depth);
                if (deepest > limit) return deepest;
            }
            if (*p) ++p;
        }
    }
    return deepest;
}

// The whole output of TinyXML's indented file printer.
bool printDocument(const TiXmlDocument& document, std::string& out) {
    FILE* file = std::tmpfile();
    if (!file) return false;
    document.Print(file, 0);
    bool ok = std::fflush(file) == 0 && !std::ferror(file);
    long size = ok ? std::ftell(file) : -1;
    ok = ok && size >= 0 && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        out.assign(static_cast<size_t>(size), '\0');
        ok = std::fread(out.data(), 1, out.size(), file) == out.size();
    }
    std::fclose(file);
    return ok;
}

// gzip with the best compression, the form zlib's "wb9" writer gives.
bool gzipCompress(const std::string& in, std::string& out) {
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
    out.resize(deflateBound(&stream, static_cast<uLong>(in.size())) + 32);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    stream.avail_in = static_cast<uInt>(in.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    int rc = deflate(&stream, Z_FINISH);
    size_t written = stream.total_out;
    deflateEnd(&stream);
    if (rc != Z_STREAM_END) return false;
    out.resize(written);
    return true;
}

void buildDocument(TiXmlDocument& document, const AttributePtr& attribute) {
    document.LinkEndChild(new TiXmlDeclaration("1.0", "", "yes"));
    auto* root = new TiXmlElement("root");
    document.LinkEndChild(root);
    writeElement(root, attribute);
}

}  // namespace

void setFileLookup(FileLookup lookup) {
    std::lock_guard<std::mutex> guard(lookupLock());
    lookupSlot() = std::move(lookup);
}

AttributePtr loadDocument(const std::string& fileName, const std::string& searchList) {
    return loadDocument(fileName.c_str(), searchList.c_str());
}

AttributePtr loadDocument(const char* fileName, const char* searchList) {
    if (!fileName) return emptyAttribute();
    std::string name = fileName;
    if (name.compare(0, 6, "res://") == 0) name.erase(0, 6);
    ReadScope reading;
    LoadingScope loading(name);

    FileLookup lookup;
    {
        std::lock_guard<std::mutex> guard(lookupLock());
        lookup = lookupSlot();
    }
    std::string text;
    if (lookup && lookup(name, text)) return parseDocument(text.c_str());

    ReadResult result = readPlainFile(cut(name), text);
    if (result == ReadResult::Missing) result = readPlainFile(cut(name + ".gz"), text);
    if (result == ReadResult::Missing && searchList && *searchList) {
        std::string folder;
        std::string base;
        splitPath(name, &folder, &base, nullptr);
        for (const std::string& word : splitString(searchList, " ,\t\n")) {
            if (word.empty()) continue;
            result = readPlainFile(cut(folder + base + "." + word), text);
            if (result != ReadResult::Missing) break;
        }
    }
    if (result != ReadResult::Read) return emptyAttribute();
    return parseDocument(text.c_str());
}

AttributePtr parseDocument(const char* text) {
    if (!text) return emptyAttribute();
    ReadScope reading;
    int depth = nestingDepth(text, kMaxElementDepth);
    if (depth > kMaxElementDepth) {
        Tov::LogLine("ERROR") << "Attr::parseDocument" << ": elements nested deeper than " << kMaxElementDepth
                              << "; the document is not read";
        return emptyAttribute();
    }
    // TinyXML steps over a UTF-8 sequence by the length its first byte announces without looking
    // for the text's end, so a text that ends inside one would be read past its terminator. It
    // reads a copy followed by as many zeros as the longest sequence: every such step lands on one.
    std::string padded(text);
    padded.append(kUtf8LongestSequence, '\0');
    TiXmlDocument document;
    document.Parse(padded.c_str());
    if (document.Error()) {
        Tov::LogLine("ERROR") << "Attr::parseDocument" << ": " << document.ErrorDesc() << " at line "
                              << document.ErrorRow() << ", column " << document.ErrorCol();
        return emptyAttribute();
    }
    const TiXmlElement* root = document.FirstChildElement();
    const TiXmlElement* top = root ? root->FirstChildElement("object") : nullptr;
    if (!top) {
        Tov::LogLine("ERROR") << "Attr::parseDocument" << ": the document holds no object";
        return emptyAttribute();
    }
    return readElement(top);
}

AttributePtr readElement(const TiXmlElement* element) {
    if (!element) return emptyAttribute();
    ReadScope reading;
    if (element->ValueStr() == "include") {
        const char* file = element->Attribute("file");
        if (!file) {
            Tov::LogLine("ERROR") << "Attr::readElement" << ": an include names no file";
            return emptyAttribute();
        }
        std::string key = loadKey(std::string(file).compare(0, 6, "res://") == 0 ? file + 6 : file);
        if (std::find(t_loading.begin(), t_loading.end(), key) != t_loading.end()) {
            Tov::LogLine("ERROR") << "Attr::readElement" << ": \"" << file << "\" includes itself; it is not read";
            return emptyAttribute();
        }
        if (static_cast<int>(t_loading.size()) > kMaxIncludeDepth) {
            Tov::LogLine("ERROR") << "Attr::readElement" << ": includes nested deeper than " << kMaxIncludeDepth
                                  << "; \"" << file << "\" is not read";
            return emptyAttribute();
        }
        if (++t_includes > kMaxIncludes) {
            Tov::LogLine("ERROR") << "Attr::readElement" << ": more than " << kMaxIncludes
                                  << " includes in one document; \"" << file << "\" is not read";
            return emptyAttribute();
        }
        return loadDocument(file, "");
    }

    const char* name = element->Attribute("name");
    if (!name) {
        Tov::LogLine("ERROR") << "Attr::readElement" << ": a " << element->ValueStr()
                              << " element has no name; it is read with an empty name";
        name = "";
    }
    AttributePtr attribute = createAttributeByTypeName(element->ValueStr(), name);
    if (attribute.isNull()) {
        Tov::LogLine("ERROR") << "Attr::readElement" << ": unknown element \"" << element->ValueStr()
                              << "\" (\"" << name << "\") is dropped";
        return emptyAttribute();
    }
    if (attribute->typeId() != TYPE_OBJECT) {
        const char* value = element->Attribute("value");
        if (!value) {
            Tov::LogLine("ERROR") << "Attr::readElement" << ": " << element->ValueStr() << " \"" << name
                                  << "\" has no value; it is read from an empty text";
            value = "";
        }
        attribute->setValueString(value);
        return attribute;
    }
    AttributeSet* children = childrenOf(attribute);
    for (const TiXmlElement* child = element->FirstChildElement(); child; child = child->NextSiblingElement()) {
        AttributePtr read = readElement(child);
        if (read.isNull()) continue;
        if (!children->insert(read))
            Tov::LogLine("WARNING") << "Attr::readElement" << ": \"" << name << "\" holds \"" << read->name()
                                    << "\" twice; the first is kept";
    }
    return attribute;
}

void writeElement(TiXmlNode* parent, const AttributePtr& attribute) {
    if (!parent || attribute.isNull()) return;
    auto* element = new TiXmlElement(attribute->typeName());
    parent->LinkEndChild(element);
    element->SetAttribute("name", attribute->name());
    if (attribute->typeId() == TYPE_OBJECT) {
        for (auto it = attributesBegin(attribute); it != attributesEnd(attribute); ++it)
            writeElement(element, it->second);
    } else {
        element->SetAttribute("value", attribute->valueAsString());
    }
}

bool saveDocumentToStream(std::ostream& out, const AttributePtr& attribute) {
    TiXmlDocument document;
    buildDocument(document, attribute);
    out << document;
    return out.good();
}

bool saveDocument(const char* path, const AttributePtr& attribute, bool compressed, bool filePrint) {
    if (!path || !*path) return false;
    if (attribute.isNull()) {
        Tov::LogLine("ERROR") << "Attr::saveDocument" << ": no tree to write to \"" << path << "\"";
        return false;
    }
    TiXmlDocument document;
    buildDocument(document, attribute);
    std::string bytes;
    bool built;
    if (filePrint && !compressed) {
        built = printDocument(document, bytes);
    } else {
        std::ostringstream stream;
        stream << document;
        built = stream.good();
        bytes = stream.str();
        if (built && compressed) {
            std::string packed;
            built = gzipCompress(bytes, packed);
            bytes.swap(packed);
        }
    }
    if (!built) {
        Tov::LogLine("ERROR") << "Attr::saveDocument" << ": cannot build the document for \"" << path << "\"";
        return false;
    }
    if (!platform::writeFileAtomically(path, bytes.data(), bytes.size())) {
        Tov::LogLine("ERROR") << "Attr::saveDocument" << ": cannot write \"" << path << "\"; the old file is kept";
        return false;
    }
    return true;
}

}  // namespace Attr
