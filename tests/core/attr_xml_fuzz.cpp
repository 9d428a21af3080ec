// Fuzz entry for the attribute XML reader. Every file name the input includes is answered by the
// lookup hook (names beginning with "self" give the input itself), so the plain file system is
// never read and includes of every shape are exercised. A tree that was read is written back and
// read again. The text is handed over ending right before an unreadable page, so a read past its
// end faults at once.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "core/attr_xml.h"
#include "tests/support/guarded_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    Attr::setFileLookup([&text](const std::string& name, std::string& bytes) {
        bytes = name.compare(0, 4, "self") == 0
                    ? text
                    : std::string("<root><object name=\"inc\"><integer name=\"n\" value=\"1\"/></object></root>");
        return true;
    });
    const testsupport::GuardedText guarded(text);
    Attr::AttributePtr tree = Attr::parseDocument(guarded.c_str() ? guarded.c_str() : text.c_str());
    if (!tree.isNull()) {
        std::ostringstream out;
        Attr::saveDocumentToStream(out, tree);
        Attr::parseDocument(out.str().c_str());
    }
    Attr::loadDocument("res://self.xml");
    Attr::setFileLookup(nullptr);
    return 0;
}
